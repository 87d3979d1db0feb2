#pragma once

// Scene6Operator -- a pure shader scene: a flight on through the noise volume, faster with every
// bar, that fades in from white over four bars and washes out after bar 15.

#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene6Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene6"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

protected:
    const char* effectFile() const override { return "Data\\Scene6.fx"; }
};

} // namespace orb
