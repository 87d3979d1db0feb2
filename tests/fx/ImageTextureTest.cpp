#include "platform/fx/ImageTexture.h"

#include "GfxTestSupport.h"

namespace orb::fx {
namespace {

using gfx::argb;
using gfx::Color;

class ImageTextureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device_ = gfx::test::makeDevice(4, 4);
        ASSERT_NE(device_, nullptr);
    }

    // The texture's texels, drawn 1:1 into a render target that keeps alpha.
    std::vector<Color> texels(gfx::Texture& texture)
    {
        auto target =
            device_->createTexture(4, 4, 1, gfx::Usage::RenderTarget, gfx::Format::A8R8G8B8, nullptr);
        device_->setRenderTarget(0, target->surfaceLevel(0));
        device_->setTexture(0, &texture);
        gfx::test::drawRectangle(*device_, 0, 0, 4, 4);
        return device_->readPixels(target->surfaceLevel(0));
    }

    std::unique_ptr<gfx::Device> device_;
};

TEST_F(ImageTextureTest, KeepsAnImageOfTheAskedSizeExactly)
{
    const std::vector<Color> pixels = {
        argb(255, 1, 2, 3),       argb(128, 200, 100, 50), argb(0, 9, 9, 9),     argb(255, 255, 0, 0),
        argb(10, 0, 255, 0),      argb(255, 0, 0, 255),    argb(255, 7, 7, 7),   argb(64, 64, 64, 64),
        argb(255, 255, 255, 255), argb(1, 2, 3, 4),        argb(5, 6, 7, 8),     argb(9, 10, 11, 12),
        argb(13, 14, 15, 16),     argb(17, 18, 19, 20),    argb(21, 22, 23, 24), argb(25, 26, 27, 28)};
    const std::string bytes = gfx::test::pngBytes(4, 4, pixels);
    std::string error;
    auto texture = createTextureFromImage(*device_, bytes.data(), bytes.size(), 4, 4, &error);
    ASSERT_NE(texture, nullptr) << error;
    EXPECT_EQ(texels(*texture), pixels);
}

TEST_F(ImageTextureTest, ScalingTwoByTwoToFourByFourKeepsCornerColoursAndAlpha)
{
    const Color corners[4] = {argb(255, 255, 0, 0), argb(128, 0, 255, 0), argb(0, 0, 0, 255),
                              argb(64, 255, 255, 255)};
    const std::string bytes = gfx::test::pngBytes(2, 2, {corners[0], corners[1], corners[2], corners[3]});
    auto texture = createTextureFromImage(*device_, bytes.data(), bytes.size(), 4, 4, nullptr);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->width(), 4);
    EXPECT_EQ(texture->levels(), 1u);
    const std::vector<Color> scaled = texels(*texture);
    EXPECT_EQ(scaled[0], corners[0]);
    EXPECT_EQ(scaled[3], corners[1]);
    EXPECT_EQ(scaled[12], corners[2]) << "colour survives under zero alpha";
    EXPECT_EQ(scaled[15], corners[3]);
    EXPECT_TRUE(gfx::test::near(scaled[1], argb(223, 191, 64, 0), 2))
        << "a quarter of the way to the green corner";
}

TEST(ImageTexels, ReduceAnImageOfAnyShapeToAnAverageOfItsArea)
{
    // 10 x 35 to 5 x 23 is a reduction the resampling library's own triangle filter aborts on.
    std::vector<Color> pixels(10 * 35);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i % 2 == 0 ? argb(255, 200, 0, 0) : argb(255, 0, 0, 100);
    const std::string bytes = gfx::test::pngBytes(10, 35, pixels);
    std::string error;
    const ImageTexels texels = decodeImage(bytes.data(), bytes.size(), 5, 23, &error);
    ASSERT_EQ(texels.bgra.size(), 5u * 23 * 4) << error;
    for (std::size_t i = 0; i < texels.bgra.size(); i += 4) {
        EXPECT_NEAR(texels.bgra[i], 50, 2) << "blue: half of 100";
        EXPECT_NEAR(texels.bgra[i + 2], 100, 2) << "red: half of 200";
    }
}

TEST_F(ImageTextureTest, RefusesBytesThatAreNotAnImage)
{
    std::string error;
    const std::string junk = "definitely not a PNG";
    EXPECT_EQ(createTextureFromImage(*device_, junk.data(), junk.size(), 4, 4, &error), nullptr);
    EXPECT_NE(error.find("cannot decode"), std::string::npos) << error;
    EXPECT_EQ(createTextureFromImage(*device_, nullptr, 0, 4, 4, &error), nullptr);
}

} // namespace
} // namespace orb::fx
