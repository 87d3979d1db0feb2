#include "platform/fx/EffectInstancing.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

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

constexpr std::string_view Uniform = "uniform";
constexpr std::string_view ParameterTypes[] = {"float", "vec2", "vec3", "vec4", "mat4"};

bool isWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The length of the declaration "uniform <type> <name>;" that `text` starts with, 0 when it
// starts with none. Scanned by hand: std::regex recurses once per character it repeats over, so a
// long run of whitespace in an effect file overflowed the stack.
std::size_t declarationLength(std::string_view text, std::string_view name)
{
    std::size_t at = 0;
    const auto expect = [&](std::string_view word) {
        if (text.substr(at, word.size()) != word)
            return false;
        at += word.size();
        return true;
    };
    const auto skipSpace = [&] {
        const std::size_t start = at;
        while (at < text.size() && std::string_view(" \t\n\v\f\r").find(text[at]) != std::string_view::npos)
            ++at;
        return at > start;
    };
    if (!expect(Uniform) || !skipSpace() ||
        std::none_of(std::begin(ParameterTypes), std::end(ParameterTypes), expect) || !skipSpace() ||
        !expect(name))
        return 0;
    skipSpace();
    return expect(";") ? at : 0;
}

// Blanks every "uniform <type> <name>;" of the parameter, keeping the lines where they are; false
// when there is none.
bool blankDeclaration(std::string& text, const std::string& name)
{
    bool found = false;
    for (std::size_t at = text.find(Uniform); at != std::string::npos; at = text.find(Uniform, at + 1)) {
        if (at > 0 && isWordCharacter(text[at - 1]))
            continue;
        const std::size_t length = declarationLength(std::string_view(text).substr(at), name);
        for (std::size_t i = at; i < at + length; ++i)
            text[i] = text[i] == '\n' ? '\n' : ' ';
        found = found || length > 0;
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
