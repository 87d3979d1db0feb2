#include "Grains.h"

#include "Correlation.h"

#include <algorithm>
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
            const Match match =
                bestMatch(recording.sound.data() + start + fade, length, soundtrack, searchFirst, searchEnd);
            place.correlation = match.correlation;
            if (match.correlation >= Found && match.at >= fade)
                place.from = double(match.at - fade) / rate;
            heard.grains.push_back(place);
        }
        found.push_back(std::move(heard));
    }
    return found;
}

} // namespace orb::sync
