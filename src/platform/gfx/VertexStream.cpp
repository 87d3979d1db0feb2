#include "platform/gfx/VertexStream.h"

#include <cstring>

namespace orb::gfx {

VertexStream::VertexStream()
{
    constexpr GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    glCreateBuffers(1, &buffer_);
    glNamedBufferStorage(buffer_, Capacity, nullptr, flags);
    mapped_ = static_cast<unsigned char*>(glMapNamedBufferRange(buffer_, 0, Capacity, flags));
}

VertexStream::~VertexStream()
{
    for (GLsync fence : fences_)
        glDeleteSync(fence);
    glDeleteBuffers(1, &oversized_);
    glDeleteBuffers(1, &buffer_);
}

GLintptr VertexStream::write(const void* data, std::size_t size, GLuint& buffer)
{
    if (size > Half) {
        glDeleteBuffers(1, &oversized_); // GL keeps it alive for draws still reading it
        glCreateBuffers(1, &oversized_);
        glNamedBufferStorage(oversized_, static_cast<GLsizeiptr>(size), data, 0);
        buffer = oversized_;
        return 0;
    }
    std::size_t start = (head_ + 15) & ~std::size_t{15};
    if (start + size > (half_ + 1) * Half) {
        fences_[half_] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        half_ ^= 1;
        start = half_ * Half;
        if (fences_[half_] != nullptr) {
            glClientWaitSync(fences_[half_], GL_SYNC_FLUSH_COMMANDS_BIT, GLuint64{10'000'000'000});
            glDeleteSync(fences_[half_]);
            fences_[half_] = nullptr;
        }
    }
    std::memcpy(mapped_ + start, data, size);
    head_ = start + size;
    buffer = buffer_;
    return static_cast<GLintptr>(start);
}

} // namespace orb::gfx
