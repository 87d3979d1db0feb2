#pragma once

// Scene10Operator -- the closing image: settles from a shake, then washes out.

#include "Operators/ScreenImageOperator.h"

namespace orb {

class Scene10Operator final : public ScreenImageOperator
{
public:
    using ScreenImageOperator::ScreenImageOperator;
    const char* typeName() const override { return "Scene10"; }
    void transform(fx::MatrixStack& stack, const FrameTime& time) const override;
    gfx::Color color(const FrameTime&) const override { return 0x00FFFFFF; }
    PostProcessParams look(const FrameTime& time) const override;

protected:
    const char* imageFile() const override { return "Data\\tevro_endscreen.png"; }
};

} // namespace orb
