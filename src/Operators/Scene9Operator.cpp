#include "Operators/Scene9Operator.h"

#include "DemoSystem.h"
#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

constexpr float Bar = barTime(1);

// Whether the frame is on the second or fourth beat of its bar.
bool offBeat(float bars)
{
    return static_cast<int>(std::floor(4.0f * bars)) % 2 != 0;
}

bool flashing(float bars)
{
    return bars > 8.0f && bars < 15.0f && offBeat(bars);
}

} // namespace

std::vector<TextPage> Scene9Operator::pages()
{
    return {{barTime(2), ""},
            {barTime(4), "Code:\nVeltrix"},
            {barTime(6), "Music:\nNoctua Sine"},
            {barTime(8), "Graphics:\nKaleido Ferrum"}};
}

fx::Font* Scene9Operator::pageFont() const
{
    return demo().font144();
}

ShaderSceneParams Scene9Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const bool flash = flashing(bars);
    const float amp = bars > 8.0f ? 1.0f - (bars - 8.0f) / 8.0f : 1.0f;
    const float rise = bars > 15.0f ? (4.0f * (bars - 15.0f)) * (4.0f * (bars - 15.0f)) : 0.0f;
    const float pulse = (16.0f - bars) / 16.0f * (std::sin(4.0f * Pi * bars + Pi) + 1.0f) / 10.0f;
    const float sway = 0.2f * amp * std::sin(2.0f * Pi * bars);

    ShaderSceneParams values;
    values.a = {sway, 0.0f, 4.0f * bars + rise, 0.0f};
    values.b = {flash ? Pi : 0.0f, sway, bars, 0.0f};
    values.c1 = Orange;
    values.c2 = Grey;
    if (bars > 15.0f)
        values.c3 = {bars - 15.0f, bars - 15.0f, bars - 15.0f, 0.0f};
    else if (flash)
        values.c3 = Orange;
    values.f = {bars / 10.0f, 1.0f - bars * 0.15f / 16.0f - pulse, 1.0f,
                0.25f + bars * 0.75f / 16.0f + pulse};
    values.g = aspectVector(graphics().aspectRatio());
    values.invert = flash ? 1.0f : 0.0f;
    return values;
}

int Scene9Operator::pageLevel(float phase)
{
    const float fromMiddle = phase < Bar ? Bar - phase : phase - Bar;
    return 255 - static_cast<int>(fromMiddle * 255.0f / Bar);
}

void Scene9Operator::overlay(const FrameTime& t)
{
    const float bars = barPosition(t.local);
    const float yaw = std::fmod(bars, 2.0f) * Pi / 2.0f - 1.5707964f;
    drawTextQuad(graphics(), pageLevel(pagePhase()), {0.0f, 0.0f, 3.0f}, yaw, 0.0f);
}

PostProcessParams Scene9Operator::look(const FrameTime& t) const
{
    return whiteFades(barPosition(t.local), 2.0f, {0.0f, 0.01f, 0.03f});
}

} // namespace orb
