#pragma once

// Grains -- what a paused preview lets be heard while its author scrubs or steps: each stretch of
// sound between silences, cut into grains, and where in the soundtrack each grain comes from.
//
// Does: find every run of sound in a recording (runs part at 2 ms of digital silence), cut it
//       into grains of the given length from its first sample, and find each grain's place in a
//       span of the soundtrack by correlation, to the sample (its faded ends left out).
// Does not: know where the picture stood; its caller compares.
//
//   std::vector<SoundRun> runs = findSoundRuns(*recording, soundtrack, {90.0, 125.0}, 0.08);
//   for (const SoundRun& run : runs) ... run.heard, run.seconds, run.grains[0].from

#include "Recording.h"

#include <optional>
#include <vector>

namespace orb::sync {

struct GrainPlace
{
    double heard;               // when its first sample was heard, on the recording's clock
    std::optional<double> from; // its first sample's place in the soundtrack; none when not found
    double correlation = 0.0;   // of the best place, normalised
};

struct SoundRun
{
    double heard;   // when its first sample was heard, on the recording's clock
    double seconds; // how long it sounded
    std::vector<GrainPlace> grains;
};

struct SoundtrackSpan
{
    double from, to; // seconds of the soundtrack
};

std::vector<SoundRun> findSoundRuns(const Recording& recording, const std::vector<float>& soundtrack,
                                    SoundtrackSpan search, double grainSeconds);

} // namespace orb::sync
