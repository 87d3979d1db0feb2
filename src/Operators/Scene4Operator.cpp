#include "Operators/Scene4Operator.h"

#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

constexpr int Columns = 11;
constexpr int Rows = 8;

} // namespace

const std::array<std::uint8_t, 88>& Scene4Operator::sprite()
{
    static const std::array<std::uint8_t, 88> cells = {
        0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, //
        0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, //
        0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, //
        0, 1, 1, 0, 1, 1, 1, 0, 1, 1, 0, //
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, //
        1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1, //
        1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, //
        0, 0, 0, 1, 1, 0, 1, 1, 0, 0, 0, //
    };
    return cells;
}

ShaderSceneParams Scene4Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const auto swing = static_cast<float>(beatSwing(bars));
    const float k = swing * swing * bars / 16.0f / 10.0f;

    ShaderSceneParams values;
    values.a = {0.05f, sinOf(Pi * bars / 4.08 + 0.11) + 0.23f, bars + k, 0.0f};
    values.b = {sinOf(Pi * bars / 5.0) * bars / 16.0f, sinOf(Pi * bars / 7.0), Pi * bars / 16.0f, 0.0f};
    values.c1 = Orange;
    values.c2 = BackgroundGrey;
    if (bars > 15.0f) {
        const auto s = static_cast<float>(std::sqrt(bars - 15.0));
        values.c3 = {s, s, s, 0.0f};
    } else if (bars < 4.0f) {
        const float q = ((4.0f - bars) / 4.0f) * ((4.0f - bars) / 4.0f);
        values.c3 = {q, q, q, q};
    }
    values.f = {bars / 10.0f, 0.3f + 0.7f * bars / 16.0f, 1.0f, 1.31f * bars / 16.0f};
    values.g = aspectVector(graphics().aspectRatio());
    return values;
}

PostProcessParams Scene4Operator::look(const FrameTime& t) const
{
    return whiteFades(barPosition(t.local), 4.0f, {0.0f, 0.03f, 0.03f});
}

bool Scene4Operator::loadMore()
{
    cube_ = fx::Mesh::createBox(device(), 1.0f, 1.0f, 1.0f, nullptr);
    return true;
}

// The sprite is centred on cell (5, 3), one unit a cell, and moves and turns as one body.
fx::Matrix Scene4Operator::cellWorld(fx::MatrixStack& stack, float bars, int column, int row)
{
    const float drop = bars > 8.0f ? (bars - 8.0f) * (bars - 8.0f) : 0.0f;
    stack.loadIdentity();
    stack.translateLocal(6.0f * bars - 40.0f + drop, 2.0f * sinOf(bars), 5.0f * sinOf(bars / 2.0) + 20.0f);
    stack.rotateYawPitchRollLocal(sinOf(2.0 * bars) / 2.0f, sinOf(3.0 * bars) / 2.0f,
                                  Pi * bars / 16.0f - Pi / 2.0f);
    stack.translateLocal(static_cast<float>(column - 5), static_cast<float>(3 - row), 0.0f);
    return stack.top();
}

void Scene4Operator::foreground(const FrameTime& t)
{
    const float bars = barPosition(t.local);
    device().setRenderState(gfx::RenderState::CullMode, gfx::Cull::None);
    device().setRenderState(gfx::RenderState::Lighting, 1);
    device().setTexture(0, graphics().noiseTexture());
    device().setTexture(1, nullptr);
    fx::MatrixStack& stack = graphics().matrixStack();
    stack.loadIdentity();
    const fx::Matrix view = stack.top();
    const fx::Matrix projection = projection45(graphics().aspectRatio(), 1.0f);
    const float power = 10.0f;

    fx::Effect& effect = sceneEffect();
    effect.begin();
    effect.beginPass(1);
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column) {
            if (sprite()[row * Columns + column] == 0)
                continue;
            effect.setMatrix(effect.parameterByName("world"), cellWorld(stack, bars, column, row));
            effect.setMatrix(effect.parameterByName("view"), view);
            effect.setMatrix(effect.parameterByName("projection"), projection);
            setVector(effect, "ambient", {0, 0, 0, 0});
            setVector(effect, "diffuse", {0.2f, 0.2f, 0.2f, 0});
            setVector(effect, "specular", {1, 1, 1, 0});
            effect.setValue(effect.parameterByName("power"), &power, fx::Effect::DeclaredSize);
            effect.commitChanges();
            if (cube_)
                cube_->drawSubset(0);
        }
    effect.endPass();
    effect.end();
}

} // namespace orb
