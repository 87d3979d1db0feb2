#include "Operators/Scene2Operator.h"

#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

// x to the 11th power, its sign kept.
float eleventh(double x)
{
    return static_cast<float>(std::pow(x, 11));
}

} // namespace

ShaderSceneParams Scene2Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    float angle = bars * Pi;
    if (bars > 8.0f)
        angle = -angle;
    if (bars > 14.0f)
        angle = sinOf(bars - 14.0);
    const float wash = bars > 15.0f ? static_cast<float>(std::sqrt(bars - 15.0)) : 0.0f;

    ShaderSceneParams values;
    values.a = {sinOf(SecondsPerBar * bars), 0.0f, 2.0f * bars, 0.0f};
    values.b = {0.0f, 0.0f, angle, 0.0f};
    values.c1 = Orange;
    values.c2 = BackgroundGrey;
    values.c3 = {wash, wash, wash, 0.0f};
    values.f = {2.0f * bars, 0.05f, 1.0f, 0.3f};
    values.g = aspectVector(graphics().aspectRatio());
    return values;
}

std::array<float, 2> Scene2Operator::logoTurn(float bars)
{
    const float pitch = eleventh(std::sin(static_cast<double>(bars * Pi)));
    const float yaw = bars > 8.0f ? eleventh(std::sin(static_cast<double>(2.0f * bars * Pi + Pi))) : 0.0f;
    return {pitch, yaw};
}

PostProcessParams Scene2Operator::look(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const float beat = std::fmod(4.0f * bars, 16.0f); // within the 16-beat phrase
    float wash = 0.0f, flash = 0.0f;
    if (beat >= 14.5f && beat < 15.5f)
        flash = (1.0f + flicker(t.local / t.duration, 100010)) * (beat - 14.5f) * 0.01f;
    if (bars > 15.0f) {
        wash = static_cast<float>(std::sqrt(bars - 15.0));
        flash = (bars - 15.0f) * 0.03f;
    }
    return {0.2f, {1, 3, wash, flash}, {1, 1, 1, 1}};
}

bool Scene2Operator::loadMore()
{
    return loadScreenImage("Data\\tevro_mainlogo.png", logo_);
}

// The logo at distance 1 under the 90-degree camera; the view rolls, slides and flies off after
// bar 14, the slide starting from 0 there.
void Scene2Operator::overlay(const FrameTime& t)
{
    const float bars = barPosition(t.local);
    fx::MatrixStack& stack = graphics().matrixStack();
    const auto [pitch, yaw] = logoTurn(bars);
    stack.loadIdentity();
    stack.translateLocal(0.0f, 0.0f, 1.0f);
    stack.rotateYawPitchRollLocal(yaw, pitch, 0.0f);
    const fx::Matrix world = stack.top();

    stack.loadIdentity();
    if (bars > 14.0f) {
        const float away = bars - 14.0f;
        stack.rotateYawPitchRollLocal(0.0f, 0.0f, sinOf(away));
        stack.translateLocal(
            static_cast<float>(2.0 * away * (std::sin(SecondsPerBar * 14) - std::sin(SecondsPerBar * bars))),
            0.0f, 8.0f * away * away);
    }
    const float aspect = graphics().aspectRatio();
    drawPicture(graphics(), imageQuad(aspect, graphics().width(), graphics().height(), 0.0f, 0x00FFFFFF),
                logo_, world, stack.top());
}

} // namespace orb
