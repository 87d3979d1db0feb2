#pragma once

// GlFormat -- how each Direct3D format is stored, uploaded and sampled in OpenGL.
// Internal to the device.

#include "platform/gfx/Codes.h"

#include <cstddef>
#include <epoxy/gl.h>

namespace orb::gfx {

struct GlFormat
{
    Format format;
    GLenum internalFormat;
    GLenum uploadFormat; // layout of the bytes Direct3D would lock, for update()
    GLenum uploadType;
    std::size_t bytesPerTexel;
    GLint swizzle[4]; // what a sampler returns as r, g, b, a
    bool depth;
};

// Null for formats the device does not offer.
const GlFormat* glFormat(Format format);

} // namespace orb::gfx
