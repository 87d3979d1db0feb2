#include "SyncEvents.h"

#include "Correlation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace orb::sync {
namespace {

constexpr double BlockSeconds = 0.01;
// Where a beat's sound is looked for: around its last known place, by at most this much.
constexpr double SoundSearch = 0.06;
// The piece of soundtrack matched: a little before the beat, most of it after.
constexpr double MatchBefore = 0.02;
constexpr double MatchAfter = 0.08;
// Below this normalised correlation the beat is not heard (muted, lost or another sound).
constexpr double Heard = 0.6;
// A flash belongs to the last beat before it, allowing a picture up to this much early.
constexpr double EarlyPicture = 0.1;
// A beat on a picture's time may show on the next: the demo's clock adds up float seconds.
constexpr double ClockRounding = 0.001;

std::vector<double> blockLoudness(const std::vector<float>& sound, int rate)
{
    const auto block = static_cast<std::size_t>(BlockSeconds * rate);
    std::vector<double> loudness(sound.size() / block);
    for (std::size_t index = 0; index < loudness.size(); ++index) {
        double sum = 0.0;
        for (std::size_t i = index * block; i < (index + 1) * block; ++i)
            sum += double(sound[i]) * sound[i];
        loudness[index] = std::sqrt(sum / double(block));
    }
    return loudness;
}

// The recording's time of the soundtrack's start, to a block: the shift at which their loudness
// agrees most over the recording's first minute, the soundtrack silent beyond its ends. The
// agreement is normalised by the soundtrack's loudness where it lies under the recording: a loud
// passage would otherwise win wherever it lay.
double roughStart(const Recording& recording, const std::vector<float>& soundtrack)
{
    std::vector<double> heard = blockLoudness(recording.sound, recording.soundRate);
    heard.resize(std::min<std::size_t>(heard.size(), 6000));
    const std::vector<double> track = blockLoudness(soundtrack, recording.soundRate);
    const auto heardCount = static_cast<long>(heard.size());
    const auto trackCount = static_cast<long>(track.size());
    long best = 0;
    double bestScore = -1.0;
    // Recording block k hears soundtrack block k - shift.
    for (long shift = -trackCount + 1; shift < heardCount; ++shift) {
        double dot = 0.0, trackEnergy = 0.0;
        for (long k = std::max(0L, shift); k < std::min(heardCount, trackCount + shift); ++k) {
            const double t = track[static_cast<std::size_t>(k - shift)];
            dot += heard[static_cast<std::size_t>(k)] * t;
            trackEnergy += t * t;
        }
        const double score = trackEnergy > 0.0 ? dot / std::sqrt(trackEnergy) : 0.0;
        if (score > bestScore) {
            bestScore = score;
            best = shift;
        }
    }
    return recording.soundStart + double(best) * BlockSeconds;
}

// Where in the recording the soundtrack around `beat` is heard, searched around `expected` (the
// recording's time of the beat); nothing when no place there sounds like it.
std::optional<double> heardAt(const Recording& recording, const std::vector<float>& soundtrack, double beat,
                              double expected)
{
    const double rate = recording.soundRate;
    const auto pieceStart = std::lround((beat - MatchBefore) * rate);
    const auto pieceLength = std::lround((MatchBefore + MatchAfter) * rate);
    const auto searchFirst =
        std::lround((expected - MatchBefore - SoundSearch - recording.soundStart) * rate);
    const auto searchCount = std::lround(2 * SoundSearch * rate);
    if (pieceStart < 0 || pieceStart + pieceLength > static_cast<long>(soundtrack.size()) ||
        searchFirst < 0 ||
        searchFirst + searchCount + pieceLength > static_cast<long>(recording.sound.size()))
        return std::nullopt;
    const Match match =
        bestMatch(soundtrack.data() + pieceStart, static_cast<std::size_t>(pieceLength), recording.sound,
                  static_cast<std::size_t>(searchFirst), static_cast<std::size_t>(searchFirst + searchCount));
    if (match.correlation < Heard)
        return std::nullopt;
    return recording.soundStart + double(match.at) / rate + MatchBefore;
}

// Whether the rise at picture `index` falls back by half within `seconds`.
bool fallsBack(const std::vector<Recording::Picture>& pictures, std::size_t index, double seconds)
{
    const double rise = pictures[index].luma - pictures[index - 1].luma;
    for (std::size_t later = index + 1;
         later < pictures.size() && pictures[later].time - pictures[index].time <= seconds; ++later) {
        if (pictures[index].luma - pictures[later].luma >= rise / 2.0)
            return true;
    }
    return false;
}

} // namespace

std::vector<SyncEvent> measureSync(const Recording& recording, const std::vector<float>& soundtrack,
                                   const SyncOptions& options)
{
    std::vector<SyncEvent> events;
    // The recording's time of demo time 0, as the sound says (the first picture's, for the demo's own
    // pictures); it follows each beat heard.
    double soundZero =
        options.picturesAreDemoTime ? recording.pictures.front().time : roughStart(recording, soundtrack);
    double lastBeat = -1.0;
    const std::vector<Recording::Picture>& pictures = recording.pictures;
    for (std::size_t index = 1; index < pictures.size(); ++index) {
        if (pictures[index].luma - pictures[index - 1].luma < options.flashRise ||
            !fallsBack(pictures, index, options.flashSeconds))
            continue;
        const double shown = pictures[index].time - options.pictureLead;
        const double beat =
            options.beatSeconds * std::floor((shown - soundZero + EarlyPicture) / options.beatSeconds);
        if (beat <= lastBeat || beat < 0.0)
            continue;
        const std::optional<double> sound = heardAt(recording, soundtrack, beat, soundZero + beat);
        if (!sound)
            continue;
        soundZero = *sound - beat;
        lastBeat = beat;
        double picture = shown;
        // The flash on the first picture at or after its beat is the beat's picture, exactly.
        const double pictureZero = pictures.front().time;
        if (options.picturesAreDemoTime && pictures[index - 1].time - pictureZero < beat + ClockRounding &&
            beat <= pictures[index].time - pictureZero)
            picture = pictureZero + beat;
        events.push_back({beat, picture, *sound});
    }
    return events;
}

SyncSummary summarise(const std::vector<SyncEvent>& events)
{
    SyncSummary summary;
    summary.count = events.size();
    if (events.empty())
        return summary;
    double sumBeat = 0.0, sumOffset = 0.0;
    for (const SyncEvent& event : events) {
        sumBeat += event.beat;
        sumOffset += event.offsetMs();
    }
    const double count = double(events.size());
    summary.meanMs = sumOffset / count;
    const double meanBeat = sumBeat / count;
    double covariance = 0.0, variance = 0.0;
    for (const SyncEvent& event : events) {
        summary.spreadMs = std::max(summary.spreadMs, std::abs(event.offsetMs() - summary.meanMs));
        covariance += (event.beat - meanBeat) * (event.offsetMs() - summary.meanMs);
        variance += (event.beat - meanBeat) * (event.beat - meanBeat);
    }
    summary.driftMsPerMin = variance > 0.0 ? covariance / variance * 60.0 : 0.0;
    return summary;
}

} // namespace orb::sync
