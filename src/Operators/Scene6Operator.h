#pragma once

// Scene6Operator -- a pure shader scene: a flight on through the noise volume, faster with every
// bar, that fades in from white over four bars and washes out after bar 15.

#include "Operators/SceneOperator.h"
#include "Operators/ShaderScene.h"

namespace orb {

class Scene6Operator final : public SceneOperator
{
public:
    using SceneOperator::SceneOperator;
    const char* typeName() const override { return "Scene6"; }

    // What a frame at `time` hands its effect, and its post-processing values.
    ShaderSceneParams params(const FrameTime& time) const;
    PostProcessParams look(const FrameTime& time) const;
    // The effect with the values of the last frame drawn; null before init.
    const fx::Effect* effect() const { return effect_.get(); }

private:
    bool load() override;
    void draw(const FrameTime& time) override;

    std::unique_ptr<fx::Effect> effect_;
};

} // namespace orb
