#include "platform/fx/NoiseVolume.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

namespace orb::fx {

namespace {

// Ken Perlin's reference permutation, repeated so that lookups need no wrapping.
constexpr std::array<std::uint8_t, 256> Permutation = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103, 30,
    69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,  197, 62,
    94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174, 20,  125, 136,
    171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231, 83,  111, 229, 122,
    60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143, 54,  65,  25,  63,  161,
    1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196, 135, 130, 116, 188, 159, 86,
    164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124, 123, 5,   202, 38,  147, 118, 126,
    255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,  182, 189, 28,  42,  223, 183, 170, 213,
    119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101, 155, 167, 43,  172, 9,   129, 22,  39,  253,
    19,  98,  108, 110, 79,  113, 224, 232, 178, 185, 112, 104, 218, 246, 97,  228, 251, 34,  242, 193,
    238, 210, 144, 12,  191, 179, 162, 241, 81,  51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,
    181, 199, 106, 157, 184, 84,  204, 176, 115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,
    222, 114, 67,  29,  24,  72,  243, 141, 128, 195, 78,  66,  215, 61,  156, 180};

constexpr std::array<std::uint8_t, 512> doubled()
{
    std::array<std::uint8_t, 512> table{};
    for (std::size_t i = 0; i < 512; ++i)
        table[i] = Permutation[i % 256];
    return table;
}

constexpr std::array<std::uint8_t, 512> P = doubled();

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float t, float a, float b)
{
    return a + t * (b - a);
}

// Dot product of (x, y, z) with one of twelve edge gradients chosen by the hash.
float gradient(int hash, float x, float y, float z)
{
    const int h = hash & 15;
    const float u = h < 8 ? x : y;
    const float v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) == 0 ? u : -u) + ((h & 2) == 0 ? v : -v);
}

// One axis of a lookup: the lattice cell, the offset inside it and its fade weight.
struct Axis
{
    int cell;
    float offset;
    float weight;
};

Axis axis(float coordinate)
{
    int cell = static_cast<int>(coordinate);
    if (static_cast<float>(cell) > coordinate)
        --cell;
    const float offset = coordinate - static_cast<float>(cell);
    return {cell & 255, offset, fade(offset)};
}

float latticeNoise(const Axis& ax, const Axis& ay, const Axis& az)
{
    const float x = ax.offset, y = ay.offset, z = az.offset;
    const int A = P[ax.cell] + ay.cell, AA = P[A] + az.cell, AB = P[A + 1] + az.cell;
    const int B = P[ax.cell + 1] + ay.cell, BA = P[B] + az.cell, BB = P[B + 1] + az.cell;
    const float u = ax.weight, v = ay.weight, w = az.weight;
    return lerp(
        w,
        lerp(v, lerp(u, gradient(P[AA], x, y, z), gradient(P[BA], x - 1, y, z)),
             lerp(u, gradient(P[AB], x, y - 1, z), gradient(P[BB], x - 1, y - 1, z))),
        lerp(v, lerp(u, gradient(P[AA + 1], x, y, z - 1), gradient(P[BA + 1], x - 1, y, z - 1)),
             lerp(u, gradient(P[AB + 1], x, y - 1, z - 1), gradient(P[BB + 1], x - 1, y - 1, z - 1))));
}

constexpr int Octaves = 6; // frequencies 1, 2, 4, 8, 16 and 32

} // namespace

float improvedNoise(float x, float y, float z)
{
    return latticeNoise(axis(x), axis(y), axis(z));
}

float fractalNoise(float x, float y, float z)
{
    float sum = 0.0f;
    for (float frequency = 1.0f; frequency < 64.0f; frequency *= 2.0f)
        sum += improvedNoise(frequency * x, frequency * y, frequency * z) / frequency;
    return sum * 0.5f * 0.5f + 0.5f;
}

std::vector<std::uint16_t> noiseVolume(int size)
{
    // Every texel centre of an axis meets the same cells at every octave: look them up once.
    std::vector<Axis> axes(static_cast<std::size_t>(size) * Octaves);
    for (int octave = 0; octave < Octaves; ++octave)
        for (int i = 0; i < size; ++i)
            axes[static_cast<std::size_t>(octave) * size + i] =
                axis(static_cast<float>(1 << octave) * (i + 0.5f) / size);
    const auto at = [&axes, size](int octave, int i) -> const Axis& {
        return axes[static_cast<std::size_t>(octave) * size + i];
    };

    std::vector<std::uint16_t> voxels(static_cast<std::size_t>(size) * size * size);
    const auto fillSlices = [&](int first, int last) {
        for (int z = first; z < last; ++z)
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    float sum = 0.0f;
                    for (int octave = 0; octave < Octaves; ++octave)
                        sum += latticeNoise(at(octave, x), at(octave, y), at(octave, z)) /
                               static_cast<float>(1 << octave);
                    const float value = sum * 0.5f * 0.5f + 0.5f;
                    voxels[(static_cast<std::size_t>(z) * size + y) * size + x] =
                        static_cast<std::uint16_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 65535.0f));
                }
    };
    // Slices are independent: the second half goes to a second core.
    std::thread secondHalf(fillSlices, size / 2, size);
    fillSlices(0, size / 2);
    secondHalf.join();
    return voxels;
}

bool fillNoiseVolume(gfx::VolumeTexture& volume)
{
    if (volume.width() != volume.height() || volume.width() != volume.depth())
        return false;
    const int size = volume.width();
    const std::vector<std::uint16_t> voxels = noiseVolume(size);
    const std::size_t row = static_cast<std::size_t>(size) * sizeof(std::uint16_t);
    return volume.update(0, voxels.data(), row, row * static_cast<std::size_t>(size));
}

} // namespace orb::fx
