#include "platform/gfx/GlFormat.h"

#include <algorithm>
#include <iterator>

namespace orb::gfx {

namespace {

constexpr GLint Rgba[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};

// Direct3D's A8R8G8B8 dword is B, G, R, A in memory, which GL reads as BGRA / 8888_REV.
constexpr GlFormat Formats[] = {
    {Format::A8R8G8B8,
     GL_RGBA8,
     GL_BGRA,
     GL_UNSIGNED_INT_8_8_8_8_REV,
     4,
     {Rgba[0], Rgba[1], Rgba[2], Rgba[3]},
     false},
    {Format::X8R8G8B8,
     GL_RGBA8,
     GL_BGRA,
     GL_UNSIGNED_INT_8_8_8_8_REV,
     4,
     {GL_RED, GL_GREEN, GL_BLUE, GL_ONE},
     false},
    {Format::A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, false},
    {Format::L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_RED, GL_RED, GL_RED, GL_ONE}, false},
    // Held as floats (the upload converts each value exactly): llvmpipe filters float texels as
    // they are, where it converts 16-bit normalised ones first, a third of a 3D sample's cost.
    {Format::L16, GL_R32F, GL_RED, GL_UNSIGNED_SHORT, 2, {GL_RED, GL_RED, GL_RED, GL_ONE}, false},
    {Format::A16B16G16R16F,
     GL_RGBA16F,
     GL_RGBA,
     GL_HALF_FLOAT,
     8,
     {Rgba[0], Rgba[1], Rgba[2], Rgba[3]},
     false},
    {Format::R32F, GL_R32F, GL_RED, GL_FLOAT, 4, {GL_RED, GL_ONE, GL_ONE, GL_ONE}, false},
    {Format::A32B32G32R32F, GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, {Rgba[0], Rgba[1], Rgba[2], Rgba[3]}, false},
    {Format::D24S8,
     GL_DEPTH24_STENCIL8,
     GL_DEPTH_STENCIL,
     GL_UNSIGNED_INT_24_8,
     4,
     {Rgba[0], Rgba[1], Rgba[2], Rgba[3]},
     true},
    {Format::D24X8,
     GL_DEPTH24_STENCIL8,
     GL_DEPTH_STENCIL,
     GL_UNSIGNED_INT_24_8,
     4,
     {Rgba[0], Rgba[1], Rgba[2], Rgba[3]},
     true},
    {Format::D16,
     GL_DEPTH_COMPONENT16,
     GL_DEPTH_COMPONENT,
     GL_UNSIGNED_SHORT,
     2,
     {Rgba[0], Rgba[1], Rgba[2], Rgba[3]},
     true},
};

} // namespace

const GlFormat* glFormat(Format format)
{
    const auto found = std::find_if(std::begin(Formats), std::end(Formats),
                                    [format](const GlFormat& entry) { return entry.format == format; });
    return found != std::end(Formats) ? found : nullptr;
}

} // namespace orb::gfx
