#include "platform/fx/EffectFile.h"

#include "platform/fx/EffectLibrary.h"
#include "platform/gfx/Device.h"

#include <map>
#include <sstream>

namespace orb::fx {

namespace {

using gfx::RenderState;

enum class ValueKind
{
    Boolean,
    Comparison,
    CullMode,
    Blend,
    BlendOperation,
    Number,
};

struct StateName
{
    RenderState state;
    ValueKind kind;
};

const std::map<std::string, StateName>& stateNames()
{
    static const std::map<std::string, StateName> names = {
        {"ZEnable", {RenderState::ZEnable, ValueKind::Boolean}},
        {"ZWriteEnable", {RenderState::ZWriteEnable, ValueKind::Boolean}},
        {"ZFunc", {RenderState::ZFunc, ValueKind::Comparison}},
        {"CullMode", {RenderState::CullMode, ValueKind::CullMode}},
        {"AlphaBlendEnable", {RenderState::AlphaBlendEnable, ValueKind::Boolean}},
        {"SrcBlend", {RenderState::SrcBlend, ValueKind::Blend}},
        {"DestBlend", {RenderState::DestBlend, ValueKind::Blend}},
        {"BlendOp", {RenderState::BlendOp, ValueKind::BlendOperation}},
        {"BlendFactor", {RenderState::BlendFactor, ValueKind::Number}},
    };
    return names;
}

const std::map<std::string, std::uint32_t>& valueNames(ValueKind kind)
{
    using namespace gfx;
    static const std::map<ValueKind, std::map<std::string, std::uint32_t>> names = {
        {ValueKind::Boolean, {{"false", 0}, {"true", 1}}},
        {ValueKind::Comparison,
         {{"Never", Cmp::Never},
          {"Less", Cmp::Less},
          {"Equal", Cmp::Equal},
          {"LessEqual", Cmp::LessEqual},
          {"Greater", Cmp::Greater},
          {"NotEqual", Cmp::NotEqual},
          {"GreaterEqual", Cmp::GreaterEqual},
          {"Always", Cmp::Always}}},
        {ValueKind::CullMode,
         {{"None", Cull::None}, {"CW", Cull::Clockwise}, {"CCW", Cull::CounterClockwise}}},
        {ValueKind::Blend,
         {{"Zero", Blend::Zero},
          {"One", Blend::One},
          {"SrcColor", Blend::SrcColor},
          {"InvSrcColor", Blend::InvSrcColor},
          {"SrcAlpha", Blend::SrcAlpha},
          {"InvSrcAlpha", Blend::InvSrcAlpha},
          {"DestAlpha", Blend::DestAlpha},
          {"InvDestAlpha", Blend::InvDestAlpha},
          {"DestColor", Blend::DestColor},
          {"InvDestColor", Blend::InvDestColor},
          {"SrcAlphaSat", Blend::SrcAlphaSat},
          {"BlendFactor", Blend::BlendFactor},
          {"InvBlendFactor", Blend::InvBlendFactor}}},
        {ValueKind::BlendOperation,
         {{"Add", BlendOp::Add},
          {"Subtract", BlendOp::Subtract},
          {"RevSubtract", BlendOp::RevSubtract},
          {"Min", BlendOp::Min},
          {"Max", BlendOp::Max}}},
        {ValueKind::Number, {}},
    };
    return names.at(kind);
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> number(const std::string& text)
{
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used == text.size() && value <= 0xFFFFFFFFul)
            return static_cast<std::uint32_t>(value);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

class Parser
{
public:
    std::optional<EffectSource> parse(const std::string& text, std::string* error)
    {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            ++lineNumber_;
            const std::string content = trimmed(line);
            if (!content.empty() && content[0] == '@') {
                if (!directive(content))
                    return fail(error);
            } else if (section_ != nullptr) {
                section_->text += line + '\n';
            } else if (!content.empty() && content.rfind("//", 0) != 0) {
                problem_ = "text outside any section";
                return fail(error);
            }
        }
        if (source_.passes.empty()) {
            problem_ = "no @pass";
            return fail(error);
        }
        for (std::size_t pass = 0; pass < source_.passes.size(); ++pass) {
            if (source_.passes[pass].fragment.firstLine == 0) {
                problem_ = "pass " + std::to_string(pass) + " has no @fragment";
                return fail(error);
            }
        }
        return std::move(source_);
    }

private:
    bool directive(const std::string& content)
    {
        std::istringstream words(content);
        std::string word;
        words >> word;
        std::string rest;
        std::getline(words, rest);
        rest = trimmed(rest);
        if (word == "@common")
            return open(source_.common, rest);
        if (word == "@pass")
            return pass(rest);
        if (source_.passes.empty()) {
            problem_ = word + " outside a @pass";
            return false;
        }
        PassSource& current = source_.passes.back();
        if (word == "@state")
            return state(current, rest);
        if (word == "@vertex") {
            if (!current.vertex)
                current.vertex.emplace();
            return open(*current.vertex, rest);
        }
        if (word == "@fragment")
            return open(current.fragment, rest);
        problem_ = "unknown directive " + word;
        return false;
    }

    bool open(SourceText& section, const std::string& rest)
    {
        if (!rest.empty() || section.firstLine != 0) {
            problem_ = rest.empty() ? "section given twice" : "unexpected text after the directive";
            return false;
        }
        section.firstLine = lineNumber_ + 1;
        section_ = &section;
        return true;
    }

    bool pass(const std::string& rest)
    {
        if (number(rest) != source_.passes.size()) {
            problem_ = "passes must be numbered 0, 1, ... in order";
            return false;
        }
        source_.passes.emplace_back();
        section_ = nullptr;
        return true;
    }

    bool state(PassSource& current, const std::string& rest)
    {
        section_ = nullptr;
        const std::size_t equals = rest.find('=');
        const std::string name = trimmed(rest.substr(0, equals));
        const std::string value =
            equals == std::string::npos ? std::string() : trimmed(rest.substr(equals + 1));
        const auto known = stateNames().find(name);
        if (known == stateNames().end()) {
            problem_ = "unknown render state '" + name + "'";
            return false;
        }
        const auto& names = valueNames(known->second.kind);
        const auto named = names.find(value);
        const std::optional<std::uint32_t> parsed = named != names.end() ? named->second : number(value);
        if (!parsed) {
            problem_ = "bad value '" + value + "' for " + name;
            return false;
        }
        current.states.emplace_back(known->second.state, *parsed);
        return true;
    }

    std::nullopt_t fail(std::string* error) const
    {
        if (error != nullptr)
            *error = "line " + std::to_string(lineNumber_) + ": " + problem_;
        return std::nullopt;
    }

    EffectSource source_;
    SourceText* section_ = nullptr;
    int lineNumber_ = 0;
    std::string problem_;
};

} // namespace

std::optional<EffectSource> parseEffect(const std::string& text, std::string* error)
{
    return Parser().parse(text, error);
}

std::string glslStage(const SourceText& common, const SourceText& stage, const std::string& prelude)
{
    std::string glsl = std::string("#version 450 core\n") + EffectLibrary + prelude;
    if (common.firstLine != 0)
        glsl += "#line " + std::to_string(common.firstLine) + "\n" + common.text;
    return glsl + "#line " + std::to_string(stage.firstLine) + "\n" + stage.text;
}

std::string vertexStage(const SourceText& common, const PassSource& pass, std::uint32_t fvf)
{
    return pass.vertex ? glslStage(common, *pass.vertex) : gfx::Device::fixedVertexStage(fvf);
}

} // namespace orb::fx
