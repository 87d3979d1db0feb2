#pragma once

// EffectLibrary -- GLSL functions every effect stage may call, compiled ahead of its own text
// (see docs/effects.md). A software renderer samples a 3D texture several times slower than it
// computes a lattice noise, so effects draw their noise from here.

namespace orb::fx {

extern const char* const EffectLibrary;

} // namespace orb::fx
