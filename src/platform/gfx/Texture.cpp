#include "platform/gfx/Texture.h"

#include "platform/gfx/Device.h"
#include "platform/gfx/GlFormat.h"
#include "platform/gfx/WorkCounters.h"

#include <algorithm>
#include <bit>

namespace orb::gfx {

namespace {

std::unique_ptr<Texture> refuse(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return nullptr;
}

unsigned fullChain(int width, int height, int depth = 1)
{
    return static_cast<unsigned>(std::bit_width(static_cast<unsigned>(std::max({width, height, depth}))));
}

// Checks the arguments shared by 2D and volume textures; empty when they are usable.
std::string creationProblem(const GlFormat* format, Format code, int width, int height, int depth,
                            unsigned levels)
{
    GLint maxSize = 0;
    glGetIntegerv(depth > 1 ? GL_MAX_3D_TEXTURE_SIZE : GL_MAX_TEXTURE_SIZE, &maxSize);
    if (format == nullptr)
        return "unsupported format " + std::to_string(static_cast<unsigned>(code));
    if (width <= 0 || height <= 0 || depth <= 0 || std::max({width, height, depth}) > maxSize)
        return "invalid size " + std::to_string(width) + " x " + std::to_string(height) +
               (depth > 1 ? " x " + std::to_string(depth) : "");
    if (levels > fullChain(width, height, depth))
        return "too many levels (" + std::to_string(levels) + ")";
    return {};
}

void drainErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

} // namespace

Surface::Surface(GLuint name, bool renderbuffer, int level, int width, int height, Format format, int samples,
                 BaseTexture* texture)
    : name_(name), renderbuffer_(renderbuffer), level_(level), width_(width), height_(height),
      format_(format), samples_(samples), texture_(texture)
{}

BaseTexture::BaseTexture(Device& device, GLenum target, GLuint name, Format format, unsigned levels)
    : device_(&device), target_(target), name_(name), format_(format), levels_(levels)
{
    const GlFormat& layout = glFormat();
    glTextureParameteri(name_, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_) - 1);
    glTextureParameteriv(name_, GL_TEXTURE_SWIZZLE_RGBA, layout.swizzle);
}

BaseTexture::~BaseTexture()
{
    if (device_ != nullptr) {
        device_->forget(this);
        glDeleteTextures(1, &name_);
    }
}

void BaseTexture::orphan()
{
    glDeleteTextures(1, &name_);
    device_ = nullptr;
}

const GlFormat& BaseTexture::glFormat() const
{
    return *gfx::glFormat(format_);
}

bool BaseTexture::uploadable(unsigned level, const void* data) const
{
    if (device_ == nullptr || data == nullptr || level >= levels_ || glFormat().depth)
        return false;
    device_->flushDraws(); // draws gathered before the upload read the texels they saw
    return true;
}

Texture::Texture(Device& device, GLuint name, Format format, unsigned levels, int width, int height)
    : BaseTexture(device, GL_TEXTURE_2D, name, format, levels), width_(width), height_(height)
{
    for (unsigned level = 0; level < levels; ++level) {
        surfaces_.push_back(std::unique_ptr<Surface>(
            new Surface(name, false, static_cast<int>(level), std::max(1, width >> level),
                        std::max(1, height >> level), format, 0, this)));
    }
}

Surface* Texture::surfaceLevel(unsigned level) const
{
    return level < surfaces_.size() ? surfaces_[level].get() : nullptr;
}

bool Texture::update(unsigned level, const void* pixels, std::size_t rowPitch)
{
    const Surface* surface = surfaceLevel(level);
    const std::size_t texel = glFormat().bytesPerTexel;
    if (!uploadable(level, pixels) || rowPitch % texel != 0 ||
        rowPitch < static_cast<std::size_t>(surface->width()) * texel)
        return false;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPitch / texel));
    countWork(Work::TextureUpload);
    glTextureSubImage2D(name(), static_cast<GLint>(level), 0, 0, surface->width(), surface->height(),
                        glFormat().uploadFormat, glFormat().uploadType, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return true;
}

VolumeTexture::VolumeTexture(Device& device, GLuint name, Format format, unsigned levels, int width,
                             int height, int depth)
    : BaseTexture(device, GL_TEXTURE_3D, name, format, levels), width_(width), height_(height), depth_(depth)
{}

bool VolumeTexture::update(unsigned level, const void* voxels, std::size_t rowPitch, std::size_t slicePitch)
{
    const int width = std::max(1, width_ >> level);
    const int height = std::max(1, height_ >> level);
    const int depth = std::max(1, depth_ >> level);
    const std::size_t texel = glFormat().bytesPerTexel;
    if (!uploadable(level, voxels) || rowPitch % texel != 0 ||
        rowPitch < static_cast<std::size_t>(width) * texel || slicePitch % rowPitch != 0 ||
        slicePitch < rowPitch * static_cast<std::size_t>(height))
        return false;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPitch / texel));
    glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, static_cast<GLint>(slicePitch / rowPitch));
    countWork(Work::TextureUpload);
    glTextureSubImage3D(name(), static_cast<GLint>(level), 0, 0, 0, width, height, depth,
                        glFormat().uploadFormat, glFormat().uploadType, voxels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
    return true;
}

std::unique_ptr<Texture> Device::createTexture(int width, int height, unsigned levels, std::uint32_t usage,
                                               Format format, std::string* error)
{
    const GlFormat* layout = gfx::glFormat(format);
    const std::string problem = creationProblem(layout, format, width, height, 1, levels);
    if (!problem.empty())
        return refuse(error, problem);
    const bool depthUsage = (usage & Usage::DepthStencil) != 0;
    if (depthUsage != layout->depth || (depthUsage && (usage & Usage::RenderTarget) != 0))
        return refuse(error, "format " + std::to_string(static_cast<unsigned>(format)) +
                                 " does not fit usage " + std::to_string(usage));
    const unsigned levelCount = levels == 0 ? fullChain(width, height) : levels;

    drainErrors();
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &name);
    glTextureStorage2D(name, static_cast<GLsizei>(levelCount), layout->internalFormat, width, height);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return refuse(error, "out of video memory");
    }
    countWork(Work::TextureCreated);
    std::unique_ptr<Texture> texture(new Texture(*this, name, format, levelCount, width, height));
    textures_.insert(texture.get());
    return texture;
}

std::unique_ptr<VolumeTexture> Device::createVolumeTexture(int width, int height, int depth, unsigned levels,
                                                           Format format, std::string* error)
{
    const GlFormat* layout = gfx::glFormat(format);
    std::string problem = creationProblem(layout, format, width, height, depth, levels);
    if (problem.empty() && layout->depth)
        problem = "format " + std::to_string(static_cast<unsigned>(format)) + " cannot be a volume";
    if (!problem.empty()) {
        refuse(error, problem);
        return nullptr;
    }
    const unsigned levelCount = levels == 0 ? fullChain(width, height, depth) : levels;

    drainErrors();
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_3D, 1, &name);
    glTextureStorage3D(name, static_cast<GLsizei>(levelCount), layout->internalFormat, width, height, depth);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        refuse(error, "out of video memory");
        return nullptr;
    }
    countWork(Work::TextureCreated);
    std::unique_ptr<VolumeTexture> texture(
        new VolumeTexture(*this, name, format, levelCount, width, height, depth));
    textures_.insert(texture.get());
    return texture;
}

} // namespace orb::gfx
