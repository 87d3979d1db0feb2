#pragma once

// ScreenImageOperator -- a full-screen 16:9 image, slightly turned in depth, as the title and
// end screens show it: the scene gives the image, the transforms on top of "one unit ahead",
// the quad's colour and the post-processing values.

#include "Operators/PictureCover.h"
#include "Operators/SceneOperator.h"
#include "platform/fx/Matrix.h"

namespace orb {

class ScreenImageOperator : public SceneOperator
{
public:
    using SceneOperator::SceneOperator;

    // What a frame at `time` shows, each on its own:
    // the operations on the stack after LoadIdentity and TranslateLocal(0, 0, 1),
    virtual void transform(fx::MatrixStack& stack, const FrameTime& time) const = 0;
    // the quad's colour,
    virtual gfx::Color color(const FrameTime& time) const = 0;
    // and the post-processing values.
    virtual PostProcessParams look(const FrameTime& time) const = 0;

protected:
    virtual const char* imageFile() const = 0;

private:
    bool load() final;
    void draw(const FrameTime& time) final;

    Picture image_;
};

} // namespace orb
