#pragma once

// Scene1Operator -- the title: the image fades in from black over four seconds, shakes after
// three and stretches sideways into a glow after 4.7.

#include "Operators/ScreenImageOperator.h"

namespace orb {

class Scene1Operator final : public ScreenImageOperator
{
public:
    using ScreenImageOperator::ScreenImageOperator;
    const char* typeName() const override { return "Scene1"; }
    void transform(fx::MatrixStack& stack, const FrameTime& time) const override;
    gfx::Color color(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

protected:
    const char* imageFile() const override { return "Data\\tevro_logoscreen.png"; }
};

} // namespace orb
