#pragma once

// Font -- D3DX's fonts: text drawn with a TrueType or OpenType font into render target 0.
//
// Does: register font files held in memory under their family names; open a font by face name
//       and cell height (a registered family first, then the system's closest match through
//       fontconfig, then the first registered font); draw Windows-1252 text in lines broken at
//       '\n', aligned left, centred or right and top, centred or bottom in a rectangle, clipped
//       to it unless told not to, alpha-blended in one colour.
// Does not: wrap words, expand tabs, measure text without drawing it, synthesise bold or
//       italic, or test depth. A font may outlive its device; it then draws nothing.
//
// Glyphs are hinted and anti-aliased by FreeType and land on whole pixels; they are kept in A8
// atlas textures, so a page of text costs one draw per atlas page. drawText restores every
// device state it changes, the program source included.
//
//   registerFontMemory(bytes, size);                             // 0 when not a font
//   auto font = Font::create(device, 48, "DejaVu Sans", &error); // null + error on failure
//   font->drawText("Greetings", -1, {512, 512, 512, 512},
//                  TextFormat::Center | TextFormat::VCenter | TextFormat::NoClip, 0xFFFFFFFF);

#include "platform/gfx/Device.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb::fx {

class FontFace;
class GlyphAtlas;
class TextProgram;

// Registers a font file held in memory for the life of the process, under each face's family
// name as a Windows font dialog shows it; copies the bytes. Returns how many faces were
// registered: 0 when the bytes are not a scalable font.
int registerFontMemory(const void* data, std::size_t size);

// Pixels [left, right) x [top, bottom) of the render target.
using TextRect = gfx::Rect;

struct TextFormat
{
    enum : std::uint32_t
    {
        Top = 0,
        Left = 0,
        Center = 0x1,
        Right = 0x2,
        VCenter = 0x4,
        Bottom = 0x8,
        NoClip = 0x100,
    };
};

class Font
{
public:
    // `height` is the cell height in pixels (ascender plus descender), 1 to 1024. An unknown
    // face name falls back as described above; null + error only when no font can be opened.
    static std::unique_ptr<Font> create(gfx::Device& device, int height, const char* faceName,
                                        std::string* error);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws `count` bytes of Windows-1252 text (a negative count: up to the terminating zero)
    // into render target 0. Lines are one cell height apart; other control characters and the
    // code page's undefined bytes draw nothing. Returns the height of the text block (lines x
    // cell height), 0 for no text. `inked`, when given, receives the pixels the glyphs cover:
    // empty when none, and outside it the target is as it was.
    int drawText(const char* text, int count, const TextRect& rect, std::uint32_t format, gfx::Color color,
                 TextRect* inked = nullptr);

private:
    struct Glyph
    {
        unsigned index = 0; // in the font, for kerning
        long advance = 0;   // 26.6 pixels
        int left = 0, top = 0, width = 0, height = 0;
        int page = -1; // -1: nothing to draw (a space, or too large for the atlas)
        int atlasX = 0, atlasY = 0;
    };
    struct Vertex
    {
        float x, y, z, rhw;
        gfx::Color diffuse;
        float u, v;
    };

    Font(gfx::Device& device, std::unique_ptr<FontFace> face, std::unique_ptr<TextProgram> program);
    // drawText but for `inked`.
    int drawLines(const char* text, int count, const TextRect& rect, std::uint32_t format, gfx::Color color);
    // Null for bytes that draw nothing: control characters and the code page's undefined bytes.
    const Glyph* glyphFor(unsigned char byte);
    Glyph loadGlyph(char32_t codePoint);
    // Calls visit(glyph, pen x) for each glyph of a line starting at `left`; returns the pen's end.
    template <typename Visit>
    std::int64_t walkLine(std::string_view line, std::int64_t left, Visit visit);
    TextRect clipBox(const TextRect& rect, std::uint32_t format) const;
    void addLine(std::string_view line, std::int64_t top, const TextRect& rect, std::uint32_t format,
                 const TextRect& clip, gfx::Color color);
    void addQuad(const Glyph& glyph, std::int64_t x, std::int64_t y, const TextRect& clip, gfx::Color color);
    void drawQuads();

    gfx::Device& device_;
    std::weak_ptr<const void> deviceLifetime_;
    std::unique_ptr<FontFace> face_;
    std::unique_ptr<GlyphAtlas> atlas_;
    std::unique_ptr<TextProgram> program_;
    std::array<std::optional<Glyph>, 256> glyphs_; // by Windows-1252 byte, loaded on first use
    std::vector<std::vector<Vertex>> quads_;       // by atlas page, reused between draws
    TextRect inked_{};                             // by the quads of the text being drawn
};

} // namespace orb::fx
