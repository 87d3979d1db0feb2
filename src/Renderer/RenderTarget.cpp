#include "Renderer/RenderTarget.h"

#include "LogFile.h"

namespace orb {

RenderTarget::RenderTarget(gfx::Device& device, int width, int height, unsigned levels,
                           gfx::Format colorFormat, gfx::Format depthFormat)
{
    colorTexture_ =
        device.createTexture(width, height, levels, gfx::Usage::RenderTarget, colorFormat, nullptr);
    if (colorTexture_)
        colorSurface_ = colorTexture_->surfaceLevel(0);
    else
        ORB_ERROR("RenderTarget::RenderTarget: failed to create color texture");

    if (depthFormat == gfx::Format::Unknown)
        return;
    depthTexture_ =
        device.createTexture(width, height, levels, gfx::Usage::DepthStencil, depthFormat, nullptr);
    if (depthTexture_)
        depthSurface_ = depthTexture_->surfaceLevel(0);
    else
        ORB_ERROR("RenderTarget::RenderTarget: failed to create depthstencil texture");
}

} // namespace orb
