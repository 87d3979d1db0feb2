// GraphicSystem::postProcess -- the frame is copied, reduced to a quarter, blurred across and
// down, and composed with the sharp copy back into the back buffer.

#include "GraphicSystem.h"

#include <initializer_list>
#include <utility>

namespace orb {

namespace {

struct Pass
{
    const char* label; // the step's, when passes are timed
    fx::Effect& effect;
    std::initializer_list<std::pair<const char*, const float*>> values;
    gfx::BaseTexture* stage0;
    gfx::BaseTexture* stage1; // left as it is when null
    gfx::Surface* target;
    gfx::Surface* depth; // left as it is when null
};

// Every pass draws in full-size pixels, also into the quarter-size targets.
void run(gfx::Device& device, const Pass& pass, int width, int height)
{
    device.beginTimedPass(pass.label);
    pass.effect.begin();
    pass.effect.beginPass(0);
    for (const auto& [name, value] : pass.values)
        pass.effect.setValue(pass.effect.parameterByName(name), value, fx::Effect::DeclaredSize);
    pass.effect.commitChanges();
    device.setTexture(0, pass.stage0);
    if (pass.stage1 != nullptr)
        device.setTexture(1, pass.stage1);
    device.setRenderTarget(0, pass.target);
    if (pass.depth != nullptr)
        device.setDepthStencilSurface(pass.depth);
    drawFullScreenTriangle(device, width, height, 0.0f);
    pass.effect.endPass();
    pass.effect.end();
    device.endTimedPass();
}

} // namespace

void drawFullScreenTriangle(gfx::Device& device, int width, int height, float z)
{
    struct Vertex
    {
        float x, y, z, rhw, u, v;
    };
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    const Vertex triangle[3] = {
        {-0.5f, -0.5f, z, 0.0f, 0.0f, 0.0f},
        {2 * w - 0.5f, -0.5f, z, 0.0f, 2.0f, 0.0f},
        {-0.5f, 2 * h - 0.5f, z, 0.0f, 0.0f, 2.0f},
    };
    device.drawPrimitiveUP(gfx::PrimitiveType::TriangleList, 1, triangle, sizeof triangle[0]);
}

PostProcessVectors postProcessVectors(int width, int height, float downsample)
{
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    return {
        {1.0f / w, 1.0f / h, downsample, 0.0f}, {4.0f / w, 0.0f, 0.0f, 0.0f}, {0.0f, 4.0f / h, 0.0f, 0.0f}};
}

void GraphicSystem::postProcess(const PostProcessParams& params)
{
    if (!device_)
        return;
    for (std::uint32_t sampler : {0u, 1u}) {
        device_->setSamplerState(sampler, gfx::SamplerState::AddressU, gfx::TextureAddress::Clamp);
        device_->setSamplerState(sampler, gfx::SamplerState::AddressV, gfx::TextureAddress::Clamp);
        for (gfx::SamplerState filter :
             {gfx::SamplerState::MagFilter, gfx::SamplerState::MinFilter, gfx::SamplerState::MipFilter})
            device_->setSamplerState(sampler, filter, gfx::TextureFilter::Linear);
    }
    device_->setFvf(FullScreenTriangleFvf);

    RenderTarget* screen = renderTarget("Screen");
    RenderTarget* blur1 = renderTarget("Blur1");
    RenderTarget* blur2 = renderTarget("Blur2");
    fx::Effect* downsample = effect("Downsample4x4");
    fx::Effect* blur = effect("GaussianBlur");
    fx::Effect* compositor = effect("Compositor");
    // A missing piece has been logged by its look-up; the frame stays as drawn.
    if (!screen || !blur1 || !blur2 || !downsample || !blur || !compositor)
        return;

    const PostProcessVectors vectors = postProcessVectors(width_, height_, params.downsample);

    // A single-sampled frame changes places with "Screen", as a flip would, instead of being
    // copied there; the compose covers every pixel of what the back buffer holds then. A
    // multisampled frame is resolved into "Screen".
    device_->beginTimedPass("post: copy");
    if (!device_->exchange(backBufferTarget_->colorSurface(), screen->colorSurface()))
        device_->stretchRect(backBufferTarget_->colorSurface(), screen->colorSurface());
    device_->endTimedPass();
    device_->setDepthStencilSurface(screen->depthSurface());
    run(*device_,
        {"post: downsample",
         *downsample,
         {{"d", vectors.d1.data()}},
         screen->colorTexture(),
         nullptr,
         blur1->colorSurface(),
         nullptr},
        width_, height_);
    run(*device_,
        {"post: blur across",
         *blur,
         {{"d", vectors.d2.data()}},
         blur1->colorTexture(),
         nullptr,
         blur2->colorSurface(),
         nullptr},
        width_, height_);
    run(*device_,
        {"post: blur down",
         *blur,
         {{"d", vectors.d3.data()}},
         blur2->colorTexture(),
         nullptr,
         blur1->colorSurface(),
         nullptr},
        width_, height_);
    // The compose covers every pixel with one sample each: a multisampled back buffer takes it in
    // its single-sampled stand-in, which is shown without resolving (the samples are filled only
    // if something draws after it). "Screen"'s depth, the stand-in's size and unread, stays bound.
    run(*device_,
        {"post: compose",
         *compositor,
         {{"d", params.compositorD.data()}, {"c", params.compositorC.data()}},
         screen->colorTexture(),
         blur1->colorTexture(),
         device_->resolvedBackBuffer(),
         nullptr},
        width_, height_);
    device_->setRenderTarget(0, backBufferTarget_->colorSurface());
    device_->setDepthStencilSurface(backBufferTarget_->depthSurface());
}

} // namespace orb
