#include "SyncEvents.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orb::sync {
namespace {

constexpr int Rate = 44100;
constexpr double Beat = SecondsPerBeat;

// Clicks on every beat for `seconds`, each a different tone so that none is mistaken for the next.
std::vector<float> clicks(double seconds)
{
    std::vector<float> track(static_cast<std::size_t>(seconds * Rate));
    for (int beat = 0; beat * Beat < seconds - 0.1; ++beat) {
        const auto first = static_cast<std::size_t>(std::lround(beat * Beat * Rate));
        for (std::size_t i = 0; i < 200; ++i)
            track[first + i] = 0.8f * static_cast<float>(std::sin(2 * M_PI * (1000 + 50 * beat) * i / Rate));
    }
    return track;
}

// The track heard from `soundAt` on (recording seconds), and a picture 120 times a second that
// flashes white for 50 ms from `pictureAt` + each beat; the recording's clock starts at 1000 s.
Recording recorded(const std::vector<float>& track, double soundAt, double pictureAt, double seconds)
{
    Recording recording;
    recording.soundRate = Rate;
    recording.soundStart = 1000.0;
    recording.sound.assign(static_cast<std::size_t>(seconds * Rate), 0.0f);
    const auto shift = static_cast<std::size_t>(std::lround(soundAt * Rate));
    for (std::size_t i = 0; i < track.size() && shift + i < recording.sound.size(); ++i)
        recording.sound[shift + i] = track[i];
    for (double time = 0.0; time < seconds; time += 1.0 / 120.0) {
        const double demo = time - pictureAt;
        const bool white = demo >= 0.0 && std::fmod(demo, Beat) < 0.05;
        recording.pictures.push_back({1000.0 + time, white ? 235.0 : 16.0});
    }
    return recording;
}

TEST(SyncEvents, ReadsBackHowFarTheSoundIsFromThePictureAtEveryBeat)
{
    const std::vector<float> track = clicks(12.0);
    for (const double late : {0.040, -0.020}) {
        // The picture starts 3 s into the recording; the sound `late` after it.
        const std::vector<SyncEvent> events =
            measureSync(recorded(track, 3.0 + late, 3.0, 16.0), track, SyncOptions{});
        ASSERT_GE(events.size(), 20u) << late;
        const SyncSummary summary = summarise(events);
        // A grab every 8.3 ms: each flash shows up to a grab late.
        EXPECT_NEAR(summary.meanMs, late * 1000.0 - 4.2, 2.0) << late;
        EXPECT_LE(summary.spreadMs, 4.5) << late;
        EXPECT_NEAR(events.front().beat, Beat, 1e-9) << "the first flash rises on the first beat after 0";
    }
}

TEST(SyncEvents, ACutToABrighterPictureIsNoFlash)
{
    const std::vector<float> track = clicks(12.0);
    Recording recording = recorded(track, 3.0, 3.0, 16.0);
    for (Recording::Picture& picture : recording.pictures) {
        if (picture.time >= 1006.0)
            picture.luma = 235.0; // from 6 s on the picture stays bright
    }
    for (const SyncEvent& event : measureSync(recording, track, SyncOptions{}))
        EXPECT_LT(event.picture, 1006.0) << "a rise that never falls back was taken for a flash";
}

TEST(SyncEvents, TheDemosOwnPicturesShowABeatAtItsTime)
{
    const std::vector<float> track = clicks(12.0);
    SyncOptions options;
    options.picturesAreDemoTime = true;
    const std::vector<SyncEvent> events = measureSync(recorded(track, 0.0, 0.0, 12.0), track, options);
    ASSERT_GE(events.size(), 20u);
    for (const SyncEvent& event : events)
        EXPECT_NEAR(event.offsetMs(), 0.0, 0.05) << event.beat;
}

} // namespace
} // namespace orb::sync
