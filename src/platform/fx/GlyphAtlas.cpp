#include "platform/fx/GlyphAtlas.h"

#include "platform/gfx/WorkCounters.h"

#include <algorithm>
#include <cstring>

namespace orb::fx {

std::optional<AtlasSlot> GlyphAtlas::add(int width, int height, const unsigned char* rows, int pitch)
{
    if (width <= 0 || height <= 0 || width > pageSize_ || height > pageSize_)
        return std::nullopt;
    std::optional<AtlasSlot> slot = pages_.empty() ? std::nullopt : reserve(pages_.back(), width, height);
    if (!slot) {
        if (!addPage())
            return std::nullopt;
        slot = reserve(pages_.back(), width, height);
    }
    Page& page = pages_[static_cast<std::size_t>(slot->page)];
    for (int row = 0; row < height; ++row)
        std::memcpy(&page.texels[static_cast<std::size_t>(slot->y + row) * pageSize_ + slot->x],
                    rows + static_cast<std::ptrdiff_t>(row) * pitch, static_cast<std::size_t>(width));
    page.changed = true;
    gfx::countWork(gfx::Work::GlyphAdded);
    return slot;
}

std::optional<AtlasSlot> GlyphAtlas::reserve(Page& page, int width, int height) const
{
    if (page.shelfEnd + width > pageSize_) {
        page.shelfTop += page.shelfHeight;
        page.shelfHeight = 0;
        page.shelfEnd = 0;
    }
    if (page.shelfTop + height > pageSize_)
        return std::nullopt;
    const AtlasSlot slot{static_cast<int>(&page - pages_.data()), page.shelfEnd, page.shelfTop};
    page.shelfEnd += width;
    page.shelfHeight = std::max(page.shelfHeight, height);
    return slot;
}

bool GlyphAtlas::addPage()
{
    std::unique_ptr<gfx::Texture> texture =
        device_.createTexture(pageSize_, pageSize_, 1, 0, gfx::Format::A8, nullptr);
    if (!texture)
        return false;
    pages_.push_back(
        {std::move(texture), std::vector<unsigned char>(static_cast<std::size_t>(pageSize_) * pageSize_)});
    return true;
}

void GlyphAtlas::upload()
{
    for (Page& page : pages_)
        if (page.changed) {
            page.texture->update(0, page.texels.data(), static_cast<std::size_t>(pageSize_));
            page.changed = false;
        }
}

} // namespace orb::fx
