#include "Correlation.h"

#include <array>
#include <cmath>

namespace orb::sync {
namespace {

// A place with less than this share of the piece's energy is taken as silent.
constexpr double QuietestMatch = 1e-3;

// Eight sums at once, so that the compiler can keep them in vector registers.
float dot(const float* a, const float* b, std::size_t count)
{
    std::array<float, 8> sums{};
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        for (std::size_t lane = 0; lane < 8; ++lane)
            sums[lane] += a[i + lane] * b[i + lane];
    }
    float sum = 0.0f;
    for (; i < count; ++i)
        sum += a[i] * b[i];
    for (const float lane : sums)
        sum += lane;
    return sum;
}

double energy(const float* samples, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return sum;
}

} // namespace

Match bestMatch(const float* piece, std::size_t length, const std::vector<float>& sound, std::size_t first,
                std::size_t end)
{
    Match best;
    if (length == 0 || first + length > sound.size())
        return best;
    const double pieceEnergy = energy(piece, length);
    double windowEnergy = energy(sound.data() + first, length);
    for (std::size_t at = first; at < end && at + length <= sound.size(); ++at) {
        if (windowEnergy > QuietestMatch * pieceEnergy) {
            const double correlation =
                dot(piece, sound.data() + at, length) / std::sqrt(pieceEnergy * windowEnergy);
            if (correlation > best.correlation)
                best = {at, correlation};
        }
        if (at + length < sound.size())
            windowEnergy += double(sound[at + length]) * sound[at + length] - double(sound[at]) * sound[at];
    }
    return best;
}

} // namespace orb::sync
