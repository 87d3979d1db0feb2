#pragma once

// GlyphAtlas -- glyph bitmaps packed into square A8 textures ("pages"), so that a page of text
// draws from one texture. Internal to the font layer.
//
// Does: place bitmaps left to right on shelves as high as their tallest glyph, open a new page
//       when one is full, keep every page's texels in memory and send changed pages to their
//       textures on upload().
// Does not: evict; a font's glyphs stay for its life (Windows-1252 text needs at most 256).

#include "platform/gfx/Device.h"

#include <memory>
#include <optional>
#include <vector>

namespace orb::fx {

struct AtlasSlot
{
    int page = 0;
    int x = 0; // texel column of the bitmap's left edge
    int y = 0; // texel row of its top edge
};

class GlyphAtlas
{
public:
    GlyphAtlas(gfx::Device& device, int pageSize) : device_(device), pageSize_(pageSize) {}

    // Copies a bitmap (rows top first, `pitch` bytes apart) into a page. Nothing when it is
    // larger than a page or no page texture can be made.
    std::optional<AtlasSlot> add(int width, int height, const unsigned char* rows, int pitch);
    void upload();

    gfx::Texture* page(int index) const { return pages_[static_cast<std::size_t>(index)].texture.get(); }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    int pageSize() const { return pageSize_; }

private:
    struct Page
    {
        std::unique_ptr<gfx::Texture> texture;
        std::vector<unsigned char> texels;
        int shelfTop = 0;
        int shelfHeight = 0;
        int shelfEnd = 0; // first free column on the shelf
        bool changed = false;
    };

    std::optional<AtlasSlot> reserve(Page& page, int width, int height) const;
    bool addPage();

    gfx::Device& device_;
    int pageSize_;
    std::vector<Page> pages_;
};

} // namespace orb::fx
