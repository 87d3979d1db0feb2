#include "Mp3Fixture.h"
#include "platform/audio/Mp3Stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace orb::audio {
namespace {

using test::decodeAll;
using test::encodeMp3;

const std::vector<unsigned char>& sweepMp3()
{
    static const std::vector<unsigned char> bytes = encodeMp3(test::sweepAndTone(3.0));
    return bytes;
}

// Root-mean-square difference of one channel when `decoded` lags `source` by `lag` frames.
double rmsError(const std::vector<float>& source, const std::vector<float>& decoded, int channel, int lag)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t frame = 100; frame + 100 + lag < source.size() / Channels; ++frame, ++count) {
        const double difference = decoded[(frame + lag) * Channels + channel] - source[frame * Channels + channel];
        sum += difference * difference;
    }
    return std::sqrt(sum / count);
}

// Crossings of zero going up, per second.
double risingCrossingsPerSecond(const std::vector<float>& decoded, int channel)
{
    int crossings = 0;
    for (std::size_t frame = 1; frame < decoded.size() / Channels; ++frame)
        crossings += decoded[(frame - 1) * Channels + channel] < 0 && decoded[frame * Channels + channel] >= 0;
    return crossings / (static_cast<double>(decoded.size() / Channels) / SampleRate);
}

TEST(Mp3Stream, DecodesTheSourceSampleAlignedWithoutTheEncodersDelayOrPadding)
{
    const test::Sound source = test::sweepAndTone(3.0);
    const std::vector<float> decoded = decodeAll(sweepMp3());
    ASSERT_EQ(decoded.size(), source.samples.size()) << "the LAME tag's delay and padding are dropped";
    for (int channel = 0; channel < Channels; ++channel) {
        const double aligned = rmsError(source.samples, decoded, channel, 0);
        EXPECT_LT(aligned, 0.01) << "channel " << channel;
        EXPECT_GT(rmsError(source.samples, decoded, channel, 1), 2 * aligned) << "a frame early is worse";
        EXPECT_GT(rmsError(source.samples, decoded, channel, -1), 2 * aligned) << "a frame late is worse";
    }
}

TEST(Mp3Stream, SeeksToTheExactSample)
{
    const std::vector<float> decoded = decodeAll(sweepMp3());
    auto stream = Mp3Stream::open(sweepMp3().data(), sweepMp3().size());
    ASSERT_TRUE(stream);
    const std::uint64_t length = stream->length();
    ASSERT_EQ(length * Channels, decoded.size());

    // Far forward first (frames not yet read), back, MP3 frame edges, the last few samples.
    for (std::uint64_t target : std::initializer_list<std::uint64_t>{100000, 0, 1151, 1152, 44100, 3 * 1152 + 7, length - 10}) {
        ASSERT_TRUE(stream->seek(target)) << target;
        EXPECT_EQ(stream->position(), target);
        std::vector<float> read(2000 * Channels);
        const std::size_t got = stream->read(read.data(), 2000);
        ASSERT_EQ(got, std::min<std::uint64_t>(2000, length - target)) << target;
        read.resize(got * Channels);
        const auto from = decoded.begin() + static_cast<std::ptrdiff_t>(target * Channels);
        EXPECT_TRUE(std::equal(read.begin(), read.end(), from)) << "at " << target;
        EXPECT_EQ(stream->position(), target + got);
    }
}

TEST(Mp3Stream, StopsAtItsEndAndRefusesToSeekPastIt)
{
    auto stream = Mp3Stream::open(sweepMp3().data(), sweepMp3().size());
    ASSERT_TRUE(stream);
    float frames[Channels * 16];
    EXPECT_TRUE(stream->seek(stream->length()));
    EXPECT_EQ(stream->read(frames, 16), 0u);
    EXPECT_FALSE(stream->seek(stream->length() + 1));
    EXPECT_EQ(stream->position(), stream->length());
}

struct OtherFormat
{
    int rate;
    int channels;
};

class Mp3StreamOtherFormat : public testing::TestWithParam<OtherFormat>
{
};

TEST_P(Mp3StreamOtherFormat, PlaysAtTheMixingRateAsStereo)
{
    const auto [rate, channels] = GetParam();
    const auto tone = [](int channel, double t) {
        return static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * (channel ? 880 : 441) * t));
    };
    const std::vector<float> decoded = decodeAll(encodeMp3(test::synthesise(rate, channels, 2.0, tone), 128));
    ASSERT_FALSE(decoded.empty());

    EXPECT_NEAR(static_cast<double>(decoded.size() / Channels), 2.0 * SampleRate, 64) << "two seconds";
    EXPECT_NEAR(risingCrossingsPerSecond(decoded, 0), 441, 3) << "the left tone keeps its pitch";
    EXPECT_NEAR(risingCrossingsPerSecond(decoded, 1), channels == 1 ? 441 : 880, 3);
}

INSTANTIATE_TEST_SUITE_P(RateAndChannels, Mp3StreamOtherFormat,
                         testing::Values(OtherFormat{22050, 1}, OtherFormat{48000, 2}, OtherFormat{32000, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.rate) + (info.param.channels == 1 ? "Mono" : "Stereo");
                         });

TEST(Mp3Stream, RefusesBytesThatAreNotMpegAudio)
{
    const std::string text = "This is not an MP3 file, only a sentence about one.";
    std::vector<unsigned char> noise(64 * 1024);
    std::mt19937 random(7);
    for (unsigned char& byte : noise)
        byte = static_cast<unsigned char>(random());
    const std::vector<unsigned char> wav = test::wavBytes(test::sweepAndTone(0.5));
    const std::vector<unsigned char> zeros(8192, 0);

    EXPECT_FALSE(Mp3Stream::open(nullptr, 100));
    EXPECT_FALSE(Mp3Stream::open(sweepMp3().data(), 0));
    EXPECT_FALSE(Mp3Stream::open(text.data(), text.size()));
    EXPECT_FALSE(Mp3Stream::open(noise.data(), noise.size()));
    EXPECT_FALSE(Mp3Stream::open(wav.data(), wav.size()));
    EXPECT_FALSE(Mp3Stream::open(zeros.data(), zeros.size()));
}

TEST(Mp3Stream, DecodesWhatADamagedFileHolds)
{
    const std::vector<float> whole = decodeAll(sweepMp3());

    const std::vector<unsigned char> firstHalf(sweepMp3().begin(), sweepMp3().begin() + sweepMp3().size() / 2);
    const std::vector<float> truncated = decodeAll(firstHalf);
    ASSERT_FALSE(truncated.empty());
    EXPECT_NEAR(static_cast<double>(truncated.size()) / whole.size(), 0.5, 0.05);
    EXPECT_TRUE(std::equal(truncated.begin(), truncated.begin() + 44100 * Channels, whole.begin()))
        << "the first second is untouched";

    std::vector<unsigned char> scribbled = sweepMp3();
    std::mt19937 random(11);
    for (std::size_t at = scribbled.size() / 3; at < scribbled.size() / 3 + 4000; ++at)
        scribbled[at] = static_cast<unsigned char>(random());
    const std::vector<float> damaged = decodeAll(scribbled);
    EXPECT_NEAR(static_cast<double>(damaged.size()) / whole.size(), 1.0, 0.05) << "decoding goes on after the damage";
}

} // namespace
} // namespace orb::audio
