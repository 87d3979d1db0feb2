#pragma once

// Scene8Operator -- a pure shader scene with a kick in the middle of every bar's second beat:
// the structure swings from side to side every four bars after bar 8, then races away into white.

#include "Operators/ShaderSceneOperator.h"

namespace orb {

class Scene8Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene8"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

protected:
    const char* effectFile() const override { return "Data\\Scene8.fx"; }
};

} // namespace orb
