#pragma once

// Scene7Operator -- the greetings: fifteen names, one a bar, each drawn into the "Text" target at
// its bar's start and swept through the scene's effect, which alternates between two sets of
// values from one name to the next.

#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene7Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene7"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

    // The greetings: fifteen names, one a bar.
    static std::vector<TextPage> pages();
    const TextPager& pager() const { return pager_; }

protected:
    const char* effectFile() const override { return "Data\\Scene7.fx"; }
    TextPager* textPager() override { return &pager_; }
    fx::Font* pageFont() const override;
    gfx::BaseTexture* stage1() const override;

private:
    TextPager pager_{barTime(1), pages()};
};

} // namespace orb
