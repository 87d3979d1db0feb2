#include "Encoder.h"

#include "RenderStats.h"
#include "platform/gfx/Backend.h"

#include <gtest/gtest.h>

namespace orb::render::test {
namespace {

// Every picture the encoder is given until it fails, then its end: false with why.
bool encodeUntilFailure(Encoder& encoder, int pictures)
{
    std::vector<std::uint8_t> planes(gfx::PlanarPlanes(64, 36).size, 128);
    for (int i = 0; i < pictures; ++i)
        if (!encoder.picture(planes.data()))
            return false;
    return encoder.finish();
}

TEST(Encoder, NamesTheFileItCannotCreate)
{
    // No one, root included, creates files in /proc.
    std::string failure;
    EXPECT_EQ(Encoder::open({"/proc/orb-test/demo.mp4", 64, 36, 10, true}, failure), nullptr);
    EXPECT_NE(failure.find("avio_open /proc/orb-test/demo.mp4: No such file or directory"), std::string::npos)
        << failure;
}

TEST(Encoder, ReportsAFullDiskInsteadOfAWholeFile)
{
    // The file's header is written at once, so a disk already full fails the opening.
    std::string failure;
    auto encoder = Encoder::open({"/dev/full", 64, 36, 10, true}, failure);
    if (encoder) {
        EXPECT_FALSE(encodeUntilFailure(*encoder, 50));
        failure = encoder->failure();
    }
    EXPECT_NE(failure.find("No space left on device"), std::string::npos) << failure;
}

TEST(RenderStats, PercentilesAreTheSmallestValuesWithThatShareAtOrBelow)
{
    std::vector<double> twenty;
    for (int i = 20; i >= 1; --i)
        twenty.push_back(i);
    EXPECT_EQ(percentile(twenty, 0.5), 10);
    EXPECT_EQ(percentile(twenty, 0.95), 19) << "not the worst of twenty";
    EXPECT_EQ(percentile(twenty, 1.0), 20);
    EXPECT_EQ(percentile(twenty, 0.0), 1);
    EXPECT_EQ(percentile({7}, 0.95), 7);
    EXPECT_EQ(percentile({}, 0.5), 0);
}

} // namespace
} // namespace orb::render::test
