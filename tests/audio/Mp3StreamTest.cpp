#include "platform/audio/Mp3Stream.h"

#include "Mp3Fixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
#include <random>
#include <utility>

namespace orb::audio {
namespace {

using test::decodeAll;
using test::encodeMp3;
using test::sweepMp3;

// Root-mean-square difference of one channel when `decoded` lags `source` by `lag` frames.
double rmsError(const std::vector<float>& source, const std::vector<float>& decoded, int channel, int lag)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t frame = 100; frame + 100 + lag < source.size() / Channels; ++frame, ++count) {
        const double difference =
            decoded[(frame + lag) * Channels + channel] - source[frame * Channels + channel];
        sum += difference * difference;
    }
    return std::sqrt(sum / count);
}

// Crossings of zero going up, per second.
double risingCrossingsPerSecond(const std::vector<float>& decoded, int channel)
{
    int crossings = 0;
    for (std::size_t frame = 1; frame < decoded.size() / Channels; ++frame)
        crossings +=
            decoded[(frame - 1) * Channels + channel] < 0 && decoded[frame * Channels + channel] >= 0;
    return crossings / (static_cast<double>(decoded.size() / Channels) / SampleRate);
}

TEST(Mp3Stream, DecodesTheSourceSampleAlignedWithoutTheEncodersDelayOrPadding)
{
    const test::Sound source = test::sweepAndTone(3.0);
    const std::vector<float> decoded = decodeAll(sweepMp3());
    ASSERT_EQ(decoded.size(), source.samples.size()) << "the LAME tag's delay and padding are dropped";
    for (int channel = 0; channel < Channels; ++channel) {
        const double aligned = rmsError(source.samples, decoded, channel, 0);
        // MP3's quantiser rounds towards zero: these tones come back about 3 % quieter.
        EXPECT_LT(aligned, 0.02) << "channel " << channel;
        EXPECT_GT(rmsError(source.samples, decoded, channel, 1), 3 * aligned) << "a frame early is worse";
        EXPECT_GT(rmsError(source.samples, decoded, channel, -1), 3 * aligned) << "a frame late is worse";
    }
}

TEST(Mp3Stream, SeeksToTheExactSample)
{
    const std::vector<float> decoded = decodeAll(sweepMp3());
    auto stream = Mp3Stream::open(sweepMp3().data(), sweepMp3().size());
    ASSERT_TRUE(stream);
    const std::uint64_t length = stream->length();
    ASSERT_EQ(length * Channels, decoded.size());

    // Far forward first, then back, MP3 frame edges, the last few samples.
    for (std::uint64_t target :
         std::initializer_list<std::uint64_t>{100000, 0, 1151, 1152, 44100, 3 * 1152 + 7, length - 10}) {
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

TEST(Mp3Stream, SkipsAnId3TagInFront)
{
    const std::vector<unsigned char> tagged = encodeMp3(
        test::sweepAndTone(3.0), "-b 192 --id3v2-only --tt 'Orb test' --ta Orb --tc padding-comment");
    ASSERT_GT(tagged.size(), 3u);
    ASSERT_EQ(std::string(tagged.begin(), tagged.begin() + 3), "ID3");
    EXPECT_EQ(decodeAll(tagged), decodeAll(sweepMp3()));
}

TEST(Mp3Stream, KnowsTheExactLengthOfAFileWithoutALameTag)
{
    const std::vector<unsigned char> untagged = encodeMp3(test::sweepAndTone(3.0), "-b 192 -t");
    auto stream = Mp3Stream::open(untagged.data(), untagged.size());
    ASSERT_TRUE(stream);
    const std::vector<float> decoded = decodeAll(untagged);
    EXPECT_EQ(stream->length(), decoded.size() / Channels);
    EXPECT_GT(stream->length(), 3u * SampleRate) << "the encoder's delay and padding stay in";
    ASSERT_TRUE(stream->seek(stream->length() - 1));
    float last[Channels];
    EXPECT_EQ(stream->read(last, 1), 1u);
    EXPECT_EQ(last[0], decoded[decoded.size() - 2]);
}

TEST(Mp3Stream, PlaysOtherRatesAndMonoAtTheMixingRateAsStereo)
{
    const auto tone = [](int channel, double t) {
        return static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * (channel ? 880 : 441) * t));
    };
    for (const auto& [rate, channels] : {std::pair{22050, 1}, std::pair{48000, 2}, std::pair{32000, 1}}) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels) + " channel(s)");
        const std::vector<float> decoded =
            decodeAll(encodeMp3(test::synthesise(rate, channels, 2.0, tone), "-b 128"));
        ASSERT_FALSE(decoded.empty());

        EXPECT_NEAR(static_cast<double>(decoded.size() / Channels), 2.0 * SampleRate, 64) << "two seconds";
        EXPECT_NEAR(risingCrossingsPerSecond(decoded, 0), 441, 3) << "the left tone keeps its pitch";
        EXPECT_NEAR(risingCrossingsPerSecond(decoded, 1), channels == 1 ? 441 : 880, 3);
    }
}

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

// The first frame at which `whole` holds `part`, to within float rounding: the decoder's
// filter bank sums in an order that depends on how many frames it has decoded.
std::optional<std::size_t> offsetOf(const std::vector<float>& part, const std::vector<float>& whole)
{
    const auto close = [](float a, float b) { return std::abs(a - b) < 1e-6f; };
    for (std::size_t offset = 0; offset * Channels + part.size() <= whole.size(); ++offset)
        if (std::equal(part.begin(), part.end(),
                       whole.begin() + static_cast<std::ptrdiff_t>(offset * Channels), close))
            return offset;
    return std::nullopt;
}

TEST(Mp3Stream, DecodesWhatATruncatedFileHolds)
{
    const std::vector<float> whole = decodeAll(sweepMp3());
    const std::vector<unsigned char> firstHalf(sweepMp3().begin(),
                                               sweepMp3().begin() + sweepMp3().size() / 2);
    const std::vector<float> truncated = decodeAll(firstHalf);
    EXPECT_NEAR(static_cast<double>(truncated.size()) / whole.size(), 0.5, 0.05);

    // The LAME tag no longer fits the file, so the encoder's delay stays in front.
    const std::vector<float> firstSecond(whole.begin(), whole.begin() + SampleRate * Channels);
    const auto offset = offsetOf(firstSecond, truncated);
    ASSERT_TRUE(offset) << "the first second comes out unchanged";
    EXPECT_LT(*offset, 2 * 1152u);
}

TEST(Mp3Stream, SkipsDamageAndDecodesWhatFollows)
{
    const std::vector<float> whole = decodeAll(sweepMp3());
    std::vector<unsigned char> scribbled = sweepMp3();
    std::mt19937 random(11);
    for (std::size_t at = scribbled.size() / 3; at < scribbled.size() / 3 + 4000; ++at)
        scribbled[at] = static_cast<unsigned char>(random());
    const std::vector<float> damaged = decodeAll(scribbled);
    // 4000 bytes are about seven MP3 frames of 1152 samples.
    const double lost = 7 * 1152;
    EXPECT_NEAR(static_cast<double>(damaged.size() / Channels), whole.size() / Channels - lost, 2 * 1152);

    const std::vector<float> lateHalfSecond(whole.begin() + 2 * SampleRate * Channels,
                                            whole.begin() + 5 * SampleRate / 2 * Channels);
    const auto offset = offsetOf(lateHalfSecond, damaged);
    ASSERT_TRUE(offset) << "what follows the damage comes out unchanged";
    EXPECT_NEAR(static_cast<double>(*offset), 2 * SampleRate - lost, 2 * 1152);
}

} // namespace
} // namespace orb::audio
