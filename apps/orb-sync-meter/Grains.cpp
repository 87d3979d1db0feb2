#include "Grains.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace orb::sync {
namespace {

// Grains follow one another without a gap; a shorter silence is the music's own.
constexpr double SilenceSeconds = 0.002;
// A grain fades in and out over this: its ends are left out of the match.
constexpr double FadeSeconds = 0.005;
// Below this normalised correlation a grain is not the soundtrack's at any place searched.
constexpr double Found = 0.9;

struct Run
{
    std::size_t first, end; // samples of the recording's sound
};

std::vector<Run> soundRuns(const std::vector<float>& sound, std::size_t silence)
{
    std::vector<Run> runs;
    std::size_t quiet = silence; // samples of silence before the current one
    for (std::size_t i = 0; i < sound.size(); ++i) {
        if (sound[i] == 0.0f) {
            ++quiet;
            continue;
        }
        if (quiet >= silence)
            runs.push_back({i, i + 1});
        runs.back().end = i + 1;
        quiet = 0;
    }
    return runs;
}

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

// The soundtrack's sample within [first, end) where `piece` begins, and how alike they are.
std::pair<std::size_t, double> bestPlace(const float* piece, std::size_t length,
                                         const std::vector<float>& soundtrack, std::size_t first,
                                         std::size_t end)
{
    const double pieceEnergy = energy(piece, length);
    double windowEnergy = energy(soundtrack.data() + first, length);
    std::pair<std::size_t, double> best{first, -1.0};
    for (std::size_t at = first; at + length <= end; ++at) {
        const double norm = std::sqrt(pieceEnergy * windowEnergy);
        const double correlation = norm > 0.0 ? dot(piece, soundtrack.data() + at, length) / norm : 0.0;
        if (correlation > best.second)
            best = {at, correlation};
        if (at + length < soundtrack.size())
            windowEnergy += double(soundtrack[at + length]) * soundtrack[at + length] -
                            double(soundtrack[at]) * soundtrack[at];
    }
    return best;
}

} // namespace

std::vector<SoundRun> findSoundRuns(const Recording& recording, const std::vector<float>& soundtrack,
                                    SoundtrackSpan search, double grainSeconds)
{
    const double rate = recording.soundRate;
    const auto grain = static_cast<std::size_t>(std::lround(grainSeconds * rate));
    const auto fade = static_cast<std::size_t>(std::lround(FadeSeconds * rate));
    const auto toSample = [&](double seconds) {
        return static_cast<std::size_t>(
            std::clamp(std::lround(seconds * rate), 0L, static_cast<long>(soundtrack.size())));
    };
    const std::size_t searchFirst = toSample(search.from), searchEnd = toSample(search.to);
    std::vector<SoundRun> found;
    for (const Run& run : soundRuns(recording.sound, static_cast<std::size_t>(SilenceSeconds * rate))) {
        SoundRun heard{
            recording.soundStart + double(run.first) / rate, double(run.end - run.first) / rate, {}};
        for (std::size_t start = run.first; start + 2 * fade < run.end; start += grain) {
            const std::size_t length = std::min(start + grain, run.end) - start - 2 * fade;
            GrainPlace place{recording.soundStart + double(start) / rate, std::nullopt};
            const auto [at, correlation] =
                bestPlace(recording.sound.data() + start + fade, length, soundtrack, searchFirst, searchEnd);
            place.correlation = correlation;
            if (correlation >= Found && at >= fade)
                place.from = double(at - fade) / rate;
            heard.grains.push_back(place);
        }
        found.push_back(std::move(heard));
    }
    return found;
}

} // namespace orb::sync
