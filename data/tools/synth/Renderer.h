#pragma once

// Plays a song into a stereo buffer: every track's notes, its effects and its share of the
// reverb, then the master bus (offset removal, gain, limiter, the tail's fade).

#include "Song.h"

namespace orb::synth {

constexpr double TailSeconds = 1.5;
// Sample peak on the master bus; the MP3 encoder's overshoot stays under -1 dBTP.
constexpr float CeilingDecibels = -2.0f;

struct MasterBus
{
    float gain = 1.0f;
    float ceiling = 1.0f;
};

// The notes that start in bars [firstBar, endBar), from the first of those bars' first sample
// up to TailSeconds past the last bar.
StereoBuffer render(const Song& song, int firstBar, int endBar, const MasterBus& master);

} // namespace orb::synth
