#include "Operators/ScreenImageOperator.h"

#include "Operators/SceneShared.h"

namespace orb {

bool ScreenImageOperator::load()
{
    return loadScreenImage(imageFile(), image_);
}

void ScreenImageOperator::draw(const FrameTime& time)
{
    fx::MatrixStack& stack = graphics().matrixStack();
    stack.loadIdentity();
    stack.translateLocal(0, 0, 1);
    transform(stack, time);
    const float aspect = graphics().aspectRatio();
    {
        // The picture's border is transparent: its edges, turned as they may be, show nothing to
        // smooth.
        const SingleSampled singleSampled(device());
        drawPicture(graphics(), imageQuad(aspect, graphics().width(), graphics().height(), 0.0f, color(time)),
                    image_, stack.top());
    }

    graphics().postProcess(look(time));
}

} // namespace orb
