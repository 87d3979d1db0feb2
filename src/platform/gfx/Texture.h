#pragma once

// Textures and surfaces of the device.
//
// Texture: a 2D texture with levels; each level is a Surface that can be a render target or a
// depth-stencil surface when the texture was made with that usage. VolumeTexture: a 3D texture.
// Both are created by the device and may outlive it: once the device is gone they are inert.
// Destroying a texture that is still bound unbinds it (a bound render target falls back to the
// back buffer), so nothing ever draws with a dead texture.
//
//   auto texture = device.createTexture(256, 256, 1, Usage::RenderTarget, Format::A8R8G8B8, &error);
//   device.setRenderTarget(0, texture->surfaceLevel(0));
//   texture->update(0, pixels, 256 * 4);           // bytes as Direct3D would lock them

#include "platform/gfx/Codes.h"

#include <cstddef>
#include <epoxy/gl.h>
#include <memory>
#include <vector>

namespace orb::gfx {

class Device;
class BaseTexture;
struct GlFormat;

class Surface
{
public:
    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    int samples() const { return samples_; }
    // The texture this surface is a level of; null for the back buffer and its depth buffer.
    BaseTexture* texture() const { return texture_; }

    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

private:
    friend class Device;
    friend class Texture;

    Surface(GLuint name, bool renderbuffer, int level, int width, int height, Format format, int samples,
            BaseTexture* texture);

    GLuint name_;
    bool renderbuffer_;
    int level_;
    int width_;
    int height_;
    Format format_;
    int samples_;
    BaseTexture* texture_;
};

class BaseTexture
{
public:
    virtual ~BaseTexture();
    BaseTexture(const BaseTexture&) = delete;
    BaseTexture& operator=(const BaseTexture&) = delete;

    Format format() const { return format_; }
    unsigned levels() const { return levels_; }
    bool isVolume() const { return target_ == GL_TEXTURE_3D; }
    GLuint name() const { return name_; }

protected:
    BaseTexture(Device& device, GLenum target, GLuint name, Format format, unsigned levels);
    bool uploadable(unsigned level, const void* data) const;
    const GlFormat& glFormat() const;

    Device* device_;                                 // null once the device is gone
    std::vector<std::unique_ptr<Surface>> surfaces_; // one per level; none for volumes

private:
    friend class Device;
    void orphan();

    GLenum target_;
    GLuint name_;
    Format format_;
    unsigned levels_;
};

class Texture final : public BaseTexture
{
public:
    int width() const { return width_; }
    int height() const { return height_; }

    // Level `level`'s surface; null beyond the last level.
    Surface* surfaceLevel(unsigned level) const;

    // Replaces a level's texels; `pixels` are laid out as Direct3D would lock them.
    bool update(unsigned level, const void* pixels, std::size_t rowPitch);

private:
    friend class Device;
    Texture(Device& device, GLuint name, Format format, unsigned levels, int width, int height);

    int width_;
    int height_;
};

class VolumeTexture final : public BaseTexture
{
public:
    int width() const { return width_; }
    int height() const { return height_; }
    int depth() const { return depth_; }

    bool update(unsigned level, const void* voxels, std::size_t rowPitch, std::size_t slicePitch);

private:
    friend class Device;
    VolumeTexture(Device& device, GLuint name, Format format, unsigned levels, int width, int height,
                  int depth);

    int width_;
    int height_;
    int depth_;
};

} // namespace orb::gfx
