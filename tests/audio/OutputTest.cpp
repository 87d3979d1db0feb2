#include "platform/audio/Output.h"

#include "Mp3Fixture.h"
#include "platform/audio/LibraryVersions.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace orb::audio {
namespace {

using namespace std::chrono_literals;

class OutputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        stream_ = mixer_.createStream(test::sweepMp3().data(), test::sweepMp3().size(), true);
        ASSERT_NE(stream_, 0u);
        mixer_.play(stream_, false);
    }

    // Polls until the stream's position changes, for at most `patience`.
    bool positionMovesWithin(std::chrono::milliseconds patience) const
    {
        const auto start = mixer_.currentPosition(stream_);
        for (auto waited = 0ms; waited < patience; waited += 10ms) {
            if (mixer_.currentPosition(stream_) != start)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    Mixer mixer_;
    StreamHandle stream_ = 0;
};

TEST_F(OutputTest, SilentOutputMovesTimeOnlyWhenPumped)
{
    auto output = openSilentOutput(mixer_);
    EXPECT_FALSE(positionMovesWithin(100ms));
    output->pump(3000);
    EXPECT_EQ(mixer_.currentPosition(stream_), 3000u);
    output->pump(0);
    EXPECT_EQ(mixer_.currentPosition(stream_), 3000u);
}

TEST_F(OutputTest, SilentOutputHandsWhatItMixesToItsSink)
{
    std::vector<float> received;
    auto output = openSilentOutput(mixer_, [&received](const float* samples, std::size_t frames) {
        received.insert(received.end(), samples, samples + frames * Channels);
    });
    // More than one mixing chunk, and not a whole number of them.
    output->pump(3000);
    const std::vector<float> decoded = test::decodeAll(test::sweepMp3());
    ASSERT_EQ(received.size(), 3000u * Channels);
    EXPECT_TRUE(std::equal(received.begin(), received.end(), decoded.begin()));
}

TEST_F(OutputTest, DeviceOutputMixesOnItsOwnThread)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string error;
    auto output = openDeviceOutput(mixer_, &error);
    ASSERT_TRUE(output) << error;
    EXPECT_TRUE(positionMovesWithin(5000ms)) << "SDL's thread pulls from the mixer";

    output.reset();
    EXPECT_FALSE(positionMovesWithin(200ms)) << "a closed output pulls no more";
}

TEST_F(OutputTest, DeviceOutputSaysWhyItCannotOpen)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::string error;
    EXPECT_FALSE(openDeviceOutput(mixer_, &error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(openDeviceOutput(mixer_, nullptr)) << "the reason is optional";
}

TEST(LibraryVersions, TheLoadedLibrariesAreAtLeastTheBuildsOnes)
{
    EXPECT_TRUE(librariesUpToDate());
}

} // namespace
} // namespace orb::audio
