#include "Operators/ScreenImageOperator.h"

#include "Operators/SceneShared.h"

namespace orb {

bool ScreenImageOperator::load()
{
    return loadScreenImage(imageFile(), image_);
}

void ScreenImageOperator::draw(const FrameTime& time)
{
    gfx::Device& device = this->device();
    fx::MatrixStack& stack = graphics().matrixStack();
    const float aspect = graphics().aspectRatio();

    setImageQuadStates(device);
    device.setTransform(gfx::TransformType::Projection,
                        fx::perspectiveFovLH(1.5707964f, aspect, 0.1f, 1000.0f));
    stack.loadIdentity();
    stack.translateLocal(0, 0, 1);
    transform(stack, time);
    device.setTransform(gfx::TransformType::World, stack.top());
    stack.loadIdentity();
    device.setTransform(gfx::TransformType::View, stack.top());
    drawImageQuad(device, imageQuad(aspect, graphics().width(), graphics().height(), 0.0f, color(time)),
                  image_.get());

    graphics().postProcess(look(time));
}

} // namespace orb
