// Feeds arbitrary bytes to the effect file format as Effect::create reads them, then builds the
// GLSL text of every pass, plain and with the production's per-instance parameters, as the
// device would be given it to compile. The GLSL compiler itself is the driver's, not fuzzed here.

#include "platform/fx/EffectFile.h"
#include "platform/fx/EffectInstancing.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// What the trophy and the cubes draw per instance.
const std::vector<orb::fx::InstancedParameter> InstanceParameters = {{"world", 16}, {"diffuse", 4}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orb::fx;
    const char* text = reinterpret_cast<const char*>(data);
    std::string error;
    const std::optional<EffectSource> source = parseEffect(std::string(text, strnlen(text, size)), &error);
    if (!source) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    for (unsigned pass = 0; pass < source->passes.size(); ++pass) {
        const PassSource& stages = source->passes[pass];
        if (stages.vertex) {
            glslStage(source->common, *stages.vertex);
            instancedSources(*source, pass, InstanceParameters);
        }
        glslStage(source->common, stages.fragment);
    }
    return 0;
}
