#include "Loudness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace orb::render::test {
namespace {

// `seconds` of a 997 Hz tone at `level` dB below full scale, in the left channel or both.
std::vector<float> tone(int rate, double seconds, double level, bool bothChannels)
{
    const double amplitude = std::pow(10.0, level / 20.0);
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate) * 2);
    for (std::size_t frame = 0; frame < samples.size() / 2; ++frame) {
        const auto value = static_cast<float>(amplitude * std::sin(2 * M_PI * 997.0 * frame / rate));
        samples[2 * frame] = value;
        samples[2 * frame + 1] = bothChannels ? value : 0.0f;
    }
    return samples;
}

double integrated(int rate, const std::vector<float>& samples)
{
    auto meter = Loudness::open(rate);
    (*meter)->add(samples.data(), samples.size() / 2);
    return (*meter)->integrated();
}

// The reference readings of a loudness meter (EBU Tech 3341): a tone at -23 dBFS in both channels
// reads -23 LUFS, in one channel 3 dB less; its true peak is its level.
TEST(Loudness, ReadsATonesLoudnessAndTruePeakAtEitherRate)
{
    for (const int rate : {44100, 48000}) {
        const std::vector<float> both = tone(rate, 20.0, -23.0, true);
        EXPECT_NEAR(integrated(rate, both), -23.0, 0.1) << rate;
        EXPECT_NEAR(integrated(rate, tone(rate, 20.0, -23.0, false)), -26.0, 0.1) << rate;
        auto meter = Loudness::open(rate);
        (*meter)->add(both.data(), both.size() / 2);
        EXPECT_NEAR((*meter)->truePeak(), -23.0, 0.1) << rate;
        EXPECT_EQ((*meter)->report(), "sound: -23.0 LUFS integrated, true peak -23.0 dBTP\n");
    }
}

TEST(Loudness, SilenceReadsMinusInfinity)
{
    const std::vector<float> silence(48000 * 2 * 3, 0.0f);
    auto meter = Loudness::open(48000);
    (*meter)->add(silence.data(), silence.size() / 2);
    EXPECT_EQ((*meter)->integrated(), -HUGE_VAL);
    EXPECT_EQ((*meter)->truePeak(), -HUGE_VAL);
}

} // namespace
} // namespace orb::render::test
