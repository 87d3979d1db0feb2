#include "platform/gfx/PlanarReadback.h"

#include "GfxTestSupport.h"

#include <vector>

namespace orb::gfx::test {
namespace {

// A frame of 70 x 48, whose rows take padding in every plane: red in its top left (the first 34
// columns of the first 24 rows), white elsewhere; in a framebuffer of its own, row 0 at the top as
// the device draws.
class PlanarReadbackTest : public DeviceTest
{
protected:
    static constexpr int FrameWidth = 70, FrameHeight = 48, RedWidth = 34, RedHeight = 24;

    void SetUp() override
    {
        DeviceTest::SetUp();
        glCreateTextures(GL_TEXTURE_2D, 1, &frame_);
        glTextureStorage2D(frame_, 1, GL_RGBA8, FrameWidth, FrameHeight);
        const std::uint8_t red[4] = {255, 0, 0, 255}, white[4] = {255, 255, 255, 255};
        glClearTexImage(frame_, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        glClearTexSubImage(frame_, 0, 0, 0, 0, RedWidth, RedHeight, 1, GL_RGBA, GL_UNSIGNED_BYTE, red);
        glCreateFramebuffers(1, &framebuffer_);
        glNamedFramebufferTexture(framebuffer_, GL_COLOR_ATTACHMENT0, frame_, 0);
    }

    void TearDown() override
    {
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &frame_);
    }

    GLuint frame_ = 0, framebuffer_ = 0;
};

// BT.709 in limited range: red is Y 63, U 102, V 240; white is Y 235 with both differences at 128.
// Each plane's rows top first, at the row length PlanarPlanes gives.
TEST_F(PlanarReadbackTest, GivesTheEncodersPlanesOfTheFrameTopFirst)
{
    PlanarReadback readback;
    const std::uint8_t* bytes = readback.bytes(readback.queue(framebuffer_, FrameWidth, FrameHeight));
    ASSERT_NE(bytes, nullptr);
    const PlanarPlanes planes(FrameWidth, FrameHeight);
    // `scale` 1 for the luma, 2 for the differences, whose samples stand for 2 x 2 pixels.
    const auto expectPlane = [](const std::uint8_t* plane, int row, int scale, int onRed, int onWhite,
                                const char* what) {
        for (int y = 0; y < FrameHeight / scale; ++y)
            for (int x = 0; x < FrameWidth / scale; ++x) {
                const bool red = x * scale < RedWidth && y * scale < RedHeight;
                ASSERT_EQ(plane[y * row + x], red ? onRed : onWhite) << what << " at " << x << ", " << y;
            }
    };
    expectPlane(bytes, planes.lumaRow, 1, 63, 235, "luma");
    expectPlane(bytes + planes.blueAt, planes.differenceRow, 2, 102, 128, "blue difference");
    expectPlane(bytes + planes.redAt, planes.differenceRow, 2, 240, 128, "red difference");
}

// Every pixel's luma at its own place, and each 2 x 2 block's differences the mean of its four
// pixels', with red and white scattered so that no two neighbours in a row or a column follow the
// same pattern and blocks hold none to four red pixels.
TEST_F(PlanarReadbackTest, PutsEveryPixelsLumaInItsPlaceAndAveragesEachBlocksColour)
{
    const auto isRed = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; };
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < FrameHeight; ++y)
        for (int x = 0; x < FrameWidth; ++x)
            pixels.insert(pixels.end(), {255, isRed(x, y) ? std::uint8_t{0} : std::uint8_t{255},
                                         isRed(x, y) ? std::uint8_t{0} : std::uint8_t{255}, 255});
    glTextureSubImage2D(frame_, 0, 0, 0, FrameWidth, FrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    PlanarReadback readback;
    const std::uint8_t* bytes = readback.bytes(readback.queue(framebuffer_, FrameWidth, FrameHeight));
    ASSERT_NE(bytes, nullptr);
    const PlanarPlanes planes(FrameWidth, FrameHeight);
    for (int y = 0; y < FrameHeight; ++y)
        for (int x = 0; x < FrameWidth; ++x)
            ASSERT_EQ(bytes[y * planes.lumaRow + x], isRed(x, y) ? 63 : 235) << "at " << x << ", " << y;
    std::vector<int> reds(5);
    for (int y = 0; y < FrameHeight / 2; ++y)
        for (int x = 0; x < FrameWidth / 2; ++x) {
            const int red = isRed(2 * x, 2 * y) + isRed(2 * x + 1, 2 * y) + isRed(2 * x, 2 * y + 1) +
                            isRed(2 * x + 1, 2 * y + 1);
            ++reds[red];
            const std::size_t at = static_cast<std::size_t>(y * planes.differenceRow + x);
            // Red's differences are 102 and 240, white's 128 and 128.
            EXPECT_NEAR(bytes[planes.blueAt + at], 128 - 26 * red / 4.0, 1)
                << red << " red at " << x << ", " << y;
            EXPECT_NEAR(bytes[planes.redAt + at], 128 + 112 * red / 4.0, 1)
                << red << " red at " << x << ", " << y;
        }
    EXPECT_GT(reds[0] * reds[1] * reds[2], 0) << "blocks of none, one and two red pixels";
}

// A video takes each picture's planes one picture late, after the next has been queued.
TEST_F(PlanarReadbackTest, APictureStaysReadableWhileTheNextIsQueued)
{
    PlanarReadback readback;
    const std::size_t first = readback.queue(framebuffer_, FrameWidth, FrameHeight);
    const std::uint8_t white[4] = {255, 255, 255, 255};
    glClearTexImage(frame_, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    const std::size_t second = readback.queue(framebuffer_, FrameWidth, FrameHeight);
    const std::uint8_t* firstBytes = readback.bytes(first);
    ASSERT_NE(firstBytes, nullptr);
    EXPECT_EQ(firstBytes[0], 63) << "the first picture's red";
    const std::uint8_t* secondBytes = readback.bytes(second);
    ASSERT_NE(secondBytes, nullptr);
    EXPECT_EQ(secondBytes[0], 235) << "the second picture's white";
}

// The conversion leaves the device's GL state as it was: the device draws on as before.
TEST_F(PlanarReadbackTest, LeavesTheDevicesStateAsItWas)
{
    clear(Black);
    auto green = makeTexture(*device_, 1, 1, {Green});
    device_->setTexture(0, green.get());
    drawRectangle(*device_, 0, 0, 8, 8);
    PlanarReadback readback;
    ASSERT_NE(readback.bytes(readback.queue(framebuffer_, FrameWidth, FrameHeight)), nullptr);
    drawRectangle(*device_, 8, 8, 16, 16);
    EXPECT_EQ(pixel(4, 4), Green);
    EXPECT_EQ(pixel(12, 12), Green);
}

} // namespace
} // namespace orb::gfx::test
