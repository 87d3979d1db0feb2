#pragma once

// WorkCounters -- process-wide counts of the work that makes a frame slower than its neighbours:
// what was compiled, created or uploaded, and draws at a combination of states not drawn before
// (a software rasteriser compiles code for each such combination at its first draw). Frame
// statistics read them before and after a frame.
//
//   const WorkTally before = workTally();
//   ... // draw a frame
//   const WorkTally done = workTally() - before;   // done[Work::ProgramLinked] and so on

#include <array>
#include <cstddef>
#include <cstdint>

namespace orb::gfx {

enum class Work : std::size_t
{
    ProgramLinked,
    TextureCreated,
    TextureUpload,
    TargetCombination, // a framebuffer made for a new set of targets
    NewDrawState,      // counted only while draw states are watched (Device::watchDrawStates)
    GlyphAdded,
    TextPageDrawn, // a page of text laid out into its own target, counted by whoever draws it
    Kinds
};
constexpr std::size_t WorkKinds = static_cast<std::size_t>(Work::Kinds);

struct WorkTally
{
    std::array<std::uint64_t, WorkKinds> counts{};

    std::uint64_t operator[](Work work) const { return counts[static_cast<std::size_t>(work)]; }
    WorkTally operator-(const WorkTally& earlier) const;
};

void countWork(Work work);
WorkTally workTally();
// "programs linked", for reports.
const char* describe(Work work);

} // namespace orb::gfx
