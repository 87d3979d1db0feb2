#pragma once

// DeviceState -- every state the device's setters change, in one plain struct. A state block is
// a copy of it, and applying the block copies it back. Render targets are not part of it.

#include "platform/gfx/Codes.h"

#include <array>
#include <climits>
#include <cstdint>

namespace orb::gfx {

class BaseTexture;

constexpr std::uint32_t RenderStateCount = 256;
constexpr std::uint32_t SamplerCount = 16;
constexpr std::uint32_t SamplerStateCount = 14;

struct DeviceState
{
    std::array<std::uint32_t, RenderStateCount> renderStates;
    std::array<std::array<std::uint32_t, SamplerStateCount>, SamplerCount> samplerStates;
    std::array<BaseTexture*, SamplerCount> textures{};
    Matrix world = Matrix::identity();
    Matrix view = Matrix::identity();
    Matrix projection = Matrix::identity();
    std::uint32_t fvf = 0;
    Rect scissorRect{0, 0, INT_MAX, INT_MAX}; // cut to render target 0 where it is used

    // Direct3D 9's defaults for a device with an automatic depth buffer.
    static DeviceState defaults();
};

} // namespace orb::gfx
