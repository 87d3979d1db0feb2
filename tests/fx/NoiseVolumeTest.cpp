#include "platform/fx/NoiseVolume.h"

#include "GfxTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace orb::fx {
namespace {

TEST(NoiseVolume, ImprovedNoiseVanishesOnTheLatticeAndStaysWithinOne)
{
    EXPECT_EQ(improvedNoise(0, 0, 0), 0.0f);
    EXPECT_EQ(improvedNoise(3, 17, 250), 0.0f);
    float lowest = 0, highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const float value = improvedNoise(i * 0.0137f, i * 0.0291f, i * 0.0073f);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_LT(lowest, -0.5f) << "the noise uses its range";
    EXPECT_GT(highest, 0.5f);
}

TEST(NoiseVolume, IsDeterministicCentredOnAHalfAndSmooth)
{
    const std::vector<std::uint16_t> volume = noiseVolume(64);
    ASSERT_EQ(volume.size(), 64u * 64 * 64);
    EXPECT_EQ(volume, noiseVolume(64));
    EXPECT_EQ(volume[(5 * 64 + 7) * 64 + 9],
              std::lround(fractalNoise(9.5f / 64, 7.5f / 64, 5.5f / 64) * 65535.0f))
        << "x runs fastest";

    // The lowest octave spans a single lattice cell, whose noise need not average to zero.
    const double mean = std::accumulate(volume.begin(), volume.end(), 0.0) / volume.size() / 65535.0;
    EXPECT_NEAR(mean, 0.5, 0.08);
    const auto [lowest, highest] = std::minmax_element(volume.begin(), volume.end());
    EXPECT_GT(*lowest, 0);
    EXPECT_LT(*highest, 65535);
    EXPECT_GT(*highest - *lowest, 65535 / 4) << "not flat";

    // Neighbouring texels differ by little: the finest octave has a period of two texels
    // but a weight of 1/32, so no step comes near a tenth of the range.
    int largestStep = 0;
    for (int z = 0; z < 64; ++z)
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x + 1 < 64; ++x) {
                const std::size_t at = (static_cast<std::size_t>(z) * 64 + y) * 64 + x;
                largestStep = std::max(largestStep, std::abs(volume[at + 1] - volume[at]));
            }
    EXPECT_LT(largestStep, 65535 / 10);
}

TEST(NoiseVolume, FillsAnL16VolumeTextureThatSamplesAsTheComputedValues)
{
    auto device = gfx::test::makeDevice(8, 8);
    ASSERT_NE(device, nullptr);
    std::string error;
    auto volume = device->createVolumeTexture(8, 8, 8, 1, gfx::Format::L16, &error);
    ASSERT_NE(volume, nullptr) << error;
    ASSERT_TRUE(fillNoiseVolume(*volume));
    device->setTexture(0, volume.get());
    gfx::test::drawRectangle(*device, 0, 0, 8, 8); // the fixed stages read slice 0
    const std::vector<std::uint16_t> expected = noiseVolume(8);
    const std::vector<gfx::Color> pixels = device->readPixels(device->backBuffer());
    for (int i = 0; i < 64; ++i) {
        const int level = (expected[i] * 255 + 32767) / 65535;
        EXPECT_TRUE(gfx::test::near(pixels[i], gfx::argb(255, level, level, level))) << i;
    }
}

} // namespace
} // namespace orb::fx
