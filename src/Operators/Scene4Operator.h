#pragma once

// Scene4Operator -- an 11 x 8 pixel-art sprite of lit cubes swimming from left to right across a
// full-screen background, bobbing and tumbling as one body on the bars, and speeding out after
// bar 8. The background is pass 0 of the scene's effect, the cubes pass 1.

#include "Operators/ShaderSceneOperator.h"
#include "platform/fx/Matrix.h"
#include "platform/fx/Mesh.h"

namespace orb {

class Scene4Operator final : public ShaderSceneOperator
{
public:
    using ShaderSceneOperator::ShaderSceneOperator;
    const char* typeName() const override { return "Scene4"; }

    ShaderSceneParams params(const FrameTime& time) const override;
    PostProcessParams look(const FrameTime& time) const override;

    // The sprite's cells, row 0 at the top, 11 to a row; 1 where a cube stands.
    static const std::array<std::uint8_t, 88>& sprite();
    // Where the matrix stack puts cell (column, row) at bar position `bars`.
    static fx::Matrix cellWorld(fx::MatrixStack& stack, float bars, int column, int row);

protected:
    const char* effectFile() const override { return "Data\\Scene4.fx"; }
    bool loadMore() override;
    // The cubes, before the background, which tests depth and so shades only what they leave.
    void foreground(const FrameTime& time) override;
    bool hasEdges() const override { return true; }

private:
    std::unique_ptr<fx::Mesh> cube_;
};

} // namespace orb
