#include "Recording.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace orb::sync {
namespace {

constexpr int Rate = 44100;
constexpr std::size_t Block = 2205; // 50 ms, as a screen capture's sound comes
constexpr double Fast = 1.0005;     // a sound card 500 ppm fast: a capture's jitter every 11 blocks

// `seconds` of sound: noise for 0.43 s (a beat) of every second from 0.2 s on, silence between.
std::vector<float> beats(double seconds)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> sound(static_cast<std::size_t>(seconds * Rate));
    for (std::size_t i = 0; i < sound.size(); ++i) {
        if (std::fmod(double(i) / Rate, 1.0) >= 0.2 && std::fmod(double(i) / Rate, 1.0) < 0.63)
            sound[i] = noise(random);
    }
    return sound;
}

// `sound` captured in blocks from a card that plays `speed` times as fast as the recording's clock
// runs, each block stamped with when it was heard, from 1000 s on; block `lost` never arrives.
Recording captured(const std::vector<float>& sound, double speed, std::size_t lost = SIZE_MAX)
{
    Recording recording;
    recording.soundRate = Rate;
    for (std::size_t first = 0, block = 0; first + Block <= sound.size(); first += Block, ++block) {
        if (block != lost)
            placeSound(recording, 1000.0 + double(first) / (Rate * speed),
                       std::vector<float>(sound.begin() + first, sound.begin() + first + Block));
    }
    return recording;
}

// Where the beat that starts `second`s into `sound` (as played) was placed, on the recording's
// clock; fails unless the beat is there whole, sample for sample.
double placedBeat(const Recording& recording, const std::vector<float>& sound, int second)
{
    const auto played = static_cast<std::size_t>((second + 0.2) * Rate);
    const auto beat = static_cast<std::ptrdiff_t>(0.43 * Rate);
    const auto placed = std::search(recording.sound.begin(), recording.sound.end(), sound.begin() + played,
                                    sound.begin() + played + beat);
    EXPECT_NE(placed, recording.sound.end()) << "the beat at " << second << " s was cut";
    return recording.soundStart + double(placed - recording.sound.begin()) / Rate;
}

TEST(Recording, AFastSoundCardIsFollowedInItsSilencesAndNoBeatIsCut)
{
    const std::vector<float> sound = beats(10.0);
    const Recording recording = captured(sound, Fast);
    for (int second = 0; second < 9; ++second) {
        const double heard = 1000.0 + (second + 0.2) / Fast;
        EXPECT_NEAR(placedBeat(recording, sound, second), heard, 0.0003) << "the beat at " << second << " s";
    }
}

TEST(Recording, ACaptureThatLostABlockKeepsTheRestInPlace)
{
    const std::vector<float> sound = beats(4.0);
    const Recording recording = captured(sound, 1.0, 25); // 1.25 s to 1.30 s, in silence
    EXPECT_NEAR(placedBeat(recording, sound, 2), 1002.2, 0.0001);
    EXPECT_EQ(recording.sound.size(), sound.size() - sound.size() % Block);
}

TEST(Recording, SoundWithoutSilenceFollowsAFastCardToAMillisecond)
{
    const std::vector<float> sound(static_cast<std::size_t>(6.0 * Rate), 0.25f);
    const Recording recording = captured(sound, Fast);
    const std::size_t lastBlock = sound.size() / Block * Block - Block;
    EXPECT_NEAR(double(recording.sound.size() - Block) / Rate, lastBlock / (Rate * Fast), 0.001);
}

} // namespace
} // namespace orb::sync
