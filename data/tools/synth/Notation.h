#pragma once

// Text notation for patterns, so that the score reads like a tracker's pattern editor.

#include "Voice.h"

#include <string_view>
#include <vector>

namespace orb::synth {

// A drum grid, one character a sixteenth: 'X' loud, 'x' medium, 'o' soft, '.' nothing. Spaces
// and '|' only group the steps. Every hit lasts `beats` (the patch's envelope shapes it).
Pattern steps(std::string_view grid, double key, double beats = 1.0);

// A melody, one token a step of `stepBeats`: a note name ("A4", "C#5", "Bb3") starts a note,
// '-' holds it, '.' rests. '|' only groups the steps.
Pattern melody(std::string_view text, double stepBeats, float velocity = 1.0f);

// "A4" -> 69.
double keyOf(std::string_view name);

} // namespace orb::synth
