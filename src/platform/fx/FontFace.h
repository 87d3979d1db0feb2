#pragma once

// FontFace -- one scalable FreeType face, sized to a cell height. Internal to the font layer:
// each Font owns one, and the registry opens faces to read their family names.
//
// Sizes follow GDI's positive font heights: the face's ascender minus its descender fills the
// cell. Glyphs are hinted and rendered anti-aliased, one byte of coverage per pixel.

#include <memory>
#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace orb::fx {

// A font file: registered bytes, or a system font's path when `bytes` is null.
struct FontSource
{
    std::shared_ptr<const std::vector<unsigned char>> bytes;
    std::string path;
    long faceIndex = 0;
};

struct FreeTypeDeleter
{
    void operator()(FT_LibraryRec_* library) const;
    void operator()(FT_FaceRec_* face) const;
};
using FreeTypeLibrary = std::unique_ptr<FT_LibraryRec_, FreeTypeDeleter>;
using FreeTypeFace = std::unique_ptr<FT_FaceRec_, FreeTypeDeleter>;

FreeTypeLibrary openFreeType();
// Null when the source holds no such face. Family names are the legacy ones (the 'name' table's
// family, not its typographic family), as a Windows font dialog lists them.
FreeTypeFace openFace(FT_LibraryRec_* library, const FontSource& source);

// A rendered glyph; `rows` stay valid until the face renders another.
struct GlyphBitmap
{
    int width = 0;
    int height = 0;
    int pitch = 0;
    const unsigned char* rows = nullptr;
    int left = 0;     // from the pen position to the bitmap's left column
    int top = 0;      // from the baseline up to the bitmap's top row
    long advance = 0; // 26.6 pixels
};

class FontFace
{
public:
    static std::unique_ptr<FontFace> open(const FontSource& source, int cellHeight, std::string* error);

    int cellHeight() const { return cellHeight_; }
    // Pixels from the cell's top to the baseline.
    int ascent() const { return ascent_; }
    // 0, the font's missing-glyph box, for a character it lacks.
    unsigned glyphIndex(char32_t codePoint) const;
    // 26.6 pixels to add between two glyphs; 0 when the font has no kerning table.
    long kerning(unsigned left, unsigned right) const;
    bool render(unsigned glyphIndex, GlyphBitmap* bitmap);

private:
    FontFace(FreeTypeLibrary library, FontSource source, FreeTypeFace face, int cellHeight);

    FreeTypeLibrary library_;
    FontSource source_; // keeps registered bytes alive while the face reads them
    FreeTypeFace face_;
    int cellHeight_;
    int ascent_;
};

} // namespace orb::fx
