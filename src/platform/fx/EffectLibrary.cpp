#include "platform/fx/EffectLibrary.h"

namespace orb::fx {

const char* const EffectLibrary = R"(
// A lattice point's value in [0, 1): an integer hash, the same on every machine.
float orb_hash(ivec3 point)
{
    uvec3 p = uvec3(point);
    uint h = p.x * 0x8da6b343u ^ p.y * 0xd8163841u ^ p.z * 0xcb1ab31fu;
    h = (h ^ (h >> 16)) * 0x7feb352du;
    h = (h ^ (h >> 15)) * 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) * (1.0 / 16777216.0);
}

// Smooth value noise in [0, 1] with its lattice on whole numbers; its values gather around 0.5.
float orb_noise(vec2 p)
{
    vec2 cell = floor(p);
    vec2 t = p - cell;
    t = t * t * (3.0 - 2.0 * t);
    ivec3 k = ivec3(ivec2(cell), 0);
    return mix(mix(orb_hash(k), orb_hash(k + ivec3(1, 0, 0)), t.x),
               mix(orb_hash(k + ivec3(0, 1, 0)), orb_hash(k + ivec3(1, 1, 0)), t.x), t.y);
}

float orb_noise(vec3 p)
{
    vec3 cell = floor(p);
    vec3 t = p - cell;
    t = t * t * (3.0 - 2.0 * t);
    ivec3 k = ivec3(cell);
    float near = mix(mix(orb_hash(k), orb_hash(k + ivec3(1, 0, 0)), t.x),
                     mix(orb_hash(k + ivec3(0, 1, 0)), orb_hash(k + ivec3(1, 1, 0)), t.x), t.y);
    float far = mix(mix(orb_hash(k + ivec3(0, 0, 1)), orb_hash(k + ivec3(1, 0, 1)), t.x),
                    mix(orb_hash(k + ivec3(0, 1, 1)), orb_hash(k + ivec3(1, 1, 1)), t.x), t.y);
    return mix(near, far, t.z);
}

// Octaves of orb_noise, each twice the frequency and half the weight of the one before, scaled
// back to [0, 1].
float orb_fractal(vec2 p, int octaves)
{
    float sum = 0.0, weight = 1.0, total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += orb_noise(p) * weight;
        total += weight;
        p = p * 2.0 + 17.0;
        weight *= 0.5;
    }
    return sum / total;
}
)";

} // namespace orb::fx
