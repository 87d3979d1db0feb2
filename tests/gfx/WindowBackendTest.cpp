// Runs under Xvfb (see tests/CMakeLists.txt): the window backend shows exactly the frame the
// off-screen backend renders, in a window of the asked size, class and title.

#include "GfxTestSupport.h"
#include "XWindowProbe.h"

#include <SDL.h>

namespace orb::gfx::test {
namespace {

constexpr int Width = 1280;
constexpr int Height = 720;

// A frame that exercises textures, filtering, blending, depth and the perspective path.
void drawReferenceFrame(Device& device)
{
    std::vector<Color> gradient;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            gradient.push_back(argb(255 - 2 * y, 4 * x, 4 * y, 255 - 4 * x));
    auto texture = makeTexture(device, 64, 64, gradient);
    device.clear(ClearFlag::Target | ClearFlag::ZBuffer, argb(255, 20, 30, 40), 1.0f, 0);
    device.setTexture(0, texture.get());
    device.setSamplerState(0, SamplerState::MagFilter, TextureFilter::Linear);
    device.setSamplerState(0, SamplerState::MinFilter, TextureFilter::Linear);
    drawRectangle(device, 100, 50, 700, 650, 0.5f);

    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device.setRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    device.setRenderState(RenderState::CullMode, Cull::None);
    device.setTransform(TransformType::Projection, perspectiveFovLH(1.5707964f, 16.0f / 9.0f, 0.1f, 1000.0f));
    device.setTransform(TransformType::World, translation(0.3f, 0.1f, 1.5f));
    const ColoredVertex quad[4] = {{-1, 1, 0, argb(255, 255, 200, 100), 0, 0},
                                   {1, 1, 0.5f, argb(255, 100, 255, 200), 3, 0},
                                   {-1, -1, 0, argb(255, 200, 100, 255), 0, 3},
                                   {1, -1, 0.5f, argb(255, 255, 255, 255), 3, 3}};
    device.setFvf(Fvf::Xyz | Fvf::Diffuse | Fvf::Tex1);
    device.drawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof quad[0]);
    device.present();
}

std::vector<std::uint8_t> renderOffscreen()
{
    std::vector<std::uint8_t> pixels;
    auto device = makeDevice(Width, Height, 0, [&pixels](const FramePixels& frame) {
        pixels.assign(frame.pixels(), frame.pixels() + frame.width * frame.height * 4);
    });
    if (device)
        drawReferenceFrame(*device);
    return pixels;
}

class WindowBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!probe_.connected())
            GTEST_SKIP() << "no X display; run under xvfb-run";
    }

    std::unique_ptr<Device> openWindow(bool fullscreen, int width = Width, int height = Height)
    {
        std::string error;
        auto device = Device::create(
            createWindowBackend({.width = width, .height = height, .fullscreen = fullscreen}, &error),
            {width, height, 0}, &error);
        EXPECT_NE(device, nullptr) << error;
        SDL_PumpEvents();
        return device;
    }

    XWindowProbe probe_;
};

TEST_F(WindowBackendTest, ShowsTheSameFrameAsTheOffscreenBackendPixelForPixel)
{
    std::vector<std::uint8_t> expected = renderOffscreen();
    ASSERT_EQ(expected.size(), std::size_t{Width} * Height * 4);
    for (std::size_t alpha = 3; alpha < expected.size(); alpha += 4)
        expected[alpha] = 255; // the window has no alpha channel

    auto device = openWindow(false);
    ASSERT_NE(device, nullptr);
    drawReferenceFrame(*device);
    const std::vector<std::uint8_t> shown = probe_.pixels(device->backend().windowHandle(), Width, Height);
    ASSERT_EQ(shown.size(), expected.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != expected[i] ? 1 : 0;
    EXPECT_EQ(differing, 0u);
}

TEST_F(WindowBackendTest, AnOverlayDrawsOverTheWindowOnlyAndTheDeviceDrawsOnIntoItsOwnTarget)
{
    std::vector<std::uint8_t> expected = renderOffscreen();
    ASSERT_EQ(expected.size(), std::size_t{Width} * Height * 4);
    auto device = openWindow(false);
    ASSERT_NE(device, nullptr);
    // A green square in the window's bottom left corner, 100 pixels wide.
    ASSERT_TRUE(device->backend().setOverlay([] {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 100, 100);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }));
    device->clear(ClearFlag::Target, argb(255, 255, 0, 0), 1.0f, 0);
    device->present();
    drawReferenceFrame(*device); // drawn where the device left its target bound

    const std::vector<Color> backBuffer = device->readPixels(device->backBuffer());
    const std::vector<std::uint8_t> shown = probe_.pixels(device->backend().windowHandle(), Width, Height);
    std::size_t wrongInWindow = 0, wrongInBackBuffer = 0;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const std::size_t at = (std::size_t(y) * Width + x) * 4;
            const bool square = x < 100 && y >= Height - 100;
            const std::uint8_t* pixel = &shown[at];
            const bool green = pixel[0] == 0 && pixel[1] == 255 && pixel[2] == 0;
            wrongInWindow += square ? !green : !std::equal(pixel, pixel + 3, &expected[at]);
            const Color drawn = backBuffer[std::size_t(y) * Width + x];
            wrongInBackBuffer +=
                (drawn & 0xFFFFFF) != argb(0, expected[at + 2], expected[at + 1], expected[at]);
        }
    }
    EXPECT_EQ(wrongInWindow, 0u);
    EXPECT_EQ(wrongInBackBuffer, 0u) << "the overlay never reaches the frame";
}

TEST_F(WindowBackendTest, OpensAtTheTopLeftWithTheClientSizeClassAndTitle)
{
    auto device = openWindow(false);
    ASSERT_NE(device, nullptr);
    const WindowFacts facts = probe_.facts(device->backend().windowHandle());
    EXPECT_EQ(facts.width, Width);
    EXPECT_EQ(facts.height, Height);
    EXPECT_EQ(facts.x, 0);
    EXPECT_EQ(facts.y, 0);
    EXPECT_EQ(facts.windowClass, "OrbEngineClass");
    EXPECT_EQ(facts.title, "gfx_window_tests");
}

TEST_F(WindowBackendTest, FullScreenCoversTheScreenAndHidesTheCursor)
{
    auto device = openWindow(true);
    ASSERT_NE(device, nullptr);
    const WindowFacts facts = probe_.facts(device->backend().windowHandle());
    EXPECT_EQ(facts.width, facts.screenWidth);
    EXPECT_EQ(facts.height, facts.screenHeight);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

// A 640 x 480 frame in a window made 1280 x 720 (as full screen makes it): doubled to 960 x 720
// and centred between black bars.
TEST_F(WindowBackendTest, AFrameIsScaledToFitAWindowOfAnotherSize)
{
    auto device = openWindow(false, 640, 480);
    ASSERT_NE(device, nullptr);
    const std::uintptr_t window = device->backend().windowHandle();
    probe_.resize(window, Width, Height);
    int shownWidth = 0;
    for (int wait = 0; wait < 100 && shownWidth != Width; ++wait) {
        SDL_Delay(10);
        SDL_PumpEvents();
        SDL_GetWindowSize(SDL_GL_GetCurrentWindow(), &shownWidth, nullptr);
    }
    ASSERT_EQ(shownWidth, Width);
    const Color red = argb(255, 200, 40, 40);
    // The driver takes the window's new size at a swap: the first frame after it may be cut.
    for (int frame = 0; frame < 2; ++frame) {
        device->clear(ClearFlag::Target, red, 1.0f, 0);
        device->present();
    }
    const std::vector<std::uint8_t> shown = probe_.pixels(window, Width, Height);
    const auto at = [&](int x, int y) {
        const std::uint8_t* pixel = &shown[(std::size_t(y) * Width + x) * 4];
        return argb(255, pixel[2], pixel[1], pixel[0]);
    };
    EXPECT_EQ(at(159, 360), argb(255, 0, 0, 0));
    EXPECT_EQ(at(160, 0), red);
    EXPECT_EQ(at(1119, 719), red);
    EXPECT_EQ(at(1120, 360), argb(255, 0, 0, 0));
}

TEST_F(WindowBackendTest, ToFullScreenAndBackTheCursorHidesAndReturns)
{
    auto device = openWindow(false);
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->backend().setFullscreen(true));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_TRUE(device->backend().setFullscreen(false));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

} // namespace
} // namespace orb::gfx::test
