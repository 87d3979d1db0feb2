#include "platform/gfx/WorkCounters.h"

#include <atomic>

namespace orb::gfx {

namespace {

std::array<std::atomic<std::uint64_t>, WorkKinds> counters{};

} // namespace

WorkTally WorkTally::operator-(const WorkTally& earlier) const
{
    WorkTally difference;
    for (std::size_t kind = 0; kind < WorkKinds; ++kind)
        difference.counts[kind] = counts[kind] - earlier.counts[kind];
    return difference;
}

void countWork(Work work)
{
    counters[static_cast<std::size_t>(work)].fetch_add(1, std::memory_order_relaxed);
}

WorkTally workTally()
{
    WorkTally tally;
    for (std::size_t kind = 0; kind < WorkKinds; ++kind)
        tally.counts[kind] = counters[kind].load(std::memory_order_relaxed);
    return tally;
}

const char* describe(Work work)
{
    switch (work) {
    case Work::ProgramLinked:
        return "programs linked";
    case Work::TextureCreated:
        return "textures created";
    case Work::TextureUpload:
        return "texture uploads";
    case Work::TargetCombination:
        return "new target combinations";
    case Work::NewDrawState:
        return "draws at new states";
    case Work::GlyphAdded:
        return "glyphs rasterised";
    case Work::TextPageDrawn:
        return "text pages drawn";
    case Work::Kinds:
        break;
    }
    return "?";
}

} // namespace orb::gfx
