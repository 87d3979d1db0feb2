#include "Operators/ShaderScene.h"

#include "LogFile.h"
#include "platform/fx/Matrix.h"
#include "platform/gfx/WorkCounters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace orb {

namespace {

// An effect reads as many floats as its parameter declares, never more than are given.
void setFloats(fx::Effect& effect, const char* name, const float* values, std::size_t count)
{
    effect.setValue(effect.parameterByName(name), values, count * sizeof(float));
}

// The pixels where `quad`, placed by `toClip` (world, view and projection), can change the screen
// when it adds a texture of `textureSize` texels square that is transparent black outside
// `inked`: the screen's box around the part of the quad within two texels of it, the filter's
// reach; empty when no part is. None when the quad may reach behind the eye, where its corners no
// longer bound what it covers.
std::optional<gfx::Rect> reachOnScreen(const Quad& quad, const gfx::Rect& inked, int textureSize,
                                       const fx::Matrix& toClip, int width, int height)
{
    // Along each side of the quad its position follows the texture coordinate linearly.
    const auto along = [](float from, float to, float atFrom, float atTo, float at) {
        return atFrom + (std::clamp(at, std::min(from, to), std::max(from, to)) - from) / (to - from) *
                            (atTo - atFrom);
    };
    const float size = static_cast<float>(textureSize);
    const QuadVertex &bottomLeft = quad[0], &bottomRight = quad[1], &topLeft = quad[2];
    const float left =
        along(bottomLeft.u, bottomRight.u, bottomLeft.x, bottomRight.x, (inked.left - 2) / size);
    const float right =
        along(bottomLeft.u, bottomRight.u, bottomLeft.x, bottomRight.x, (inked.right + 2) / size);
    const float top = along(topLeft.v, bottomLeft.v, topLeft.y, bottomLeft.y, (inked.top - 2) / size);
    const float bottom = along(topLeft.v, bottomLeft.v, topLeft.y, bottomLeft.y, (inked.bottom + 2) / size);
    if (inked.empty() || left >= right || bottom >= top)
        return gfx::Rect{};

    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const auto& [x, y] : {std::pair{left, top}, {right, top}, {left, bottom}, {right, bottom}}) {
        float clip[4] = {};
        for (int column = 0; column < 4; ++column)
            clip[column] = x * toClip.m[0][column] + y * toClip.m[1][column] +
                           bottomLeft.z * toClip.m[2][column] + toClip.m[3][column];
        if (clip[3] < 1e-3f)
            return std::nullopt;
        const float screenX = (clip[0] / clip[3] + 1.0f) * 0.5f * static_cast<float>(width);
        const float screenY = (1.0f - clip[1] / clip[3]) * 0.5f * static_cast<float>(height);
        minX = std::min(minX, screenX), maxX = std::max(maxX, screenX);
        minY = std::min(minY, screenY), maxY = std::max(maxY, screenY);
    }
    // A pixel further out: its centre sits half a pixel from its edge.
    const auto pixel = [](float at, int limit) {
        return static_cast<int>(std::clamp(at, 0.0f, static_cast<float>(limit)));
    };
    return gfx::Rect{pixel(std::floor(minX) - 1.0f, width), pixel(std::floor(minY) - 1.0f, height),
                     pixel(std::ceil(maxX) + 1.0f, width), pixel(std::ceil(maxY) + 1.0f, height)};
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
    fx::TextRect inked{};
    if (font != nullptr)
        font->drawText(buffer, -1, {512, 512, 512, 512},
                       fx::TextFormat::Center | fx::TextFormat::VCenter | fx::TextFormat::NoClip, 0xFFFFFFFF,
                       &inked);
    text.setInked(inked);

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
    const fx::Matrix projection = projection45(aspect, 0.1f);
    device.setTransform(gfx::TransformType::Projection, projection);
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
    // The quad adds k times the target's texels: it changes only the pixels that can reach what
    // the page inked, and none at k = 0.
    const std::optional<gfx::Rect> reach =
        text->inked() ? reachOnScreen(quad, *text->inked(), text->colorSurface()->width(),
                                      stack.top() * projection, graphics.width(), graphics.height())
                      : std::nullopt;
    if (reach) {
        device.setScissorRect(*reach);
        device.setRenderState(gfx::RenderState::ScissorTestEnable, 1);
    }
    if (k > 0 && !(reach && reach->empty()))
        device.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad.data(), sizeof(QuadVertex));
    device.setRenderState(gfx::RenderState::ScissorTestEnable, 0);
    device.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
    device.endTimedPass();
}

} // namespace orb
