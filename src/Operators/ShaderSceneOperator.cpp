#include "Operators/ShaderSceneOperator.h"

#include <cmath>

namespace orb {

bool ShaderSceneOperator::load()
{
    return loadEffect(effectFile(), effect_) && graphics().noiseTexture() != nullptr;
}

void ShaderSceneOperator::draw(const FrameTime& time)
{
    drawShaderPass(graphics(), *effect_, params(time), nullptr);
    graphics().postProcess(look(time));
}

PostProcessParams whiteFades(float bars, float fadeInBars, float glowPerBar)
{
    float wash = 0.0f, glow = 0.005f;
    if (bars > 15.0f) {
        wash = static_cast<float>(std::sqrt(static_cast<double>(bars - 15.0f)));
        glow = 0.005f + (bars - 15.0f) * 0.02f;
    } else if (bars < fadeInBars) {
        const float toGo = fadeInBars - bars;
        wash = (toGo / 4.0f) * (toGo / 4.0f);
        glow = 0.005f + toGo * glowPerBar;
    }
    return {0.3f, {1, 3, wash, glow}, {1, 1, 1, 1}};
}

} // namespace orb
