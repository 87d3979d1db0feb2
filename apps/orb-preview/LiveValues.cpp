#include "LiveValues.h"

#include "GraphicSystem.h"
#include "Operators/SceneOperator.h"

#include <algorithm>
#include <array>

namespace orb::preview {

EffectValues valuesOf(const fx::Effect& effect)
{
    EffectValues shown{effect.name(), {}};
    for (unsigned index = 0; const fx::Effect::Parameter* parameter = effect.parameter(index); ++index) {
        const fx::Effect::ParameterDescription description = fx::Effect::describe(*parameter);
        std::array<float, 16> value{};
        effect.getValue(parameter, value.data(), sizeof value);
        shown.values.push_back({std::string(description.name),
                                std::vector<float>(value.begin(), value.begin() + description.floats)});
    }
    std::sort(shown.values.begin(), shown.values.end(),
              [](const NamedValue& a, const NamedValue& b) { return a.name < b.name; });
    return shown;
}

std::vector<EffectValues> liveValues(const SceneOperator* scene, const GraphicSystem& graphics)
{
    std::vector<EffectValues> shown;
    if (scene != nullptr && scene->effect() != nullptr)
        shown.push_back(valuesOf(*scene->effect()));
    for (const char* post : {"Downsample4x4", "GaussianBlur", "Compositor"}) {
        if (const fx::Effect* effect = graphics.effect(post))
            shown.push_back(valuesOf(*effect));
    }
    return shown;
}

} // namespace orb::preview
