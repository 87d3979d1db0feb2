#include "platform/fx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_PARAMETER_TAGS_H

#include <cmath>

namespace orb::fx {

void FreeTypeDeleter::operator()(FT_LibraryRec_* library) const
{
    FT_Done_FreeType(library);
}

void FreeTypeDeleter::operator()(FT_FaceRec_* face) const
{
    FT_Done_Face(face);
}

FreeTypeLibrary openFreeType()
{
    FT_Library library = nullptr;
    return FreeTypeLibrary(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

FreeTypeFace openFace(FT_Library library, const FontSource& source)
{
    FT_Parameter legacyFamilyName{FT_PARAM_TAG_IGNORE_TYPOGRAPHIC_FAMILY, nullptr};
    FT_Open_Args args{};
    args.num_params = 1;
    args.params = &legacyFamilyName;
    if (source.bytes) {
        args.flags = FT_OPEN_MEMORY | FT_OPEN_PARAMS;
        args.memory_base = source.bytes->data();
        args.memory_size = static_cast<FT_Long>(source.bytes->size());
    } else {
        args.flags = FT_OPEN_PATHNAME | FT_OPEN_PARAMS;
        args.pathname = const_cast<char*>(source.path.c_str());
    }
    FT_Face face = nullptr;
    return FreeTypeFace(FT_Open_Face(library, &args, source.faceIndex, &face) == 0 ? face : nullptr);
}

std::unique_ptr<FontFace> FontFace::open(const FontSource& source, int cellHeight, std::string* error)
{
    const auto refuse = [error](const std::string& reason) {
        if (error != nullptr)
            *error = reason;
        return nullptr;
    };
    FreeTypeLibrary library = openFreeType();
    if (!library)
        return refuse("FreeType cannot start");
    FreeTypeFace face = openFace(library.get(), source);
    if (!face)
        return refuse("cannot open the font " +
                      (source.bytes ? std::string("registered from memory") : source.path));
    if (!FT_IS_SCALABLE(face) || face->ascender <= face->descender)
        return refuse(std::string("the font ") + face->family_name +
                      " is not a scalable font with a cell height");
    FT_Size_RequestRec cell{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, cellHeight * 64, 0, 0};
    if (FT_Request_Size(face.get(), &cell) != 0)
        return refuse("the font " + std::string(face->family_name) + " cannot be sized");
    return std::unique_ptr<FontFace>(new FontFace(std::move(library), source, std::move(face), cellHeight));
}

FontFace::FontFace(FreeTypeLibrary library, FontSource source, FreeTypeFace face, int cellHeight)
    : library_(std::move(library)), source_(std::move(source)), face_(std::move(face)),
      cellHeight_(cellHeight),
      ascent_(static_cast<int>(std::lround(FT_MulFix(face_->ascender, face_->size->metrics.y_scale) / 64.0)))
{}

unsigned FontFace::glyphIndex(char32_t codePoint) const
{
    return FT_Get_Char_Index(face_.get(), codePoint);
}

long FontFace::kerning(unsigned left, unsigned right) const
{
    FT_Vector delta{0, 0};
    if (!FT_HAS_KERNING(face_) || FT_Get_Kerning(face_.get(), left, right, FT_KERNING_DEFAULT, &delta) != 0)
        return 0;
    return delta.x;
}

bool FontFace::render(unsigned glyphIndex, GlyphBitmap* bitmap)
{
    if (FT_Load_Glyph(face_.get(), glyphIndex, FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_GlyphSlot slot = face_->glyph;
    bitmap->width = static_cast<int>(slot->bitmap.width);
    bitmap->height = static_cast<int>(slot->bitmap.rows);
    bitmap->pitch = slot->bitmap.pitch;
    bitmap->rows = slot->bitmap.buffer;
    bitmap->left = slot->bitmap_left;
    bitmap->top = slot->bitmap_top;
    bitmap->advance = slot->advance.x;
    return true;
}

} // namespace orb::fx
