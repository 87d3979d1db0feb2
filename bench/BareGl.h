#pragma once

// What the bare-GL baselines share with each other.

#include <cstdint>
#include <epoxy/gl.h>

namespace orb::bench {

// A vertex array for pre-transformed vertices (x, y, z, rhw, u, v: 24 bytes) from buffer binding
// 0, at the attribute locations the device's fixed vertex stage reads: 0 and 3.
inline GLuint pretransformedVertexArray()
{
    GLuint vertexArray = 0;
    glCreateVertexArrays(1, &vertexArray);
    glEnableVertexArrayAttrib(vertexArray, 0);
    glVertexArrayAttribFormat(vertexArray, 0, 4, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, 0, 0);
    glEnableVertexArrayAttrib(vertexArray, 3);
    glVertexArrayAttribFormat(vertexArray, 3, 2, GL_FLOAT, GL_FALSE, 16);
    glVertexArrayAttribBinding(vertexArray, 3, 0);
    return vertexArray;
}

// The framebuffer's centre pixel, packed as the device's readPixels gives it: 0xAARRGGBB.
inline std::uint32_t centrePixel(GLuint framebuffer, int width, int height)
{
    unsigned char bgra[4] = {};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(width / 2, height / 2, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    return std::uint32_t{bgra[0]} | std::uint32_t{bgra[1]} << 8 | std::uint32_t{bgra[2]} << 16 |
           std::uint32_t{bgra[3]} << 24;
}

} // namespace orb::bench
