#pragma once

// Scene2Operator -- the main logo over a full-screen background: the logo pulses in depth on the
// bars, turns the other way after bar 8, and from bar 14 rolls, slides and flies away while the
// background and the glow ramp up. A flash closes every 16-beat phrase.

#include "Operators/PictureCover.h"
#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene2Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene2"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

    // The logo's turn at bar position `bars`: pitch, then yaw.
    static std::array<float, 2> logoTurn(float bars);

protected:
    const char* effectFile() const override { return "Data\\Scene2.fx"; }
    bool loadMore() override;
    void overlay(const FrameTime& time) override;

private:
    Picture logo_;
};

} // namespace orb
