#include "SoundResampler.h"

#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <random>

namespace orb::render::test {
namespace {

constexpr int Rate = 48000;
constexpr int Channels = audio::Channels;
constexpr double Pi = std::numbers::pi;

// Frames at Rate for `frames` at the engine's rate, rounded as the video's length is.
std::uint64_t framesAtRate(std::uint64_t frames)
{
    return (frames * Rate + audio::SampleRate / 2) / audio::SampleRate;
}

// `input` through a resampler in pieces of the sizes of `pieces` in turn (0 included, given as
// no samples at all), finished at `total` frames. Empty on a failure, which fails the test.
std::vector<float> resample(const std::vector<float>& input, std::uint64_t total,
                            const std::vector<std::size_t>& pieces = {
                                std::numeric_limits<std::size_t>::max()})
{
    auto resampler = SoundResampler::open(Rate);
    if (!resampler) {
        ADD_FAILURE() << resampler.failure().message();
        return {};
    }
    std::vector<float> out;
    const std::size_t frames = input.size() / Channels;
    for (std::size_t at = 0, piece = 0; at < frames; ++piece) {
        const std::size_t size = std::min(pieces[piece % pieces.size()], frames - at);
        const float* samples = size > 0 ? input.data() + at * Channels : nullptr;
        if (const app::Failure failure = (*resampler)->convert(samples, size, out)) {
            ADD_FAILURE() << failure.message();
            return {};
        }
        at += size;
    }
    if (const app::Failure failure = (*resampler)->finish(total, out)) {
        ADD_FAILURE() << failure.message();
        return {};
    }
    return out;
}

std::vector<double> channel(const std::vector<float>& sound, int which)
{
    std::vector<double> samples;
    for (std::size_t i = which; i < sound.size(); i += Channels)
        samples.push_back(sound[i]);
    return samples;
}

// Both channels alike, at the engine's rate.
std::vector<float> stereo(const std::vector<double>& samples)
{
    std::vector<float> sound;
    for (const double sample : samples)
        sound.insert(sound.end(), Channels, static_cast<float>(sample));
    return sound;
}

// Half of full scale, as loud music is.
std::vector<float> tone(double hertz, double seconds)
{
    std::vector<double> samples(static_cast<std::size_t>(seconds * audio::SampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5 * std::sin(2 * Pi * hertz * static_cast<double>(i) / audio::SampleRate);
    return stereo(samples);
}

// From 20 Hz to 20 kHz at half of full scale, faded in and out over 10 ms so that its ends add no
// clicks of their own. Linear: it spends a tenth of its time between 18 and 20 kHz, whose images
// fall between 22.05 and 24 kHz.
std::vector<float> sweep(double seconds)
{
    constexpr double From = 20, To = 20'000, Fade = 0.01;
    std::vector<double> samples(static_cast<std::size_t>(seconds * audio::SampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / audio::SampleRate;
        const double phase = 2 * Pi * (From * t + (To - From) * t * t / (2 * seconds));
        const double fade = std::min({1.0, t / Fade, (seconds - t) / Fade});
        samples[i] = 0.5 * std::sin(phase) * (0.5 - 0.5 * std::cos(Pi * fade));
    }
    return stereo(samples);
}

double besselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 100; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// The largest share, in dB, of a window's energy that lies between 22.1 and 24 kHz, over windows
// of 4096 frames half a window apart. Their Kaiser shape (beta 20) keeps its side lobes some
// 190 dB down, so that the sweep's own leakage does not pass for an image.
double loudestImage(const std::vector<double>& sound)
{
    constexpr std::size_t Size = 4096;
    constexpr double Beta = 20;
    std::vector<double> window(Size);
    for (std::size_t i = 0; i < Size; ++i) {
        const double across = 2.0 * static_cast<double>(i) / (Size - 1) - 1;
        window[i] = besselI0(Beta * std::sqrt(1 - across * across)) / besselI0(Beta);
    }
    std::vector<std::complex<double>> turns(Size);
    for (std::size_t i = 0; i < Size; ++i)
        turns[i] = std::polar(1.0, -2 * Pi * static_cast<double>(i) / Size);
    const auto lowest = static_cast<std::size_t>(std::ceil(22'100.0 * Size / Rate));

    double loudest = -std::numeric_limits<double>::infinity();
    std::vector<double> windowed(Size);
    for (std::size_t start = 0; start + Size <= sound.size(); start += Size / 2) {
        double energy = 0;
        for (std::size_t i = 0; i < Size; ++i) {
            windowed[i] = window[i] * sound[start + i];
            energy += windowed[i] * windowed[i];
        }
        // One side of the spectrum: each bin but the highest stands for two.
        double images = 0;
        for (std::size_t bin = lowest; bin <= Size / 2; ++bin) {
            std::complex<double> sum = 0;
            for (std::size_t i = 0; i < Size; ++i)
                sum += windowed[i] * turns[bin * i % Size];
            images += std::norm(sum) * (bin == Size / 2 ? 1 : 2);
        }
        loudest = std::max(loudest, 10 * std::log10(images / (Size * energy)));
    }
    return loudest;
}

// The level of `sound`'s middle second, in dB relative to a sine at half of full scale.
double middleLevel(const std::vector<double>& sound)
{
    const std::size_t from = sound.size() / 2 - Rate / 2;
    double energy = 0;
    for (std::size_t i = from; i < from + Rate; ++i)
        energy += sound[i] * sound[i];
    return 20 * std::log10(std::sqrt(energy / Rate) / (0.5 / std::sqrt(2.0)));
}

// Where the largest sample near `around` lies, between samples: the top of a parabola through it
// and its neighbours.
double peakNear(const std::vector<double>& sound, double around)
{
    const auto near = static_cast<std::size_t>(around);
    const std::size_t from = near > 50 ? near - 50 : 0, to = std::min(near + 50, sound.size() - 1);
    std::size_t peak = from;
    for (std::size_t i = from; i < to; ++i)
        if (std::abs(sound[i]) > std::abs(sound[peak]))
            peak = i;
    if (peak == 0)
        return 0;
    const double before = sound[peak - 1], at = sound[peak], after = sound[peak + 1];
    return static_cast<double>(peak) + 0.5 * (before - after) / (before - 2 * at + after);
}

TEST(SoundResampler, AClickComesOutAtItsTimeAndTheLengthIsExact)
{
    // 150 pictures at 60 a second.
    constexpr std::size_t Frames = 150 * audio::SampleRate / 60;
    const std::uint64_t total = framesAtRate(Frames);
    std::vector<float> clicks(Frames * Channels);
    const std::size_t at[] = {0, 1000, audio::SampleRate + 17, 70'001, Frames - 3};
    for (const std::size_t frame : at) {
        clicks[frame * Channels] = 1;
        clicks[frame * Channels + 1] = -0.5;
    }

    const std::vector<float> sound = resample(clicks, total, {441, 0, 1, 4096});
    ASSERT_EQ(sound.size(), total * Channels);
    const std::vector<double> left = channel(sound, 0), right = channel(sound, 1);
    for (const std::size_t frame : at) {
        const double time = static_cast<double>(frame) * Rate / audio::SampleRate;
        const double peak = peakNear(left, time);
        EXPECT_NEAR(peak, time, 0.5) << "the click at input frame " << frame;
        const auto sample = static_cast<std::size_t>(std::lround(peak));
        EXPECT_NEAR(right[sample], -0.5 * left[sample], 1e-6) << "the right channel's click at " << frame;
    }

    // Cut by what a rounding of the input's length may add, or completed with silence; the sound
    // up to there unchanged.
    for (const std::uint64_t asked : {total - 5, total + 700}) {
        const std::vector<float> ended = resample(clicks, asked);
        ASSERT_EQ(ended.size(), asked * Channels);
        const std::size_t kept = std::min(asked, total) * Channels;
        EXPECT_TRUE(std::equal(sound.begin(), sound.begin() + kept, ended.begin())) << asked;
        EXPECT_TRUE(std::all_of(ended.begin() + kept, ended.end(), [](float sample) { return sample == 0; }))
            << asked;
    }

    // Nothing comes after the end.
    auto resampler = SoundResampler::open(Rate);
    ASSERT_TRUE(resampler) << resampler.failure().message();
    std::vector<float> out;
    ASSERT_FALSE((*resampler)->convert(clicks.data(), Frames, out));
    ASSERT_FALSE((*resampler)->finish(total, out));
    EXPECT_TRUE((*resampler)->convert(clicks.data(), Frames, out));
    EXPECT_EQ(out.size(), total * Channels);

    // What the filter let out already cannot be taken back.
    auto early = SoundResampler::open(Rate);
    ASSERT_TRUE(early) << early.failure().message();
    out.clear();
    ASSERT_FALSE((*early)->convert(clicks.data(), Frames, out));
    const app::Failure failure = (*early)->finish(total / 2, out);
    EXPECT_EQ(failure.what, "SoundResampler::finish");
    EXPECT_NE(failure.why.find("more than the " + std::to_string(total / 2) + " asked for"),
              std::string::npos)
        << failure.message();
}

TEST(SoundResampler, ASweepLeavesNoImageAbove90DecibelsBelowIt)
{
    constexpr double Seconds = 3;
    const std::vector<float> input = sweep(Seconds);
    const std::vector<float> sound = resample(input, framesAtRate(input.size() / Channels));
    ASSERT_FALSE(sound.empty());
    EXPECT_LT(loudestImage(channel(sound, 0)), -90);
}

TEST(SoundResampler, LowAndHighTonesComeOutAtTheirOwnLevel)
{
    const std::vector<float> low = tone(1000, 2), high = tone(15'000, 2);
    const double lowLevel = middleLevel(channel(resample(low, framesAtRate(low.size() / Channels)), 0));
    const double highLevel = middleLevel(channel(resample(high, framesAtRate(high.size() / Channels)), 0));
    EXPECT_NEAR(lowLevel, 0, 0.1) << "dB";
    EXPECT_NEAR(highLevel, 0, 0.1) << "dB";
    EXPECT_NEAR(highLevel, lowLevel, 0.1) << "dB";
}

TEST(SoundResampler, ChunksOfAnySizeGiveTheSameSound)
{
    std::minstd_rand random(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    // Longer than the resampler takes in one piece.
    constexpr std::size_t Frames = 2 * audio::SampleRate;
    std::vector<float> input(Frames * Channels);
    for (float& sample : input)
        sample = noise(random);
    const std::uint64_t total = framesAtRate(Frames);

    const std::vector<float> whole = resample(input, total);
    ASSERT_EQ(whole.size(), total * Channels);
    for (const std::vector<std::size_t>& pieces :
         std::vector<std::vector<std::size_t>>{{1}, {0, 1, 2, 3, 0, 735, 4097, 1}, {70'000}}) {
        const std::vector<float> chunked = resample(input, total, pieces);
        EXPECT_TRUE(chunked.size() == whole.size() &&
                    std::memcmp(chunked.data(), whole.data(), whole.size() * sizeof(float)) == 0)
            << "in pieces of " << ::testing::PrintToString(pieces) << " frames in turn";
    }
}

} // namespace
} // namespace orb::render::test
