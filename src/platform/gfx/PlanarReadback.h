#pragma once

// PlanarReadback -- a presented frame converted to 4:2:0 planes (BT.709, limited range) on the
// rasteriser and read back one picture late: the read of picture N is queued behind it, and its
// bytes are taken only once picture N + 1 has been drawn, so the renderer does not wait for it.
//
//   PlanarReadback planes;
//   const std::size_t index = planes.queue(framebuffer, width, height); // at picture N's present
//   ...                                                                 // picture N + 1 drawn
//   const std::uint8_t* bytes = planes.bytes(index); // Y (width x height), then U and V (each a
//                                                    // quarter), until picture N + 2 is queued
//
// It changes no GL state a device keeps: a compute pass, with its own program, image unit and a
// texture unit above the device's, restored as it found them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <epoxy/gl.h>

namespace orb::gfx {

class PlanarReadback
{
public:
    PlanarReadback() = default;
    ~PlanarReadback();
    PlanarReadback(const PlanarReadback&) = delete;
    PlanarReadback& operator=(const PlanarReadback&) = delete;

    // Converts the frame and queues its read; the index to ask bytes() for.
    std::size_t queue(GLuint framebuffer, int width, int height);
    // The planes of a queued picture, once read; null when the read failed.
    const std::uint8_t* bytes(std::size_t index);

    static std::size_t planesSize(int width, int height)
    {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 / 2;
    }

private:
    bool prepare(int width, int height);
    void release();
    void unmap(std::size_t index);

    int width_ = 0, height_ = 0;
    GLuint program_ = 0;
    GLuint picture_ = 0, pictureFramebuffer_ = 0; // the frame, copied to be sampled
    GLuint planes_ = 0;                           // an R8 image of width x 1.5 height
    std::array<GLuint, 2> buffers_{};
    std::array<const std::uint8_t*, 2> mapped_{};
    std::size_t next_ = 0;
};

} // namespace orb::gfx
