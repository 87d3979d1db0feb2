#include "Operators/Scene1Operator.h"

#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

constexpr float ShakeFrom = 3.0f;
constexpr float StretchFrom = 4.7f;

// How far into the stretch, 0 to 1; negative before it.
float stretch(const FrameTime& t)
{
    return (t.local - StretchFrom) / (t.duration - StretchFrom);
}

} // namespace

void Scene1Operator::transform(fx::MatrixStack& stack, const FrameTime& t) const
{
    const float turn = t.received / 10.0f - 0.25f;
    stack.rotateYawPitchRollLocal(turn, 0, turn);
    if (t.local > ShakeFrom)
        shake(stack, (t.local - ShakeFrom) / (t.duration - ShakeFrom));
    if (t.local > StretchFrom)
        stack.scaleLocal(1 + 20 * std::sqrt(stretch(t)), 1, 1);
}

gfx::Color Scene1Operator::color(const FrameTime& t) const
{
    if (t.local >= 4.0f)
        return 0x00FFFFFF;
    const auto grey = static_cast<std::uint32_t>(t.local * 255.0f / 4.0f);
    return gfx::argb(0, grey, grey, grey);
}

PostProcessParams Scene1Operator::look(const FrameTime& t) const
{
    const bool stretching = t.local > StretchFrom;
    return flickeringGlow(t.local / t.duration, 0.5f, stretching ? std::sqrt(stretch(t)) : 0.0f,
                          stretching ? std::array<float, 4>{1, 1, 1, 0} : std::array<float, 4>{1, 0, 0, 0});
}

} // namespace orb
