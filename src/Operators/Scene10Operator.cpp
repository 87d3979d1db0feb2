#include "Operators/Scene10Operator.h"

#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

constexpr float WashOut = 3.0f; // seconds before the end

} // namespace

void Scene10Operator::transform(fx::MatrixStack& stack, const FrameTime& t) const
{
    const float turn = t.local / 20.0f - 0.2f;
    stack.rotateYawPitchRollLocal(turn, 0, turn);
    if (t.local < 4.0f)
        shake(stack, 1.0f - t.local / 4.0f);
}

PostProcessParams Scene10Operator::look(const FrameTime& t) const
{
    const float left = 1.0f - t.local / t.duration;
    const float toEnd = t.end - t.received;
    float wash = 0.0f;
    if (t.local < 1.0f)
        wash = std::sqrt(1.0f - t.local);
    if (toEnd < WashOut)
        wash = std::sqrt(1.0f - toEnd / WashOut);
    return flickeringGlow(left, 0.2f, wash,
                          toEnd < WashOut ? std::array<float, 4>{0, 0, 0, 0}
                                          : std::array<float, 4>{1, 1, 1, 1});
}

} // namespace orb
