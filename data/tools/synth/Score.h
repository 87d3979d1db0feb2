#pragma once

// "Velmora": the invitation's soundtrack. A minor, 138 beats a minute, 140 bars.

#include "Renderer.h"
#include "Song.h"

#include <vector>

namespace orb::synth {

Song velmora();
MasterBus velmoraMastering();

// The bars whose first beat has a kick.
std::vector<int> kickBars(const Song& song);
// The peak's extra kicks in the middle of each bar's second beat, in beats from the start.
std::vector<double> accentBeats(const Song& song);

} // namespace orb::synth
