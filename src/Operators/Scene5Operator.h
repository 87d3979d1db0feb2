#pragma once

// Scene5Operator -- the invitation: four pages, one every four bars, each fading in and out while
// it turns slowly in depth right of and above the middle, over a shader background, under a
// fixed 16:9 overlay frame.

#include "Operators/PictureCover.h"
#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene5Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene5"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;
    // The page's brightness `phase` seconds into its four bars: in over the first second, out
    // over the last.
    static int pageLevel(float phase);

    // The invitation: four pages, each four bars long.
    static std::vector<TextPage> pages();
    const TextPager& pager() const { return pager_; }

protected:
    const char* effectFile() const override { return "Data\\Scene5.fx"; }
    bool loadMore() override;
    TextPager* textPager() override { return &pager_; }
    fx::Font* pageFont() const override;
    void overlay(const FrameTime& time) override;

private:
    TextPager pager_{barTime(4), pages()};
    Picture frame_;
};

} // namespace orb
