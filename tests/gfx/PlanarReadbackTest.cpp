#include "platform/gfx/PlanarReadback.h"

#include "GfxTestSupport.h"

namespace orb::gfx::test {
namespace {

// A frame whose top half is red and bottom half white, in a framebuffer of its own, row 0 at the
// top as the device draws.
class PlanarReadbackTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        glCreateTextures(GL_TEXTURE_2D, 1, &frame_);
        glTextureStorage2D(frame_, 1, GL_RGBA8, Width, Height);
        const std::uint8_t red[4] = {255, 0, 0, 255}, white[4] = {255, 255, 255, 255};
        glClearTexSubImage(frame_, 0, 0, 0, 0, Width, Height / 2, 1, GL_RGBA, GL_UNSIGNED_BYTE, red);
        glClearTexSubImage(frame_, 0, 0, Height / 2, 0, Width, Height / 2, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                           white);
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
// The luma plane comes first, row 0 at the top, then the blue difference, then the red.
TEST_F(PlanarReadbackTest, GivesTheEncodersPlanesOfTheFrameTopFirst)
{
    PlanarReadback planes;
    const std::size_t index = planes.queue(framebuffer_, Width, Height);
    const std::uint8_t* bytes = planes.bytes(index);
    ASSERT_NE(bytes, nullptr);
    const std::size_t luma = Width * Height, quarter = luma / 4;
    const auto expectRows = [](const std::uint8_t* plane, int width, int rows, int value, const char* what) {
        for (int i = 0; i < width * rows; ++i)
            ASSERT_EQ(plane[i], value) << what << " at " << i;
    };
    expectRows(bytes, Width, Height / 2, 63, "luma, top");
    expectRows(bytes + luma / 2, Width, Height / 2, 235, "luma, bottom");
    expectRows(bytes + luma, Width / 2, Height / 4, 102, "blue difference, top");
    expectRows(bytes + luma + quarter / 2, Width / 2, Height / 4, 128, "blue difference, bottom");
    expectRows(bytes + luma + quarter, Width / 2, Height / 4, 240, "red difference, top");
    expectRows(bytes + luma + quarter + quarter / 2, Width / 2, Height / 4, 128, "red difference, bottom");
}

// The conversion leaves the device's GL state as it was: the device draws on as before.
TEST_F(PlanarReadbackTest, LeavesTheDevicesStateAsItWas)
{
    clear(Black);
    auto green = makeTexture(*device_, 1, 1, {Green});
    device_->setTexture(0, green.get());
    drawRectangle(*device_, 0, 0, 8, 8);
    PlanarReadback planes;
    ASSERT_NE(planes.bytes(planes.queue(framebuffer_, Width, Height)), nullptr);
    drawRectangle(*device_, 8, 8, 16, 16);
    EXPECT_EQ(pixel(4, 4), Green);
    EXPECT_EQ(pixel(12, 12), Green);
}

} // namespace
} // namespace orb::gfx::test
