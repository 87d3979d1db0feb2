#include "Operators/SceneShared.h"

#include "FileSystem.h"
#include "Operators/PictureCover.h"
#include "platform/fx/ImageTexture.h"

#include <cmath>

namespace orb {

float flicker(float x, float factor)
{
    return std::sin(x * factor);
}

float sinOf(double x)
{
    return static_cast<float>(std::sin(x));
}

double beatSwing(float bars)
{
    constexpr double ThreeQuartersPi = 2.35619455575943;
    return std::sin(4.0 * Pi * bars + ThreeQuartersPi);
}

void setVector(fx::Effect& effect, const char* name, const std::array<float, 4>& value)
{
    effect.setValue(effect.parameterByName(name), value.data(), fx::Effect::DeclaredSize);
}

fx::Matrix projection90(float aspect, float nearPlane)
{
    return fx::perspectiveFovLH(1.5707964f, aspect, nearPlane, 1000.0f);
}

fx::Matrix projection45(float aspect, float nearPlane)
{
    return fx::perspectiveFovLH(0.7853982f, aspect, nearPlane, 1000.0f);
}

namespace {

void setLinearFilters(gfx::Device& device, std::uint32_t sampler)
{
    for (gfx::SamplerState filter :
         {gfx::SamplerState::MagFilter, gfx::SamplerState::MinFilter, gfx::SamplerState::MipFilter})
        device.setSamplerState(sampler, filter, gfx::TextureFilter::Linear);
}

} // namespace

void setSampler(gfx::Device& device, std::uint32_t sampler, std::uint32_t address)
{
    for (gfx::SamplerState state :
         {gfx::SamplerState::AddressU, gfx::SamplerState::AddressV, gfx::SamplerState::AddressW})
        device.setSamplerState(sampler, state, address);
    setLinearFilters(device, sampler);
}

void shake(fx::MatrixStack& stack, float amount)
{
    stack.translateLocal(flicker(amount, 100010) * 0.03f * amount, flicker(amount, 110010) * 0.03f * amount,
                         0);
}

PostProcessParams flickeringGlow(float x, float strength, float wash, const std::array<float, 4>& tint)
{
    return {0.3f - flicker(x, 100010) * x / 3.0f,
            {1, 2, wash, (1 + flicker(x, 100010)) * strength * x / 100.0f},
            tint};
}

Quad screenQuad(float aspect, int width, int height, float vSpan, float z, gfx::Color color)
{
    const float cu = 0.5f + 0.5f / static_cast<float>(width);
    const float cv = 0.5f + 0.5f / static_cast<float>(height);
    return {{{-aspect, -1.0f, z, color, cu - 0.5f, cv + vSpan / 2.0f},
             {aspect, -1.0f, z, color, cu + 0.5f, cv + vSpan / 2.0f},
             {-aspect, 1.0f, z, color, cu - 0.5f, cv - vSpan / 2.0f},
             {aspect, 1.0f, z, color, cu + 0.5f, cv - vSpan / 2.0f}}};
}

Quad imageQuad(float aspect, int width, int height, float z, gfx::Color color)
{
    return screenQuad(aspect, width, height, PictureAspect / aspect, z, color);
}

SingleSampled::SingleSampled(gfx::Device& device)
    : device_(device), target_(device.renderTarget(0)), depth_(device.depthStencilSurface()),
      bound_(target_ == device.backBuffer() && device.resolvedBackBuffer() != target_)
{
    if (!bound_)
        return;
    device.setRenderTarget(0, device.resolvedBackBuffer());
    device.setDepthStencilSurface(nullptr);
}

SingleSampled::~SingleSampled()
{
    if (!bound_)
        return;
    device_.setRenderTarget(0, target_);
    device_.setDepthStencilSurface(depth_);
}

void setImageQuadStates(gfx::Device& device)
{
    device.setFvf(gfx::Fvf::Xyz | gfx::Fvf::Diffuse | gfx::Fvf::Tex1);
    device.setRenderState(gfx::RenderState::CullMode, gfx::Cull::None);
    device.setRenderState(gfx::RenderState::Lighting, 0);
    device.setSamplerState(0, gfx::SamplerState::AddressU, gfx::TextureAddress::Clamp);
    device.setSamplerState(0, gfx::SamplerState::AddressV, gfx::TextureAddress::Clamp);
    setLinearFilters(device, 0);
}

namespace {

// Blended (SRCALPHA, INVSRCALPHA) with `texture` on stage 0; blending off afterwards.
void drawBlended(gfx::Device& device, gfx::PrimitiveType type, std::size_t primitives,
                 const QuadVertex* vertices, gfx::BaseTexture* texture)
{
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::Blend::SrcAlpha);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::Blend::InvSrcAlpha);
    device.setTexture(0, texture);
    if (primitives > 0)
        device.drawPrimitiveUP(type, static_cast<std::uint32_t>(primitives), vertices, sizeof(QuadVertex));
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
}

// The quad's states, the 90-degree camera, `world` and `view`.
void placePicture(GraphicSystem& graphics, const fx::Matrix& world, const fx::Matrix& view, float nearPlane)
{
    gfx::Device& device = *graphics.device();
    setImageQuadStates(device);
    device.setTransform(gfx::TransformType::Projection, projection90(graphics.aspectRatio(), nearPlane));
    device.setTransform(gfx::TransformType::World, world);
    device.setTransform(gfx::TransformType::View, view);
}

} // namespace

void drawImageQuad(gfx::Device& device, const Quad& quad, gfx::BaseTexture* texture)
{
    drawBlended(device, gfx::PrimitiveType::TriangleStrip, 2, quad.data(), texture);
}

void drawPicture(GraphicSystem& graphics, const Quad& quad, gfx::BaseTexture* picture,
                 const fx::Matrix& world, const fx::Matrix& view, float nearPlane)
{
    gfx::Device& device = *graphics.device();
    device.beginTimedPass("picture");
    placePicture(graphics, world, view, nearPlane);
    drawImageQuad(device, quad, picture);
    device.endTimedPass();
}

void drawPicture(GraphicSystem& graphics, const Quad& quad, Picture& picture, const fx::Matrix& world,
                 const fx::Matrix& view, float nearPlane)
{
    gfx::Device& device = *graphics.device();
    device.beginTimedPass("picture");
    placePicture(graphics, world, view, nearPlane);
    const std::vector<QuadVertex>& triangles = picture.cover.triangles(quad);
    drawBlended(device, gfx::PrimitiveType::TriangleList, triangles.size() / 3, triangles.data(),
                picture.texture.get());
    device.endTimedPass();
}

bool loadImage(FileSystem& files, gfx::Device& device, const char* fileName, int width, int height,
               std::unique_ptr<gfx::Texture>& texture)
{
    if (!files.open(fileName))
        return false;
    texture = fx::createTextureFromImage(device, files.fileData(fileName), files.fileSize(fileName), width,
                                         height, nullptr);
    files.close(fileName);
    return true;
}

} // namespace orb
