#pragma once

// PlanarReadback -- a presented frame converted to 4:2:0 planes (PlanarPlanes) by a full-screen
// pass and read back one picture late: the pass and the read of picture N are queued behind it for
// the rasteriser's threads, and its bytes are taken only once picture N + 1 has been drawn,
// so the renderer neither waits for the rasteriser nor copies four bytes a pixel.
//
//   PlanarReadback planes;
//   const std::size_t index = planes.queue(framebuffer, width, height); // at picture N's present
//   ...                                                                 // picture N + 1 drawn
//   const std::uint8_t* bytes = planes.bytes(index); // until picture N + 2 is queued
//
// The frame's colour must be a texture: it is sampled where it was drawn. Each fragment converts a block of 4
// x 2 pixels and writes twelve bytes into four targets, which a software rasteriser draws several times
// faster than a byte a fragment. The pass leaves the GL state a device keeps as it found it.

#include "platform/gfx/Backend.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <epoxy/gl.h>
#include <memory>
#include <optional>

namespace orb::gfx {

class ShaderProgram;

class PlanarReadback
{
public:
    PlanarReadback();
    ~PlanarReadback();
    PlanarReadback(const PlanarReadback&) = delete;
    PlanarReadback& operator=(const PlanarReadback&) = delete;

    // Converts the frame and queues its read; the index to ask bytes() for.
    std::size_t queue(GLuint framebuffer, int width, int height);
    // The planes of a queued picture, once read; null when the conversion could not be made.
    const std::uint8_t* bytes(std::size_t index);

private:
    bool prepare(int width, int height);
    static GLuint frameTexture(GLuint framebuffer);
    void convert(GLuint picture);
    void read(std::size_t index);
    void release();
    void unmap(std::size_t index);
    // 4 x 2 pixel blocks across the frame, its padding included.
    int blocks() const { return layout_->lumaRow / 4; }

    int width_ = 0, height_ = 0;
    std::optional<PlanarPlanes> layout_;
    std::shared_ptr<const void> lifetime_ = std::make_shared<int>(); // the GL context outlives this
    std::unique_ptr<ShaderProgram> program_;
    GLuint vertexArray_ = 0, sampler_ = 0;
    GLuint framebuffer_ = 0;
    std::array<GLuint, 4> targets_{}; // the luma's upper and lower rows, the blue and the red difference
    std::array<GLuint, 2> buffers_{};
    std::array<const std::uint8_t*, 2> mapped_{};
    std::array<bool, 2> read_{}; // whether the picture queued into each buffer was converted
    std::size_t next_ = 0;
};

} // namespace orb::gfx
