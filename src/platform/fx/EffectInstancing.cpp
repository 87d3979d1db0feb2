#include "platform/fx/EffectInstancing.h"

#include <regex>

namespace orb::fx {

namespace {

const char* glslType(std::size_t floats)
{
    switch (floats) {
    case 16:
        return "mat4";
    default:
        return "vec4";
    }
}

const char* swizzle(std::size_t floats)
{
    switch (floats) {
    case 1:
        return ".x";
    case 2:
        return ".xy";
    case 3:
        return ".xyz";
    default:
        return "";
    }
}

// Blanks every "uniform <type> <name>;" of the parameter, keeping the lines where they are; false
// when there is none.
bool blankDeclaration(std::string& text, const std::string& name)
{
    const std::regex declaration("\\buniform\\s+(float|vec2|vec3|vec4|mat4)\\s+" + name + "\\s*;");
    bool found = false;
    for (std::smatch match; std::regex_search(text, match, declaration);) {
        for (auto at = match[0].first; at != match[0].second; ++at)
            text[static_cast<std::size_t>(at - text.cbegin())] = *at == '\n' ? '\n' : ' ';
        found = true;
    }
    return found;
}

// The block and the names that read from it; `index` is the instance's number in the stage.
std::string prelude(const std::vector<InstancedParameter>& perInstance, const std::string& index)
{
    std::string text = "struct orb_Instance {";
    for (const InstancedParameter& parameter : perInstance)
        text += std::string(" ") + glslType(parameter.floats) + " " + parameter.name + ";";
    text += " };\nlayout(std430, row_major, binding = 0) readonly buffer orb_InstanceBlock { orb_Instance "
            "orb_instances[]; };\n";
    for (const InstancedParameter& parameter : perInstance)
        text += "#define " + parameter.name + " orb_instances[" + index + "]." + parameter.name +
                swizzle(parameter.floats) + "\n";
    return text;
}

} // namespace

std::size_t instanceSlot(std::size_t floats)
{
    return floats == 16 ? 16 : 4;
}

std::optional<InstancedSources> instancedSources(const EffectSource& effect, unsigned pass,
                                                 const std::vector<InstancedParameter>& perInstance)
{
    const PassSource& source = effect.passes.at(pass);
    if (!source.vertex)
        return std::nullopt;
    SourceText common = effect.common, vertex = *source.vertex, fragment = source.fragment;
    for (const InstancedParameter& parameter : perInstance) {
        bool declared = false;
        for (SourceText* text : {&common, &vertex, &fragment})
            declared = blankDeclaration(text->text, parameter.name) || declared;
        if (!declared)
            return std::nullopt;
    }
    return InstancedSources{
        glslStage(common, vertex, prelude(perInstance, "gl_InstanceID")),
        glslStage(common, fragment, "flat in int orb_vInstance;\n" + prelude(perInstance, "orb_vInstance"))};
}

} // namespace orb::fx
