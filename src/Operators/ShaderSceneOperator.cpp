#include "Operators/ShaderSceneOperator.h"

#include <cmath>
#include <optional>

namespace orb {

bool ShaderSceneOperator::load()
{
    return loadEffect(effectFile(), effect_) && loadMore() && graphics().noiseTexture() != nullptr;
}

void ShaderSceneOperator::draw(const FrameTime& time)
{
    gfx::Device& device = this->device();
    if (TextPager* pager = textPager())
        pagePhase_ = pager->update(graphics(), pageFont(), time.local);
    std::optional<SingleSampled> singleSampled;
    if (!hasEdges())
        singleSampled.emplace(device);
    device.beginTimedPass("foreground");
    foreground(time);
    device.endTimedPass();
    drawShaderPass(graphics(), *effect_, params(time), stage1());
    device.beginTimedPass("overlay");
    overlay(time);
    device.endTimedPass();
    singleSampled.reset();
    graphics().postProcess(look(time));
}

// The pager's state belongs to the frames on screen: the rehearsal's redraw is undone.
void ShaderSceneOperator::rehearse()
{
    TextPager* pager = textPager();
    if (pager == nullptr) {
        SceneOperator::rehearse();
        return;
    }
    const TextPager kept = *pager;
    SceneOperator::rehearse();
    *pager = kept;
}

void ShaderSceneOperator::prepareText()
{
    TextPager* pager = textPager();
    fx::Font* font = pageFont();
    if (pager != nullptr && font != nullptr)
        pager->drawEveryPage(graphics(), *font);
}

PostProcessParams whiteFades(float bars, float fadeInBars, const GlowRates& rates)
{
    float wash = 0.0f, glow = rates.steady;
    if (bars > 15.0f) {
        wash = static_cast<float>(std::sqrt(static_cast<double>(bars - 15.0f)));
        glow = rates.steady + (bars - 15.0f) * rates.perBarOut;
    } else if (bars < fadeInBars) {
        const float toGo = fadeInBars - bars;
        wash = (toGo / 4.0f) * (toGo / 4.0f);
        glow = rates.steady + toGo * rates.perBarIn;
    }
    return {0.3f, {1, 3, wash, glow}, {1, 1, 1, 1}};
}

} // namespace orb
