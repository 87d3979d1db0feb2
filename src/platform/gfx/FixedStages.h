#pragma once

// FixedStages -- the programs that stand in for Direct3D 9's fixed-function pipeline.
// Internal to the device: one program per vertex format and kind of texture on stage 0,
// generated and linked on first use.

#include "platform/gfx/ShaderProgram.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace orb::gfx {

enum class StageTexture
{
    None,
    Flat,
    Volume,
};

class FixedStages
{
public:
    explicit FixedStages(std::weak_ptr<const void> contextLifetime)
        : contextLifetime_(std::move(contextLifetime))
    {}

    // Null for a vertex format the device cannot draw.
    ShaderProgram* programFor(std::uint32_t fvf, StageTexture stage0);

private:
    std::weak_ptr<const void> contextLifetime_;
    std::map<std::pair<std::uint32_t, StageTexture>, std::unique_ptr<ShaderProgram>> programs_;
};

} // namespace orb::gfx
