#pragma once

// EffectFile -- the text format of effects: GLSL 4.50 stages and render states, split into
// passes by lines that start with '@' (see docs/effects.md).
//
//   @common              GLSL put before every stage of every pass
//   @pass 0              the passes, numbered 0, 1, ... in order
//   @state ZEnable = false
//   @vertex              optional: without it the device's fixed vertex stage is used
//   @fragment            required in every pass
//
// Lines before the first section may only be blank or '//' comments.

#include "platform/gfx/Codes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orb::fx {

struct SourceText
{
    std::string text;
    int firstLine = 0; // line number of the text's first line in the effect file
};

struct PassSource
{
    std::vector<std::pair<gfx::RenderState, std::uint32_t>> states;
    std::optional<SourceText> vertex;
    SourceText fragment;
};

struct EffectSource
{
    SourceText common;
    std::vector<PassSource> passes;
};

// Null with "line N: reason" in `error` when the text is not an effect.
std::optional<EffectSource> parseEffect(const std::string& text, std::string* error);

// A stage ready to compile: version line, the effect library, `prelude`, common text and the
// stage, with #line markers so that compiler messages name lines of the effect file.
std::string glslStage(const SourceText& common, const SourceText& stage, const std::string& prelude = {});

// A pass's vertex stage: its own, or the device's fixed one for `fvf` when it has none.
std::string vertexStage(const SourceText& common, const PassSource& pass, std::uint32_t fvf);

} // namespace orb::fx
