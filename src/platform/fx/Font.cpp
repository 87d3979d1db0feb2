#include "platform/fx/Font.h"

#include "platform/fx/FontFace.h"
#include "platform/fx/FontRegistry.h"
#include "platform/fx/GlyphAtlas.h"
#include "platform/fx/Windows1252.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace orb::fx {

namespace {

constexpr std::uint32_t TextFvf = gfx::Fvf::XyzRhw | gfx::Fvf::Diffuse | gfx::Fvf::Tex1;
constexpr int MaxHeight = 1024;

// The fixed stage would take alpha from the texture alone; text also fades with its colour.
constexpr const char* TextFragmentStage = R"(#version 450 core
in vec4 orb_vDiffuse;
in vec2 orb_vTexCoord;
layout(binding = 0) uniform sampler2D glyphs;
out vec4 color;

void main()
{
    color = vec4(orb_vDiffuse.rgb, orb_vDiffuse.a * texture(glyphs, orb_vTexCoord).a);
}
)";

// Room for about 16 x 16 glyphs, which is all of Windows-1252 at most sizes.
int atlasPageSize(int cellHeight)
{
    return std::clamp(static_cast<int>(std::bit_ceil(static_cast<unsigned>(cellHeight) * 16)), 256, 4096);
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// Where a span of `size` pixels starts in [low, high): at low, centred, or ending at high.
std::int64_t alignedStart(int low, int high, std::int64_t size, bool centre, bool end)
{
    if (centre)
        return (std::int64_t{low} + high - size) >> 1; // halves round down, also below zero
    return end ? high - size : low;
}

void setTextStates(gfx::Device& device)
{
    using namespace gfx;
    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device.setRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    device.setRenderState(RenderState::BlendOp, BlendOp::Add);
    device.setRenderState(RenderState::CullMode, Cull::None);
    device.setSamplerState(0, SamplerState::AddressU, TextureAddress::Clamp);
    device.setSamplerState(0, SamplerState::AddressV, TextureAddress::Clamp);
    device.setSamplerState(0, SamplerState::MagFilter, TextureFilter::Point);
    device.setSamplerState(0, SamplerState::MinFilter, TextureFilter::Point);
    device.setSamplerState(0, SamplerState::MipFilter, TextureFilter::None);
    device.setFvf(TextFvf);
}

} // namespace

class TextProgram final : public gfx::ProgramSource
{
public:
    static std::unique_ptr<TextProgram> create(const gfx::Device& device, std::string* error)
    {
        std::string log;
        auto program = device.linkProgram(gfx::Device::fixedVertexStage(TextFvf), TextFragmentStage, &log);
        if (!program) {
            if (error != nullptr)
                *error = "the text program does not link: " + log;
            return nullptr;
        }
        return std::unique_ptr<TextProgram>(new TextProgram(std::move(program)));
    }

    gfx::ShaderProgram* programFor(std::uint32_t fvf) override
    {
        return fvf == TextFvf ? program_.get() : nullptr;
    }

private:
    explicit TextProgram(std::unique_ptr<gfx::ShaderProgram> program) : program_(std::move(program)) {}

    std::unique_ptr<gfx::ShaderProgram> program_;
};

std::unique_ptr<Font> Font::create(gfx::Device& device, int height, const char* faceName, std::string* error)
{
    if (height < 1 || height > MaxHeight) {
        if (error != nullptr)
            *error = "font height " + std::to_string(height) + " is not 1 to " + std::to_string(MaxHeight) +
                     " pixels";
        return nullptr;
    }
    const std::string name = faceName != nullptr ? faceName : "";
    const std::optional<FontSource> source = findFontSource(name);
    if (!source) {
        if (error != nullptr)
            *error = "no font for the face " + name + ": none is registered and fontconfig finds none";
        return nullptr;
    }
    std::unique_ptr<FontFace> face = FontFace::open(*source, height, error);
    std::unique_ptr<TextProgram> program = face ? TextProgram::create(device, error) : nullptr;
    if (!program)
        return nullptr;
    return std::unique_ptr<Font>(new Font(device, std::move(face), std::move(program)));
}

Font::Font(gfx::Device& device, std::unique_ptr<FontFace> face, std::unique_ptr<TextProgram> program)
    : device_(device), deviceLifetime_(device.lifetime()), face_(std::move(face)),
      atlas_(std::make_unique<GlyphAtlas>(device, atlasPageSize(face_->cellHeight()))),
      program_(std::move(program))
{}

Font::~Font() = default;

int Font::drawText(const char* text, int count, const TextRect& rect, std::uint32_t format, gfx::Color color,
                   TextRect* inked)
{
    inked_ = {};
    const int height = drawLines(text, count, rect, format, color);
    if (inked != nullptr)
        *inked = inked_;
    return height;
}

int Font::drawLines(const char* text, int count, const TextRect& rect, std::uint32_t format, gfx::Color color)
{
    if (text == nullptr || deviceLifetime_.expired())
        return 0;
    const std::string_view bytes(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    if (bytes.empty())
        return 0;
    const std::vector<std::string_view> lines = splitLines(bytes);
    const std::int64_t blockHeight = static_cast<std::int64_t>(lines.size()) * face_->cellHeight();
    const TextRect clip = clipBox(rect, format);
    std::int64_t top = alignedStart(rect.top, rect.bottom, blockHeight, format & TextFormat::VCenter,
                                    format & TextFormat::Bottom);
    for (std::string_view line : lines) {
        addLine(line, top, rect, format, clip, color);
        top += face_->cellHeight();
    }
    atlas_->upload();
    drawQuads();
    return static_cast<int>(std::min<std::int64_t>(blockHeight, INT_MAX));
}

const Font::Glyph* Font::glyphFor(unsigned char byte)
{
    const char32_t codePoint = unicodeFromWindows1252(byte);
    if (codePoint < 0x20)
        return nullptr;
    std::optional<Glyph>& glyph = glyphs_[byte];
    if (!glyph)
        glyph = loadGlyph(codePoint);
    return &*glyph;
}

Font::Glyph Font::loadGlyph(char32_t codePoint)
{
    Glyph glyph;
    glyph.index = face_->glyphIndex(codePoint);
    GlyphBitmap bitmap;
    if (!face_->render(glyph.index, &bitmap))
        return glyph;
    glyph.advance = bitmap.advance;
    glyph.left = bitmap.left;
    glyph.top = bitmap.top;
    glyph.width = bitmap.width;
    glyph.height = bitmap.height;
    if (const std::optional<AtlasSlot> slot =
            atlas_->add(bitmap.width, bitmap.height, bitmap.rows, bitmap.pitch)) {
        glyph.page = slot->page;
        glyph.atlasX = slot->x;
        glyph.atlasY = slot->y;
    }
    return glyph;
}

void Font::addLine(std::string_view line, std::int64_t top, const TextRect& rect, std::uint32_t format,
                   const TextRect& clip, gfx::Color color)
{
    const std::int64_t width = walkLine(line, 0, [](const Glyph&, std::int64_t) {});
    const std::int64_t left =
        alignedStart(rect.left, rect.right, width, format & TextFormat::Center, format & TextFormat::Right);
    const std::int64_t baseline = top + face_->ascent();
    walkLine(line, left, [&](const Glyph& glyph, std::int64_t x) {
        addQuad(glyph, x + glyph.left, baseline - glyph.top, clip, color);
    });
}

template <typename Visit>
std::int64_t Font::walkLine(std::string_view line, std::int64_t left, Visit visit)
{
    std::int64_t pen = left * 64; // 26.6
    unsigned previous = 0;
    for (unsigned char byte : line) {
        const Glyph* glyph = glyphFor(byte);
        if (glyph == nullptr)
            continue;
        pen += face_->kerning(previous, glyph->index);
        visit(*glyph, (pen + 32) >> 6);
        pen += glyph->advance;
        previous = glyph->index;
    }
    return (pen + 32) >> 6;
}

// The rectangle, or without clipping the whole target; never more than the target.
TextRect Font::clipBox(const TextRect& rect, std::uint32_t format) const
{
    const gfx::Surface* target = device_.renderTarget(0);
    if (format & TextFormat::NoClip)
        return {0, 0, target->width(), target->height()};
    return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, target->width()),
            std::min(rect.bottom, target->height())};
}

void Font::addQuad(const Glyph& glyph, std::int64_t x, std::int64_t y, const TextRect& clip, gfx::Color color)
{
    if (glyph.page < 0)
        return;
    const std::int64_t left = std::max<std::int64_t>(x, clip.left);
    const std::int64_t top = std::max<std::int64_t>(y, clip.top);
    const std::int64_t right = std::min<std::int64_t>(x + glyph.width, clip.right);
    const std::int64_t bottom = std::min<std::int64_t>(y + glyph.height, clip.bottom);
    if (left >= right || top >= bottom)
        return;
    const TextRect quad{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                        static_cast<int>(bottom)};
    inked_ = inked_.empty()
                 ? quad
                 : TextRect{std::min(inked_.left, quad.left), std::min(inked_.top, quad.top),
                            std::max(inked_.right, quad.right), std::max(inked_.bottom, quad.bottom)};
    // Texels map 1:1 onto pixels: quad edges lie half a pixel before pixel centres.
    const float texel = 1.0f / static_cast<float>(atlas_->pageSize());
    const float u0 = static_cast<float>(glyph.atlasX + (left - x)) * texel;
    const float u1 = static_cast<float>(glyph.atlasX + (right - x)) * texel;
    const float v0 = static_cast<float>(glyph.atlasY + (top - y)) * texel;
    const float v1 = static_cast<float>(glyph.atlasY + (bottom - y)) * texel;
    const float x0 = static_cast<float>(left) - 0.5f, x1 = static_cast<float>(right) - 0.5f;
    const float y0 = static_cast<float>(top) - 0.5f, y1 = static_cast<float>(bottom) - 0.5f;
    const Vertex corners[4] = {{x0, y0, 0, 1, color, u0, v0},
                               {x1, y0, 0, 1, color, u1, v0},
                               {x0, y1, 0, 1, color, u0, v1},
                               {x1, y1, 0, 1, color, u1, v1}};
    if (quads_.size() <= static_cast<std::size_t>(glyph.page))
        quads_.resize(static_cast<std::size_t>(glyph.page) + 1);
    std::vector<Vertex>& vertices = quads_[static_cast<std::size_t>(glyph.page)];
    for (int corner : {0, 1, 2, 2, 1, 3})
        vertices.push_back(corners[corner]);
}

// Text never tests depth; detaching the depth surface also keeps a smaller one from cropping it.
void Font::drawQuads()
{
    const std::unique_ptr<gfx::StateBlock> saved = device_.createStateBlock();
    gfx::Surface* depthStencil = device_.depthStencilSurface();
    device_.setDepthStencilSurface(nullptr);
    setTextStates(device_);
    gfx::ProgramSource* const caller = device_.programSource();
    device_.setProgramSource(program_.get());
    for (std::size_t page = 0; page < quads_.size(); ++page) {
        std::vector<Vertex>& vertices = quads_[page];
        if (vertices.empty())
            continue;
        device_.setTexture(0, atlas_->page(static_cast<int>(page)));
        device_.drawPrimitiveUP(gfx::PrimitiveType::TriangleList,
                                static_cast<std::uint32_t>(vertices.size() / 3), vertices.data(),
                                sizeof(Vertex));
        vertices.clear();
    }
    device_.setProgramSource(caller);
    device_.setDepthStencilSurface(depthStencil);
    saved->apply();
}

} // namespace orb::fx
