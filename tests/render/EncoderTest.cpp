#include "Encoder.h"

#include "TestSupport.h"
#include "VideoFile.h"
#include "platform/gfx/Backend.h"

#include <gtest/gtest.h>

namespace orb::render::test {
namespace {

// Every picture the encoder is given until it fails, then its end: what failed.
app::Failure encodeUntilFailure(Encoder& encoder, int pictures)
{
    std::vector<std::uint8_t> planes(gfx::PlanarPlanes(64, 36).size, 128);
    for (int i = 0; i < pictures; ++i)
        if (app::Failure failure = encoder.picture(planes.data()))
            return failure;
    return encoder.finish();
}

TEST(Encoder, NamesTheFileItCannotCreate)
{
    // No one, root included, creates files in /proc.
    const auto encoder = Encoder::open({"/proc/orb-test/demo.mp4", 64, 36, 10, true});
    ASSERT_FALSE(encoder);
    EXPECT_EQ(encoder.failure().message(), "avio_open /proc/orb-test/demo.mp4: No such file or directory");
}

TEST(Encoder, ReportsAFullDiskInsteadOfAWholeFile)
{
    // The file's header is written at once, so a disk already full fails the opening.
    auto encoder = Encoder::open({"/dev/full", 64, 36, 10, true});
    const app::Failure failure = encoder ? encodeUntilFailure(**encoder, 50) : encoder.failure();
    EXPECT_EQ(failure.why, "No space left on device") << failure.message();
}

TEST(VideoFile, NamesTheStepAndTheSystemsWordsForAFileItCannotCreate)
{
    const auto video = VideoFile::open({"/proc/orb-test/demo.mp4", 64, 36, 10, true});
    ASSERT_FALSE(video);
    EXPECT_EQ(video.failure().what, "cannot create /proc/orb-test/demo.part.mp4");
    EXPECT_EQ(video.failure().why, "No such file or directory");
}

// Named as itself only at its end, the video is removed when that fails, and whatever is in the
// way stays.
TEST(VideoFile, LeavesNoPartWhenItCannotBeNamedAsItself)
{
    orb::test::ScratchDirectory scratch;
    std::filesystem::create_directory("demo.mp4");
    auto video = VideoFile::open({"demo.mp4", 64, 36, 10, false});
    ASSERT_TRUE(video) << video.failure().message();
    std::vector<std::uint8_t> planes(gfx::PlanarPlanes(64, 36).size, 128);
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(
            (*video)->write({64, 36, [&planes] { return planes.data(); }, gfx::PixelLayout::Planar420}));
    const app::Failure failure = (*video)->finish(true);
    EXPECT_EQ(failure.what, "cannot name demo.part.mp4 demo.mp4");
    EXPECT_EQ(failure.why, "Is a directory");
    EXPECT_FALSE(std::filesystem::exists("demo.part.mp4"));
    EXPECT_TRUE(std::filesystem::is_directory("demo.mp4"));
}

} // namespace
} // namespace orb::render::test
