#include "platform/audio/Mixer.h"

#include "Mp3Fixture.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace orb::audio {
namespace {

using test::sweepMp3;

class MixerTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(decoded_.empty()) << "lame encoded the test sound"; }

    StreamHandle create(bool loop = false)
    {
        return mixer_.createStream(sweepMp3().data(), sweepMp3().size(), loop);
    }

    std::uint64_t length() const { return decoded_.size() / Channels; }

    std::vector<float> mix(std::size_t frames)
    {
        std::vector<float> out(frames * Channels, -7.0f); // mix() must overwrite all of it
        mixer_.mix(out.data(), frames);
        return out;
    }

    // The decoded frames [from, from + count), scaled.
    std::vector<float> decoded(std::uint64_t from, std::uint64_t count, float gain = 1.0f) const
    {
        std::vector<float> frames(decoded_.begin() + static_cast<std::ptrdiff_t>(from * Channels),
                                  decoded_.begin() + static_cast<std::ptrdiff_t>((from + count) * Channels));
        for (float& sample : frames)
            sample *= gain;
        return frames;
    }

    static std::vector<float> silence(std::size_t frames)
    {
        return std::vector<float>(frames * Channels, 0.0f);
    }

    static std::vector<float> joined(std::vector<float> first, const std::vector<float>& second)
    {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }

    const std::vector<float> decoded_ = test::decodeAll(sweepMp3());
    Mixer mixer_;
};

TEST_F(MixerTest, APlayingStreamAtFullVolumeMixesToItsDecodedSamples)
{
    const StreamHandle stream = create();
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(mix(500), silence(500)) << "created paused";
    EXPECT_EQ(mixer_.currentPosition(stream), 0u);

    ASSERT_TRUE(mixer_.play(stream, false));
    // Sizes that straddle the decoder's chunks.
    EXPECT_EQ(mix(1000), decoded(0, 1000));
    EXPECT_EQ(mix(1500), decoded(1000, 1500));
    EXPECT_EQ(mix(2500), decoded(2500, 2500));
    EXPECT_EQ(mixer_.currentPosition(stream), 5000u);
}

TEST_F(MixerTest, SetPositionLandsOnTheRequestedSample)
{
    const StreamHandle stream = create();
    mixer_.play(stream, false);
    mix(3000);

    ASSERT_TRUE(mixer_.setPosition(stream, 77777));
    EXPECT_EQ(mixer_.currentPosition(stream), 77777u) << "before the next mix";
    EXPECT_EQ(mix(2000), decoded(77777, 2000));
    EXPECT_EQ(mixer_.currentPosition(stream), 79777u);

    ASSERT_TRUE(mixer_.setPosition(stream, 1234));
    EXPECT_EQ(mix(10), decoded(1234, 10)) << "backwards too";

    mixer_.stop(stream);
    ASSERT_TRUE(mixer_.setPosition(stream, 40000));
    mix(100);
    mixer_.play(stream, false);
    EXPECT_EQ(mix(100), decoded(40000, 100)) << "a paused stream starts where it was put";

    EXPECT_FALSE(mixer_.setPosition(stream, length() + 1));
    EXPECT_EQ(mixer_.currentPosition(stream), 40100u) << "a refused position changes nothing";
}

TEST_F(MixerTest, ALoopingStreamWrapsWithoutAGap)
{
    const StreamHandle stream = create(true);
    mixer_.setPosition(stream, length() - 100);
    mixer_.play(stream, false);
    EXPECT_EQ(mix(300), joined(decoded(length() - 100, 100), decoded(0, 200)));
    EXPECT_EQ(mixer_.currentPosition(stream), 200u);

    mixer_.setPosition(stream, length());
    EXPECT_EQ(mix(50), decoded(0, 50)) << "from the very end";
}

TEST_F(MixerTest, ANonLoopingStreamEndsInSilenceAndStaysAtItsEnd)
{
    const StreamHandle stream = create();
    mixer_.setPosition(stream, length() - 100);
    mixer_.play(stream, false);
    EXPECT_EQ(mix(300), joined(decoded(length() - 100, 100), silence(200)));
    EXPECT_EQ(mixer_.currentPosition(stream), length());

    mixer_.play(stream, false);
    EXPECT_EQ(mix(100), silence(100)) << "resuming at the end plays nothing";
    mixer_.play(stream, true);
    EXPECT_EQ(mix(100), decoded(0, 100)) << "a restart plays from the start";
}

TEST_F(MixerTest, VolumeScalesEveryStreamAndSilenceStillKeepsTime)
{
    const StreamHandle stream = create();
    ASSERT_TRUE(mixer_.setVolume(0));
    mixer_.play(stream, false);
    EXPECT_EQ(mix(1000), silence(1000));
    EXPECT_EQ(mixer_.currentPosition(stream), 1000u);

    ASSERT_TRUE(mixer_.setVolume(MaxVolume / 4));
    EXPECT_EQ(mix(1000), decoded(1000, 1000, 0.25f));

    EXPECT_FALSE(mixer_.setVolume(-1));
    EXPECT_FALSE(mixer_.setVolume(MaxVolume + 1));
    EXPECT_EQ(mix(10), decoded(2000, 10, 0.25f)) << "a refused volume changes nothing";
}

TEST_F(MixerTest, AFadeFallsToSilenceInAStraightLineAcrossMixesAndSaysWhenAWholeMixWasSilent)
{
    const StreamHandle stream = create();
    mixer_.play(stream, false);
    EXPECT_EQ(mix(1000), decoded(0, 1000));
    mixer_.fadeOut(400);
    const std::vector<float> first = mix(300);
    const std::vector<float> second = mix(300);
    const std::vector<float> faded = joined(first, second);
    const std::vector<float> music = decoded(1000, 600);
    for (std::size_t frame = 0; frame < 600; ++frame) {
        const float gain = std::max(1.0f - static_cast<float>(frame) / 400.0f, 0.0f);
        for (std::size_t channel = 0; channel < Channels; ++channel) {
            const std::size_t sample = frame * Channels + channel;
            ASSERT_NEAR(faded[sample], music[sample] * gain, 1e-5f) << "frame " << frame;
        }
    }
    EXPECT_FALSE(mixer_.faded()) << "the mix that ended the fade went on past it";
    EXPECT_EQ(mix(100), silence(100));
    EXPECT_TRUE(mixer_.faded());
    EXPECT_EQ(mixer_.currentPosition(stream), 1700u) << "the stream plays on, unheard";
}

TEST_F(MixerTest, StopPausesWhereTheStreamIsAndPlayResumesOrRestarts)
{
    const StreamHandle stream = create();
    mixer_.play(stream, false);
    mix(1000);
    ASSERT_TRUE(mixer_.stop(stream));
    EXPECT_EQ(mix(500), silence(500));
    EXPECT_EQ(mixer_.currentPosition(stream), 1000u);

    mixer_.play(stream, false);
    EXPECT_EQ(mix(500), decoded(1000, 500));
    mixer_.play(stream, true);
    EXPECT_EQ(mixer_.currentPosition(stream), 0u);
    EXPECT_EQ(mix(500), decoded(0, 500));
}

TEST_F(MixerTest, APlayheadTellsWhereTheLastTimedMixBeganAndGoesStaleWithEveryCommand)
{
    const StreamHandle stream = create();
    mixer_.play(stream, false);
    mix(300);
    EXPECT_FALSE(mixer_.playhead(stream)) << "an output that keeps no time says nothing";

    std::vector<float> out(200 * Channels);
    mixer_.mix(out.data(), 200, 5000);
    ASSERT_TRUE(mixer_.playhead(stream));
    EXPECT_EQ(mixer_.playhead(stream)->tick, 5000);
    EXPECT_EQ(mixer_.playhead(stream)->frame, 300u);

    mixer_.setPosition(stream, 1000);
    EXPECT_FALSE(mixer_.playhead(stream)) << "moved: the old playhead is wrong";
    mixer_.mix(out.data(), 200, 6000);
    EXPECT_EQ(mixer_.playhead(stream)->frame, 1000u);

    mixer_.stop(stream);
    mixer_.mix(out.data(), 200, 7000);
    EXPECT_FALSE(mixer_.playhead(stream)) << "a paused stream is heard nowhere";
}

// Frames [from, to) of interleaved samples.
std::vector<float> slice(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    return {samples.begin() + static_cast<std::ptrdiff_t>(from * Channels),
            samples.begin() + static_cast<std::ptrdiff_t>(to * Channels)};
}

TEST_F(MixerTest, AGrainPlaysAPausedStreamsSpanOnceFadedInAndOutAndLeavesItsPlaceAlone)
{
    const StreamHandle stream = create();
    mixer_.setPosition(stream, 1000);
    ASSERT_TRUE(mixer_.playGrain(stream, 50000, 2000));
    const std::vector<float> out = mix(2500);
    EXPECT_EQ(slice(out, 220, 1780), decoded(50220, 1560)) << "at the stream's own samples";
    EXPECT_NEAR(out[0], decoded_[50000 * Channels] / 220.0f, 1e-6f) << "faded in";
    EXPECT_NEAR(out[1999 * Channels], decoded_[51999 * Channels] / 220.0f, 1e-6f) << "and out";
    EXPECT_NEAR(out[110 * Channels], decoded_[50110 * Channels] * 111.0f / 220.0f, 1e-6f);
    EXPECT_EQ(slice(out, 2000, 2500), silence(500)) << "once";

    EXPECT_EQ(mixer_.currentPosition(stream), 1000u);
    mixer_.play(stream, false);
    EXPECT_EQ(mix(500), decoded(1000, 500)) << "the stream plays on from its own place";
}

TEST_F(MixerTest, GrainsAskedForWhileOneSoundsFollowItAndOnlyTheLatestWaits)
{
    const StreamHandle stream = create();
    mixer_.playGrain(stream, 10000, 1000);
    mix(100);
    mixer_.playGrain(stream, 20000, 1000);
    mixer_.playGrain(stream, 30000, 1000);
    const std::vector<float> out = mix(2000);
    EXPECT_EQ(slice(out, 300, 680), decoded(10400, 380)) << "the first plays to its end";
    EXPECT_EQ(slice(out, 1120, 1680), decoded(30220, 560)) << "then the latest";
    EXPECT_EQ(slice(out, 1900, 2000), silence(100));
}

TEST_F(MixerTest, AGrainFadesOutOnceItsStreamPlaysAndNoneSoundsWhileItPlays)
{
    const StreamHandle stream = create();
    mixer_.setPosition(stream, 1000);
    mixer_.playGrain(stream, 50000, 20000);
    mix(1000);
    mixer_.play(stream, false);
    std::vector<float> out = mix(1000);
    EXPECT_NE(slice(out, 0, 220), decoded(1000, 220)) << "fading";
    EXPECT_EQ(slice(out, 220, 1000), decoded(1220, 780)) << "then only the stream";

    mixer_.playGrain(stream, 50000, 2000);
    EXPECT_EQ(mix(1000), decoded(2000, 1000));

    EXPECT_FALSE(mixer_.playGrain(stream, length(), 100)) << "beyond the end";
    EXPECT_FALSE(mixer_.playGrain(stream + 1, 0, 100));
}

TEST_F(MixerTest, PlayingStreamsAddUp)
{
    const StreamHandle first = create();
    const StreamHandle second = create();
    mixer_.setPosition(second, 44100);
    mixer_.play(first, false);
    mixer_.play(second, false);
    const std::vector<float> mixed = mix(2000);
    std::vector<float> sum = decoded(0, 2000);
    const std::vector<float> other = decoded(44100, 2000);
    for (std::size_t i = 0; i < sum.size(); ++i)
        sum[i] += other[i];
    EXPECT_EQ(mixed, sum);
}

TEST_F(MixerTest, HandlesAreNeverReusedAndFailCleanlyOnceFreed)
{
    const StreamHandle freed = create();
    ASSERT_NE(freed, 0u);
    ASSERT_TRUE(mixer_.free(freed));
    std::vector<StreamHandle> later;
    for (int i = 0; i < 5; ++i) {
        later.push_back(create());
        EXPECT_NE(later.back(), 0u);
        EXPECT_NE(later.back(), freed);
        EXPECT_EQ(std::count(later.begin(), later.end(), later.back()), 1);
        mixer_.free(later.back());
    }
    for (StreamHandle bad : {freed, StreamHandle{0}, StreamHandle{12345}}) {
        EXPECT_FALSE(mixer_.play(bad, false)) << bad;
        EXPECT_FALSE(mixer_.stop(bad)) << bad;
        EXPECT_FALSE(mixer_.setPosition(bad, 0)) << bad;
        EXPECT_FALSE(mixer_.position(bad, 1.0)) << bad;
        EXPECT_FALSE(mixer_.currentPosition(bad)) << bad;
        EXPECT_FALSE(mixer_.free(bad)) << bad;
    }
}

TEST_F(MixerTest, RefusesBytesThatAreNotMpegAudio)
{
    const std::vector<unsigned char> wav = test::wavBytes(test::sweepAndTone(0.2));
    EXPECT_EQ(mixer_.createStream(wav.data(), wav.size(), false), 0u);
    EXPECT_EQ(mixer_.createStream(nullptr, 0, true), 0u);
}

TEST_F(MixerTest, PositionTurnsSecondsIntoFramesAtTheMixingRate)
{
    const StreamHandle stream = create();
    EXPECT_EQ(mixer_.position(stream, 0.0), 0u);
    EXPECT_EQ(mixer_.position(stream, 1.0), 44100u);
    EXPECT_EQ(mixer_.position(stream, 2.5), 110250u);
    EXPECT_EQ(mixer_.position(stream, 0.6 / SampleRate), 1u) << "rounded, not truncated";
    EXPECT_EQ(mixer_.position(stream, 0.4 / SampleRate), 0u);
    EXPECT_EQ(mixer_.position(stream, 600.0), 26460000u) << "past the stream's end is still a time";
    EXPECT_FALSE(mixer_.position(stream, -1.0));
    EXPECT_FALSE(mixer_.position(stream, std::nan("")));
    EXPECT_FALSE(mixer_.position(stream, INFINITY));
}

// Run under the thread sanitizer this shows the locking sound; anywhere it shows no deadlock,
// no crash, and positions that stay within the stream.
TEST_F(MixerTest, CommandsWhileAnotherThreadMixesStayConsistent)
{
    std::atomic<bool> done = false;
    std::thread mixing([&] {
        std::vector<float> out(256 * Channels);
        while (!done)
            mixer_.mix(out.data(), 256);
    });
    std::mt19937 random(3);
    const StreamHandle looping = create(true);
    mixer_.play(looping, false);
    for (int round = 0; round < 200; ++round) {
        const StreamHandle stream = create(round % 2 == 0);
        ASSERT_NE(stream, 0u);
        mixer_.play(stream, round % 3 == 0);
        mixer_.setPosition(stream, random() % length());
        mixer_.setVolume(static_cast<int>(random() % (MaxVolume + 1)));
        EXPECT_LE(*mixer_.currentPosition(stream), length());
        EXPECT_LE(*mixer_.currentPosition(looping), length());
        if (round % 4 == 0)
            mixer_.stop(stream);
        EXPECT_TRUE(mixer_.free(stream));
    }
    done = true;
    mixing.join();
}

} // namespace
} // namespace orb::audio
