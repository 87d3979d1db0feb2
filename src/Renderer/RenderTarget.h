#pragma once

// RenderTarget -- a colour surface and an optional depth-stencil surface, owning the textures
// behind them or wrapping surfaces made elsewhere (the back buffer, another target's).
//
//   RenderTarget screen(device, 1280, 720, 1, gfx::Format::A8R8G8B8, gfx::Format::D24S8);
//   device.setRenderTarget(0, screen.colorSurface());
//   RenderTarget wrapper;                        // owns nothing
//   wrapper.setColorSurface(device.backBuffer());

#include "platform/gfx/Device.h"

#include <memory>
#include <optional>

namespace orb {

class RenderTarget
{
public:
    RenderTarget() = default;
    // Logs the textures it fails to create and leaves those parts empty; a depth format of
    // Unknown asks for no depth-stencil surface.
    RenderTarget(gfx::Device& device, int width, int height, unsigned levels, gfx::Format colorFormat,
                 gfx::Format depthFormat);
    virtual ~RenderTarget() = default;
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    bool ownsColor() const { return colorTexture_ != nullptr; }
    bool ownsDepth() const { return depthTexture_ != nullptr; }
    gfx::Texture* colorTexture() const { return colorTexture_.get(); }
    gfx::Surface* colorSurface() const { return colorSurface_; }
    gfx::Surface* depthSurface() const { return depthSurface_; }

    // Stores a surface made elsewhere; the wrapper never releases it.
    void setColorSurface(gfx::Surface* surface) { colorSurface_ = surface; }
    void setDepthSurface(gfx::Surface* surface) { depthSurface_ = surface; }

    // Where the colour surface holds anything but transparent black, as told by the one who last
    // cleared and drew it (the text pages); unknown (anywhere) until told. Whoever draws into it
    // without saying where must make it unknown again.
    const std::optional<gfx::Rect>& inked() const { return inked_; }
    void setInked(const std::optional<gfx::Rect>& inked) { inked_ = inked; }

private:
    std::unique_ptr<gfx::Texture> colorTexture_;
    gfx::Surface* colorSurface_ = nullptr;
    std::unique_ptr<gfx::Texture> depthTexture_;
    gfx::Surface* depthSurface_ = nullptr;
    std::optional<gfx::Rect> inked_;
};

} // namespace orb
