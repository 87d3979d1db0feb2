#include "Operators/ShaderScene.h"

#include "LogFile.h"
#include "platform/fx/Matrix.h"
#include "platform/gfx/WorkCounters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orb {

namespace {

// An effect reads as many floats as its parameter declares, never more than are given.
void setFloats(fx::Effect& effect, const char* name, const float* values, std::size_t count)
{
    effect.setValue(effect.parameterByName(name), values, count * sizeof(float));
}

} // namespace

std::array<float, 4> aspectVector(float aspect)
{
    return {aspect, aspect / 2.0f, 0.0f, 0.0f};
}

void drawShaderPass(GraphicSystem& graphics, fx::Effect& effect, const ShaderSceneParams& params,
                    gfx::BaseTexture* stage1)
{
    gfx::Device& device = *graphics.device();
    setSampler(device, 0, gfx::TextureAddress::Mirror);
    if (stage1 != nullptr)
        setSampler(device, 1, gfx::TextureAddress::Wrap);
    device.setFvf(FullScreenTriangleFvf);

    effect.begin();
    effect.beginPass(0);
    for (const auto& [name, values] :
         {std::pair{"a", &params.a}, std::pair{"b", &params.b}, std::pair{"c1", &params.c1},
          std::pair{"c2", &params.c2}, std::pair{"c3", &params.c3}, std::pair{"f", &params.f},
          std::pair{"g", &params.g}})
        setFloats(effect, name, values->data(), values->size());
    if (params.invert)
        setFloats(effect, "invert", &*params.invert, 1);
    effect.commitChanges();
    device.setTexture(0, graphics.noiseTexture());
    if (stage1 != nullptr)
        device.setTexture(1, stage1);
    drawFullScreenTriangle(device, graphics.width(), graphics.height(), 1.0f);
    effect.endPass();
    effect.end();
}

float TextPager::update(GraphicSystem& graphics, fx::Font* font, float local)
{
    const float phase = std::fmod(local, period_);
    RenderTarget* text = graphics.renderTarget("Text");
    // Without a colour surface a redraw would land in whatever is bound: the back buffer.
    if (lastPhase_ > phase && text != nullptr && text->colorSurface() != nullptr)
        redraw(graphics, *text, font, local);
    lastPhase_ = phase;
    return phase;
}

void TextPager::redraw(GraphicSystem& graphics, RenderTarget& text, fx::Font* font, float local)
{
    ++redrawCount_;
    const auto page = std::find_if(pages_.begin(), pages_.end(),
                                   [local](const TextPage& entry) { return local < entry.end; });
    drawPage(graphics, text, font, page != pages_.end() ? page->text : std::string());
}

void TextPager::drawEveryPage(GraphicSystem& graphics, fx::Font& font) const
{
    RenderTarget* text = graphics.renderTarget("Text");
    if (text == nullptr || text->colorSurface() == nullptr)
        return;
    for (const TextPage& page : pages_)
        drawPage(graphics, *text, &font, page.text);
    drawPage(graphics, *text, nullptr, {});
}

void TextPager::drawPage(GraphicSystem& graphics, RenderTarget& text, fx::Font* font, const std::string& page)
{
    gfx::Device& device = *graphics.device();
    device.beginTimedPass("text page");
    gfx::countWork(gfx::Work::TextPageDrawn);
    device.setRenderTarget(0, text.colorSurface());
    device.setDepthStencilSurface(text.depthSurface());
    device.clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer | gfx::ClearFlag::Stencil, 0, 1.0f, 0);

    char buffer[500] = {};
    if (page.size() >= sizeof buffer)
        ORB_ERROR("text page of " << page.size() << " bytes cut to " << sizeof buffer - 1 << ": '"
                                  << page.substr(0, 20) << "...'");
    std::strncpy(buffer, page.c_str(), sizeof buffer - 1);
    if (font != nullptr)
        font->drawText(buffer, -1, {512, 512, 512, 512},
                       fx::TextFormat::Center | fx::TextFormat::VCenter | fx::TextFormat::NoClip, 0xFFFFFFFF);

    RenderTarget& screen = *graphics.backBufferTarget();
    device.setRenderTarget(0, screen.colorSurface());
    device.setDepthStencilSurface(screen.depthSurface());
    device.endTimedPass();
}

void drawTextQuad(GraphicSystem& graphics, int k, const std::array<float, 3>& translation, float yaw,
                  float pitch)
{
    RenderTarget* text = graphics.renderTarget("Text");
    if (text == nullptr || text->colorTexture() == nullptr)
        return;
    gfx::Device& device = *graphics.device();
    fx::MatrixStack& stack = graphics.matrixStack();
    const float aspect = graphics.aspectRatio();

    device.beginTimedPass("text quad");
    setImageQuadStates(device);
    device.setTransform(gfx::TransformType::Projection, projection45(aspect, 0.1f));
    stack.loadIdentity();
    device.setTransform(gfx::TransformType::View, stack.top());
    stack.loadIdentity();
    stack.translateLocal(translation[0], translation[1], translation[2]);
    stack.rotateYawPitchRollLocal(yaw, pitch, 0.0f);
    device.setTransform(gfx::TransformType::World, stack.top());

    const auto level = static_cast<std::uint32_t>(k);
    const gfx::Color color = gfx::argb(0, level, level, level);
    const Quad quad = screenQuad(aspect, graphics.width(), graphics.height(), 1.0f / aspect, 0.0f, color);
    device.setRenderState(gfx::RenderState::BlendFactor, color);
    device.setRenderState(gfx::RenderState::SrcBlend, gfx::Blend::BlendFactor);
    device.setRenderState(gfx::RenderState::DestBlend, gfx::Blend::One);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.setTexture(0, text->colorTexture());
    device.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad.data(), sizeof(QuadVertex));
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
    device.endTimedPass();
}

} // namespace orb
