#pragma once

// Whole-track effects, run over a rendered buffer in place.

#include "Voice.h"

#include <cstdint>
#include <vector>

namespace orb::synth {

// Two slowly swept delay lines, one per side, mixed with the dry sound: widens the pads.
void chorus(StereoBuffer& buffer);

// A ping-pong echo `delayBeats` long; the repeats are added at `wet`.
void echo(StereoBuffer& buffer, double delayBeats, float feedback, float wet);

// A Schroeder-Moorer network in Freeverb's layout: eight damped combs into four allpasses per
// side, the right side's delays a little longer. Replaces the buffer with the wet sound.
void reverb(StereoBuffer& buffer, float roomSize, float damping);

// A one-pole high pass at a few hertz: nothing the ear hears, only offset.
void removeOffset(StereoBuffer& buffer);

// The gain each frame gets from the kick's side chain: 1, dipping to 0 on every onset and
// recovering within about half a beat. `onsets` are frames.
std::vector<float> sidechainCurve(const std::vector<std::int64_t>& onsets, std::size_t frames);

void duck(StereoBuffer& buffer, const std::vector<float>& curve, float depth);

} // namespace orb::synth
