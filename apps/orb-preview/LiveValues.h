#pragma once

// LiveValues -- the values the frame on screen was drawn with, read back from the effects that
// drew it (never worked out again beside the scene): the playing scene's effect and the
// post-processing chain's.
//
//   for (const EffectValues& effect : liveValues(sceneOperator, graphics))
//       for (const NamedValue& value : effect.values) ...   // "Scene6.fx", "a" = {0, 0, 9.5}

#include <string>
#include <vector>

namespace orb {
class GraphicSystem;
class SceneOperator;
namespace fx {
class Effect;
}
} // namespace orb

namespace orb::preview {

struct NamedValue
{
    std::string name;
    std::vector<float> floats; // a matrix's 16 row by row
};

struct EffectValues
{
    std::string effect;             // its file's name
    std::vector<NamedValue> values; // by name
};

// Every parameter of `effect` as it was last set.
EffectValues valuesOf(const fx::Effect& effect);

// The scene operator's effect (none for a scene drawn without one, or for no operator), then
// the post-processing effects'.
std::vector<EffectValues> liveValues(const SceneOperator* scene, const GraphicSystem& graphics);

} // namespace orb::preview
