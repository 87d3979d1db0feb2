#pragma once

// FrameWork -- what the process did in a span of time, for telling why a frame was slow: the
// work the graphics layer counts, heap allocations, the processor time of all its threads, page
// faults, and how often the system took a processor away from it.
//
//   const FrameWork before = FrameWork::now();
//   ... // a frame
//   const FrameWork done = FrameWork::now() - before;

#include "platform/gfx/WorkCounters.h"

#include <cstdint>

namespace orb::render {

struct FrameWork
{
    gfx::WorkTally work;
    std::uint64_t allocations = 0;
    double processorMilliseconds = 0;
    std::uint64_t pageFaults = 0;
    std::uint64_t preemptions = 0; // involuntary context switches

    static FrameWork now();
    FrameWork operator-(const FrameWork& earlier) const;
};

} // namespace orb::render
