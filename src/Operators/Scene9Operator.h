#pragma once

// Scene9Operator -- the credits: after an empty first page, three pages of a role and a handle,
// one every two bars, each swinging in edge-on, facing the viewer at its brightest halfway and
// swinging out; behind them the background pulses with the beat and, from bar 8 to bar 15,
// flashes orange and inverted on the second and fourth beats.

#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene9Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene9"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;
    // The page's brightness at `phase` seconds into its two bars: 0 at either end, 255 halfway.
    static int pageLevel(float phase);

    // The credits: an empty page, then three of a role and a handle, each two bars long.
    static std::vector<TextPage> pages();
    const TextPager& pager() const { return pager_; }

protected:
    const char* effectFile() const override { return "Data\\Scene9.fx"; }
    TextPager* textPager() override { return &pager_; }
    fx::Font* pageFont() const override;
    void overlay(const FrameTime& time) override;

private:
    TextPager pager_{barTime(2), pages()};
};

} // namespace orb
