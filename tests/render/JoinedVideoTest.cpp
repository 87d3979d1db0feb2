#include "JoinedVideo.h"

#include "ProgramSupport.h"
#include "TestSupport.h"
#include "VideoFile.h"
#include "platform/audio/Mp3Stream.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace orb::render::test {
namespace {

using orb::test::readFile;
using orb::test::runProgram;
using orb::test::writeFile;

constexpr int Width = 64, Height = 36;
constexpr double Fps = 10;

// Parts as orb-render renders them, of grey pictures and silence, in a scratch directory.
class JoinedVideoTest : public ::testing::Test
{
protected:
    static Encoder::Settings settings(const std::string& file, std::optional<PictureSpan> span)
    {
        return {file, Width, Height, Fps, true, span};
    }

    // A video of `pictures` pictures, recorded as pictures `span` of a whole render.
    static void render(Encoder::Settings settings, std::uint64_t pictures)
    {
        const std::size_t size = gfx::PlanarPlanes(settings.width, settings.height).size;
        std::vector<std::uint8_t> planes(size, 128);
        const std::vector<float> sound(static_cast<std::size_t>(audio::SampleRate / settings.fps) *
                                       audio::Channels);
        auto video = VideoFile::open(settings);
        ASSERT_TRUE(video) << video.failure().message();
        for (std::uint64_t i = 0; i < pictures; ++i) {
            ASSERT_FALSE((*video)->write({settings.width, settings.height,
                                          [&planes] { return planes.data(); }, gfx::PixelLayout::Planar420}));
            ASSERT_FALSE((*video)->writeSound(sound.data(), sound.size() / audio::Channels));
        }
        const app::Failure failure = (*video)->finish(true);
        ASSERT_FALSE(failure) << failure.message();
    }

    static void part(const std::string& file, std::uint64_t first, std::uint64_t last)
    {
        render(settings(file, PictureSpan{first, last}), last - first + 1);
    }

    // Joins `parts` as pictures `span`, the renderer drawing `drawn` of them (all by default): the
    // failure's message, empty when it joined.
    static std::string join(const std::vector<std::string>& parts, PictureSpan span,
                            std::optional<std::uint64_t> drawn = std::nullopt)
    {
        auto joined = JoinedVideo::open(settings("joined.mp4", std::nullopt), parts, span);
        if (!joined)
            return joined.failure().message();
        const std::vector<float> sound(static_cast<std::size_t>(audio::SampleRate / Fps) * audio::Channels);
        for (std::uint64_t i = 0; i < drawn.value_or(span.count()); ++i) {
            if (app::Failure failure = (*joined)->write({Width, Height, [] { return nullptr; }}))
                return failure.message();
            if (app::Failure failure = (*joined)->writeSound(sound.data(), sound.size() / audio::Channels))
                return failure.message();
        }
        return (*joined)->finish(true).message();
    }

    // The join refused with `reason`, and left no file behind.
    static void expectRefused(const std::vector<std::string>& parts, PictureSpan span,
                              const std::string& reason, std::optional<std::uint64_t> drawn = std::nullopt)
    {
        const std::string failure = join(parts, span, drawn);
        EXPECT_NE(failure.find(reason), std::string::npos) << failure;
        EXPECT_FALSE(std::filesystem::exists("joined.mp4"));
        EXPECT_FALSE(std::filesystem::exists("joined.part.mp4"));
    }

    orb::test::ScratchDirectory scratch_;
};

TEST_F(JoinedVideoTest, JoinsConsecutivePartsIntoOneVideoOfEveryPicture)
{
    part("a.mp4", 20, 29);
    part("b.mp4", 30, 30);
    part("c.mp4", 31, 34);
    ASSERT_EQ(join({"a.mp4", "b.mp4", "c.mp4"}, {20, 34}), "");
    const auto probe = runProgram("ffprobe -v error -count_frames -select_streams v -show_entries "
                                  "stream=nb_read_frames -of csv=p=0 joined.mp4");
    EXPECT_EQ(std::atoi(probe.output.c_str()), 15);
}

TEST_F(JoinedVideoTest, RefusesPartsRenderedWithOtherSettings)
{
    part("a.mp4", 0, 4);
    Encoder::Settings wide = settings("wide.mp4", PictureSpan{5, 9});
    wide.width = 96;
    render(wide, 5);
    expectRefused({"a.mp4", "wide.mp4"}, {0, 9}, "wide.mp4 is 96 x 36, the join 64 x 36");

    Encoder::Settings fast = settings("fast.mp4", PictureSpan{5, 9});
    fast.fps = 12;
    render(fast, 5);
    expectRefused({"a.mp4", "fast.mp4"}, {0, 9}, "fast.mp4 has 12/1 pictures a second, the join 10/1");

    Encoder::Settings silent = settings("silent.mp4", PictureSpan{5, 9});
    silent.withSound = false;
    render(silent, 5);
    expectRefused({"a.mp4", "silent.mp4"}, {0, 9}, "silent.mp4 has no stereo aac sound");

    // The same pictures, size, rate, sound and numbers, encoded by another set-up of the encoder.
    part("b.mp4", 5, 9);
    ASSERT_EQ(runProgram("ffmpeg -nostdin -v error -i b.mp4 -map_metadata 0 -movflags use_metadata_tags "
                         "-c:a copy -c:v libx264 -preset veryslow other.mp4")
                  .status,
              0);
    expectRefused({"a.mp4", "other.mp4"}, {0, 9}, "other.mp4 was encoded otherwise than a.mp4");

    render(settings("unnumbered.mp4", std::nullopt), 5);
    expectRefused({"unnumbered.mp4"}, {0, 4}, "unnumbered.mp4 was not rendered as numbered pictures");
}

TEST_F(JoinedVideoTest, RefusesPartsThatLeaveAGapOrOverlapOrFallShortOfTheSpan)
{
    part("a.mp4", 0, 4);
    part("b.mp4", 5, 9);
    part("late.mp4", 6, 9);
    part("early.mp4", 4, 9);
    expectRefused({"a.mp4", "late.mp4"}, {0, 9}, "pictures 5 to 5 are in no part: a gap before late.mp4");
    expectRefused({"a.mp4", "early.mp4"}, {0, 9},
                  "early.mp4 begins at picture 4, which the part before it holds");
    expectRefused({"b.mp4", "a.mp4"}, {0, 9}, "pictures 0 to 4 are in no part: a gap before b.mp4");
    expectRefused({"a.mp4"}, {0, 9}, "the parts end at picture 4, the join at 9");
    expectRefused({"a.mp4", "b.mp4"}, {1, 9},
                  "a.mp4 begins at picture 0, which comes before the join's first");
}

TEST_F(JoinedVideoTest, RefusesAMissingOrDamagedPart)
{
    part("a.mp4", 0, 4);
    expectRefused({"a.mp4", "gone.mp4"}, {0, 9}, "gone.mp4: no such part");
    writeFile("garbage.mp4", std::string(4096, 'x'));
    expectRefused({"a.mp4", "garbage.mp4"}, {0, 9}, "garbage.mp4: Invalid data found");
    // Recorded as ten pictures, holding five: a render cut short that was named whole.
    render(settings("short.mp4", PictureSpan{5, 14}), 5);
    expectRefused({"a.mp4", "short.mp4"}, {0, 14}, "short.mp4 holds 5 pictures of the 10 rendered into it");
}

// A demo that ends before the span does leaves the renderer short of the parts' pictures.
TEST_F(JoinedVideoTest, KeepsNoJoinOfMorePicturesThanTheRendererDrew)
{
    part("a.mp4", 0, 4);
    part("b.mp4", 5, 9);
    expectRefused({"a.mp4", "b.mp4"}, {0, 9}, "the parts hold 10 pictures, the span 7", 7);
}

} // namespace
} // namespace orb::render::test
