#pragma once

// NoiseVolume -- the procedural noise volume, filled natively.
//
// Evaluates at every texel centre p (0 to 1 on each axis) the texture-shader function
//   float4 P1(float3 p:position):color{float i=1,j=0;for(;i<64;i*=2)j+=noise(i*p)/i;return j*.5*.5+.5;}
// with Perlin's improved gradient noise (values in -1 to 1) standing in for the shader
// language's noise(), and stores it as 16-bit luminance.
// Does not: compile shaders. The function is fixed; only the volume's size varies.
//
//   auto volume = device.createVolumeTexture(64, 64, 64, 1, gfx::Format::L16, &error);
//   fillNoiseVolume(*volume);

#include "platform/gfx/Texture.h"

#include <cstdint>
#include <vector>

namespace orb::fx {

// Perlin's improved noise at a point; -1 to 1, 0 at every lattice point.
float improvedNoise(float x, float y, float z);

// The six-octave sum mapped to 0.25 s + 0.5, as the texture shader returns it.
float fractalNoise(float x, float y, float z);

// A size x size x size volume of fractalNoise at texel centres as L16 values, x fastest.
std::vector<std::uint16_t> noiseVolume(int size);

bool fillNoiseVolume(gfx::VolumeTexture& volume);

} // namespace orb::fx
