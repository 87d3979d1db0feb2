#include "Operators/Scene8Operator.h"

#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

ShaderSceneParams Scene8Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const float rise = bars > 15.0f ? (4.0f * (bars - 15.0f)) * (4.0f * (bars - 15.0f)) : 0.0f;
    const float q = bars > 5.0f ? bars + 0.125f : 0.125f;
    const float sway = bars > 8.0f ? 2.0f : 0.0f;
    // 1 in the middle of each bar's second beat (B = 0.375, 1.375, ...), falling steeply after.
    const float kick = 1.0f - std::pow(std::fmod(2.0f * bars + 1.25f, 2.0f) / 2.0f, 0.125f);
    const float fade = bars > 15.0f ? bars - 15.0f : 0.0f;

    ShaderSceneParams values;
    values.a = {std::sin(static_cast<float>(static_cast<int>(bars / 4.0f)) * Pi) * sway, 0.0f,
                4.0f * bars + rise, 0.0f};
    values.b = {0.0f, static_cast<float>(static_cast<int>(q)) + 0.2f * std::sin(2.0f * Pi * bars), bars,
                0.0f};
    values.c1 = Orange;
    values.c2 = Grey;
    values.c3 = {fade, fade, fade, 0.0f};
    values.f = {bars / 4.0f, 0.7f - 2.0f * 0.13f * kick, 1.0f, 0.5f - 2.0f * 0.14f * kick};
    values.g = aspectVector(graphics().aspectRatio());
    values.invert = 1.0f;
    return values;
}

PostProcessParams Scene8Operator::look(const FrameTime& t) const
{
    return whiteFades(barPosition(t.local), 2.0f, {0.005f, 0.01f, 0.02f});
}

} // namespace orb
