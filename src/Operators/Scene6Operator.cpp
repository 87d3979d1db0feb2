#include "Operators/Scene6Operator.h"

#include "Operators/SceneShared.h"

#include <algorithm>
#include <cmath>

namespace orb {

ShaderSceneParams Scene6Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    // Whole bars counted from an eighth of a bar before each bar line, once four have passed.
    const float q = bars <= 4.0f ? bars / 7.0f : bars + 0.125f;
    const double swing = beatSwing(bars);
    const auto wobble = static_cast<float>(swing * swing * bars / 16.0 / 10.0);
    ShaderSceneParams values;
    values.a = {0.0f, 0.0f, 4.0f * bars + 2.0f * wobble, 0.0f};
    values.b = {std::sin(Pi * bars) / 3.0f, static_cast<float>(static_cast<int>(q)), bars / 16.0f, 0.0f};
    values.c1 = Orange;
    values.c2 = Grey;
    values.f = {bars / 10.0f, std::min(bars * 0.7f / 4.0f, 0.7f), 1.0f, 0.5f};
    values.g = aspectVector(graphics().aspectRatio());
    return values;
}

PostProcessParams Scene6Operator::look(const FrameTime& t) const
{
    return whiteFades(barPosition(t.local), 4.0f, {0.005f, 0.005f, 0.02f});
}

} // namespace orb
