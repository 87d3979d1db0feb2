#pragma once

// The soundtrack's instruments, each a patch: no samples, only oscillators, noise and filters.

#include "Voice.h"

namespace orb::synth::instruments {

// The kick's pitch falls from KickStartHertz to its note's pitch, KickHertz.
constexpr double KickHertz = 45.0;
constexpr double KickStartHertz = 150.0;
double kickKey();

Patch kick();
Patch snare();
Patch clap();
Patch closedHat();
Patch openHat();
Patch crash();
Patch bass();
Patch drone();
Patch pad();
Patch lead();
Patch pluck();
Patch stab();
Patch riser();

} // namespace orb::synth::instruments
