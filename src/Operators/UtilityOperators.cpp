#include "Operators/UtilityOperators.h"

#include "DemoSystem.h"
#include "SoundResource.h"

namespace orb {

void ClearTargetOperator::work(float, bool)
{
    if (gfx::Device* device = demo().graphicSystem()->device())
        device->clear(flags_, color_, z_, stencil_);
}

bool SetRenderTargetOperator::initialize()
{
    if (renderTargetId_ != -1)
        demo().resourceManager()->getResource(static_cast<std::uint32_t>(renderTargetId_));
    const RenderTarget* backBuffer = demo().graphicSystem()->backBufferTarget();
    target_ = std::make_unique<RenderTarget>();
    target_->setColorSurface(backBuffer->colorSurface());
    target_->setDepthSurface(backBuffer->depthSurface());
    return true;
}

void SetRenderTargetOperator::work(float, bool)
{
    gfx::Device* device = demo().graphicSystem()->device();
    if (device == nullptr)
        return;
    device->setRenderTarget(targetIndex_, target_->colorSurface());
    if (target_->depthSurface() != nullptr)
        device->setDepthStencilSurface(target_->depthSurface());
}

bool SoundOperator::initialize()
{
    IResource* found = demo().resourceManager()->getResource(static_cast<std::uint32_t>(soundId_));
    resource_ = dynamic_cast<SoundResource*>(found);
    if (resource_ != nullptr)
        soundId_ = resource_->handle();
    return true;
}

void SoundOperator::work(float, bool)
{
    if (played_)
        return;
    demo().soundSystem()->play(static_cast<std::uint32_t>(soundId_), true);
    played_ = true;
}

} // namespace orb
