#include "Grains.h"

#include <gtest/gtest.h>
#include <random>

namespace orb::sync {
namespace {

constexpr int Rate = 44100;
constexpr std::size_t Grain = 3528; // 80 ms
constexpr std::size_t Fade = 220;

// Noise: every place in it sounds like no other.
std::vector<float> noise(double seconds)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    std::vector<float> track(static_cast<std::size_t>(seconds * Rate));
    for (float& value : track)
        value = sample(random);
    return track;
}

// A grain of `track` from `from` seconds, faded in and out as the mixer does, at `at` in `sound`.
void addGrain(std::vector<float>& sound, std::size_t at, const std::vector<float>& track, double from)
{
    const auto first = static_cast<std::size_t>(from * Rate);
    for (std::size_t i = 0; i < Grain; ++i) {
        const float gain = static_cast<float>(std::min({i + 1, Grain - i, Fade})) / Fade;
        sound[at + i] = gain * track[first + i];
    }
}

TEST(Grains, RunsOfSoundAreCutIntoGrainsAndEachIsFoundWhereItCameFrom)
{
    const std::vector<float> track = noise(6.0);
    Recording recording;
    recording.soundRate = Rate;
    recording.soundStart = 1000.0;
    recording.sound.assign(Rate * 2, 0.0f);
    addGrain(recording.sound, 4410, track, 1.0); // two back to back from 0.1 s, one 0.2 s later
    addGrain(recording.sound, 4410 + Grain, track, 2.5);
    addGrain(recording.sound, 4410 + 2 * Grain + 8820, track, 4.0);
    for (std::size_t i = 30000; i < 33000; ++i) // then something the track does not hold
        recording.sound[i] = 0.3f * static_cast<float>(std::sin(i * 0.05));

    const std::vector<SoundRun> runs = findSoundRuns(recording, track, {0.5, 5.0}, 0.08);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NEAR(runs[0].heard, 1000.1, 1.0 / Rate);
    EXPECT_NEAR(runs[0].seconds, 0.16, 1.0 / Rate);
    ASSERT_EQ(runs[0].grains.size(), 2u);
    EXPECT_NEAR(*runs[0].grains[0].from, 1.0, 1.0 / Rate);
    EXPECT_NEAR(*runs[0].grains[1].from, 2.5, 1.0 / Rate);
    EXPECT_NEAR(runs[0].grains[1].heard, 1000.18, 1.0 / Rate);
    ASSERT_EQ(runs[1].grains.size(), 1u);
    EXPECT_NEAR(*runs[1].grains[0].from, 4.0, 1.0 / Rate);
    ASSERT_FALSE(runs[2].grains.empty());
    EXPECT_FALSE(runs[2].grains[0].from) << "not from the track";
}

} // namespace
} // namespace orb::sync
