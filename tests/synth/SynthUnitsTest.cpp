// The synthesiser's units, one at a time, and the renderer's determinism.

#include "Instruments.h"
#include "Limiter.h"
#include "Renderer.h"
#include "Score.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace orb::synth {
namespace {

double zeroCrossingsPerSecond(const std::vector<float>& samples, double from, double to)
{
    const auto first = static_cast<std::size_t>(from * SampleRate);
    const auto last = static_cast<std::size_t>(to * SampleRate);
    int crossings = 0;
    for (std::size_t i = first + 1; i < last; ++i)
        if ((samples[i - 1] < 0.0f) != (samples[i] < 0.0f))
            ++crossings;
    return crossings / (to - from);
}

TEST(SynthKick, PitchFallsFromItsStartToItsNote)
{
    StereoBuffer out(SampleRate / 2);
    playNote(instruments::kick(), {0.0, 1.0, instruments::kickKey()}, 1, out, 0);
    // From 5 ms on, past the click, so that only the sine's pitch counts.
    const double early = zeroCrossingsPerSecond(out.left, 0.005, 0.025);
    const double late = zeroCrossingsPerSecond(out.left, 0.06, 0.12);
    EXPECT_GT(early, 1.5 * late);
    // Two crossings a cycle: late in the note the sine has almost settled on the kick's pitch.
    EXPECT_LT(late / 2.0, 1.5 * instruments::KickHertz);
}

TEST(SynthEnvelope, RisesToItsPeakSettlesOnSustainAndEndsAtZero)
{
    const Envelope envelope{0.01, 0.05, 0.6, 0.1};
    const double gate = 0.3;
    double peak = 0.0, largestStep = 0.0, previous = 0.0;
    for (int i = 0; i <= static_cast<int>((gate + envelope.release) * SampleRate) + 10; ++i) {
        const double level = envelope.level(static_cast<double>(i) / SampleRate, gate);
        peak = std::max(peak, level);
        largestStep = std::max(largestStep, std::fabs(level - previous));
        previous = level;
    }
    EXPECT_EQ(envelope.level(0.0, gate), 0.0);
    EXPECT_NEAR(peak, 1.0, 1e-9);
    EXPECT_NEAR(envelope.level(envelope.attack, gate), 1.0, 1e-9);
    EXPECT_NEAR(envelope.level(envelope.attack + envelope.decay + 0.01, gate), envelope.sustain, 1e-9);
    EXPECT_NEAR(envelope.level(gate - 1e-6, gate), envelope.sustain, 1e-9);
    EXPECT_EQ(envelope.level(gate + envelope.release, gate), 0.0);
    EXPECT_EQ(previous, 0.0);
    // No step anywhere larger than the attack's own: no clicks on the way.
    EXPECT_LE(largestStep, 1.0 / (envelope.attack * SampleRate) + 1e-9);
}

std::vector<float> limited(Limiter& limiter, const std::vector<float>& input)
{
    std::vector<float> output;
    for (float sample : input) {
        float left = sample, right = -sample;
        limiter.process(left, right);
        output.push_back(left);
    }
    return output;
}

std::vector<float> sine(float amplitude, double seconds)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * SampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * 220.0 * i / SampleRate));
    return samples;
}

TEST(SynthLimiter, HoldsItsCeilingOnALoudInput)
{
    const float ceiling = 0.8f;
    Limiter limiter(ceiling, 220, 0.08);
    const std::vector<float> input = sine(4.0f, 0.5);
    const std::vector<float> output = limited(limiter, input);
    const float loudest = *std::max_element(output.begin(), output.end(),
                                            [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_LE(std::fabs(loudest), ceiling * (1.0f + 1e-6f));
    EXPECT_GT(std::fabs(loudest), 0.9f * ceiling);
}

TEST(SynthLimiter, PassesAQuietInputUnchangedAfterItsLookAhead)
{
    Limiter limiter(0.8f, 220, 0.08);
    const std::vector<float> input = sine(0.7f, 0.5);
    const std::vector<float> output = limited(limiter, input);
    const std::size_t latency = limiter.latency();
    ASSERT_EQ(latency, 219u);
    for (std::size_t i = 0; i + latency < output.size(); ++i)
        ASSERT_EQ(output[i + latency], input[i]) << "frame " << i;
}

TEST(SynthRenderer, RendersTheSameExcerptTwiceAlike)
{
    const Song song = velmora();
    const Section& peak = song.section("peak");
    const StereoBuffer first = render(song, peak.firstBar, peak.firstBar + 2, velmoraMastering());
    const StereoBuffer second = render(velmora(), peak.firstBar, peak.firstBar + 2, velmoraMastering());
    ASSERT_GT(first.frames(), 0u);
    EXPECT_GT(*std::max_element(first.left.begin(), first.left.end()), 0.1f);
    EXPECT_EQ(first.left, second.left);
    EXPECT_EQ(first.right, second.right);
}

} // namespace
} // namespace orb::synth
