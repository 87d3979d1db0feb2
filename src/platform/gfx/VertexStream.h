#pragma once

// VertexStream -- a persistently mapped ring buffer that takes the vertices of draws from user
// memory. Internal to the device. The ring has two halves; before the writer re-enters a half,
// it waits until the GPU has finished the draws that read it.

#include <cstddef>
#include <epoxy/gl.h>

namespace orb::gfx {

class VertexStream
{
public:
    VertexStream();
    ~VertexStream();
    VertexStream(const VertexStream&) = delete;
    VertexStream& operator=(const VertexStream&) = delete;

    bool valid() const { return mapped_ != nullptr; }
    GLuint buffer() const { return buffer_; }

    // Copies the bytes in and returns their offset in buffer(). Larger writes than half the ring
    // go to a buffer of their own, which is returned in `buffer` (otherwise buffer()).
    GLintptr write(const void* data, std::size_t size, GLuint& buffer);

private:
    static constexpr std::size_t Capacity = std::size_t{4} << 20;
    static constexpr std::size_t Half = Capacity / 2;

    GLuint buffer_ = 0;
    unsigned char* mapped_ = nullptr;
    std::size_t head_ = 0;
    unsigned half_ = 0;
    GLsync fences_[2] = {nullptr, nullptr};
    GLuint oversized_ = 0;
};

} // namespace orb::gfx
