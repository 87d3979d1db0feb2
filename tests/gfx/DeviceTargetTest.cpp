#include "GfxTestSupport.h"

#include <algorithm>
#include <cstring>

namespace orb::gfx::test {
namespace {

TEST_F(DeviceTest, RendersIntoATextureWhoseRowZeroIsTheTop)
{
    auto target = device_->createTexture(8, 8, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    ASSERT_NE(target, nullptr);
    device_->setRenderTarget(0, target->surfaceLevel(0));
    device_->setDepthStencilSurface(nullptr);
    device_->clear(ClearFlag::Target, Blue, 1.0f, 0);
    auto red = makeTexture(*device_, 1, 1, {Red});
    device_->setTexture(0, red.get());
    drawRectangle(*device_, 0, 0, 8, 4);
    const std::vector<Color> texels = device_->readPixels(target->surfaceLevel(0));
    EXPECT_EQ(texels[0], Red);
    EXPECT_EQ(texels[8 * 7], Blue);

    device_->setRenderTarget(0, device_->backBuffer());
    device_->setTexture(0, target.get());
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(pixel(10, 2), Red);
    EXPECT_EQ(pixel(10, Height - 3), Blue);
}

TEST(DeviceMultisampling, StretchRectResolvesAFourSampleBackBuffer)
{
    auto device = makeDevice(64, 48, 4);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->backBuffer()->samples(), 4);
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer, Black, 1.0f, 0);
    const PretransformedVertex diagonal[3] = {
        {-0.5f, -0.5f, 0, 1, 0, 0}, {63.5f, -0.5f, 0, 1, 0, 0}, {-0.5f, 47.5f, 0, 1, 0, 0}};
    device->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    device->drawPrimitiveUP(PrimitiveType::TriangleList, 1, diagonal, sizeof diagonal[0]);

    auto copy = device->createTexture(64, 48, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    ASSERT_TRUE(device->stretchRect(device->backBuffer(), copy->surfaceLevel(0)));
    const std::vector<Color> pixels = device->readPixels(copy->surfaceLevel(0));
    EXPECT_EQ(pixels[0], White);
    EXPECT_EQ(pixels[64 * 48 - 1], Black);
    const auto partlyCovered = std::count_if(pixels.begin(), pixels.end(),
                                             [](Color c) { return (c & 0xFF) > 0 && (c & 0xFF) < 255; });
    EXPECT_GT(partlyCovered, 20) << "the diagonal edge is anti-aliased";
    EXPECT_EQ(device->readPixels(device->backBuffer()), pixels);
}

// The post-processing's last pass draws a multisampled frame into the single-sampled stand-in,
// which then is the back buffer's picture until the back buffer is cleared or drawn into.
TEST(DeviceMultisampling, AFrameInTheStandInIsTheBackBuffersAndTakenBackBeforeItIsDrawnOver)
{
    std::vector<std::uint8_t> presented;
    auto device = makeDevice(64, 48, 4, [&](const FramePixels& frame) {
        presented.assign(frame.pixels(), frame.pixels() + 64 * 48 * 4);
    });
    ASSERT_NE(device, nullptr);
    Surface* standIn = device->resolvedBackBuffer();
    ASSERT_NE(standIn, device->backBuffer());
    EXPECT_EQ(standIn->samples(), 1);
    const auto everywhere = [&device](Color colour) {
        const std::vector<Color> pixels = device->readPixels(device->backBuffer());
        return std::count(pixels.begin(), pixels.end(), colour) == 64 * 48;
    };
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer, Black, 1.0f, 0);

    device->setRenderTarget(0, standIn);
    device->setDepthStencilSurface(nullptr);
    device->clear(ClearFlag::Target, Red, 1.0f, 0);
    EXPECT_TRUE(everywhere(Red));
    device->present();
    ASSERT_EQ(presented.size(), 64u * 48u * 4u);
    EXPECT_EQ(presented[2], 255) << "the stand-in is shown";

    device->setRenderTarget(0, device->backBuffer());
    device->setDepthStencilSurface(device->autoDepthStencil());
    auto blue = makeTexture(*device, 1, 1, {Blue});
    device->setTexture(0, blue.get());
    drawRectangle(*device, 0, 0, 8, 8);
    const std::vector<Color> drawnOver = device->readPixels(device->backBuffer());
    EXPECT_EQ(drawnOver[0], Blue);
    EXPECT_EQ(drawnOver[64 * 48 - 1], Red) << "the frame was taken back under the draw";

    device->setRenderTarget(0, standIn);
    device->clear(ClearFlag::Target, Green, 1.0f, 0);
    device->setRenderTarget(0, device->backBuffer());
    device->clear(ClearFlag::Target, Black, 1.0f, 0);
    EXPECT_TRUE(everywhere(Black));
    // A clear is kept until something draws over it or shows it: it is there under the draw.
    device->clear(ClearFlag::Target, Green, 1.0f, 0);
    drawRectangle(*device, 0, 0, 8, 8);
    EXPECT_EQ(device->readPixels(device->backBuffer())[64 * 48 - 1], Green);
    // And under a draw into the stand-in.
    device->clear(ClearFlag::Target, Red, 1.0f, 0);
    device->setRenderTarget(0, standIn);
    device->setDepthStencilSurface(nullptr);
    drawRectangle(*device, 0, 0, 8, 8);
    EXPECT_EQ(device->readPixels(device->backBuffer())[64 * 48 - 1], Red);
}

TEST_F(DeviceTest, StretchRectScalesWithLinearFiltering)
{
    clear(Black);
    for (int x = 0; x < Width; x += 2)
        drawRectangle(*device_, static_cast<float>(x), 0, static_cast<float>(x + 1), Height);
    auto half =
        device_->createTexture(Width / 2, Height / 2, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    ASSERT_TRUE(device_->stretchRect(device_->backBuffer(), half->surfaceLevel(0)));
    EXPECT_TRUE(near(device_->readPixels(half->surfaceLevel(0))[5], argb(255, 128, 128, 128)));
    EXPECT_FALSE(device_->stretchRect(nullptr, half->surfaceLevel(0)));
}

// The flip the post-processing makes instead of a copy: afterwards every pointer to either surface
// (a bound stage, a target bound before, the back buffer presented) sees the other's texels.
TEST_F(DeviceTest, ExchangeSwapsTheTexelsOfTheBackBufferAndATargetBehindTheirPointers)
{
    auto screen = device_->createTexture(Width, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    device_->setRenderTarget(0, screen->surfaceLevel(0));
    device_->clear(ClearFlag::Target, Blue, 1.0f, 0);
    device_->setRenderTarget(0, device_->backBuffer());
    clear(Red);
    device_->setTexture(0, screen.get());
    drawRectangle(*device_, 0, Height / 2, Width, Height); // the frame: red above, blue below

    ASSERT_TRUE(device_->exchange(device_->backBuffer(), screen->surfaceLevel(0)));
    EXPECT_EQ(device_->readPixels(screen->surfaceLevel(0))[0], Red);
    EXPECT_EQ(pixel(3, 3), Blue);
    // The stage bound before shows the frame now in the texture; the target bound before is drawn.
    drawRectangle(*device_, 0, 0, Width, Height / 2);
    EXPECT_EQ(pixel(3, 3), Red);
    EXPECT_EQ(pixel(3, Height - 3), Blue);
    EXPECT_EQ(device_->readPixels(screen->surfaceLevel(0))[0], Red) << "the texture was not drawn into";

    auto small = device_->createTexture(Width / 2, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    auto levels = device_->createTexture(Width, Height, 2, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    EXPECT_FALSE(device_->exchange(device_->backBuffer(), small->surfaceLevel(0)));
    EXPECT_FALSE(device_->exchange(device_->backBuffer(), levels->surfaceLevel(0)));
    EXPECT_FALSE(device_->exchange(device_->backBuffer(), device_->autoDepthStencil()));
    EXPECT_FALSE(device_->exchange(device_->backBuffer(), nullptr));
}

TEST_F(DeviceTest, SamplesAVolumeTextureThroughAProgramOfItsOwn)
{
    // 4 x 4 x 4 L16 volume: voxel (x, y, z) = 4096 * (x + 4y) + 16384 * z, clamped.
    std::vector<std::uint16_t> voxels;
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                voxels.push_back(static_cast<std::uint16_t>(std::min(65535, 4096 * (x + 4 * y) + 256 * z)));
    std::string error;
    auto volume = device_->createVolumeTexture(4, 4, 4, 1, Format::L16, &error);
    ASSERT_NE(volume, nullptr) << error;
    ASSERT_TRUE(volume->update(0, voxels.data(), 8, 32));

    struct SliceProgram final : ProgramSource
    {
        explicit SliceProgram(Device& device) : device(device) {}
        Device& device;
        std::unique_ptr<ShaderProgram> program = device.linkProgram(
            Device::fixedVertexStage(Fvf::XyzRhw | Fvf::Tex1),
            "#version 450 core\nin vec2 orb_vTexCoord;\nlayout(binding = 0) uniform sampler3D volume;\n"
            "out vec4 color;\nvoid main() { color = texture(volume, vec3(orb_vTexCoord, 0.625)); }\n",
            nullptr);
        ShaderProgram* programFor(std::uint32_t) override { return program.get(); }
    } slice(*device_);
    ASSERT_NE(slice.program, nullptr);

    device_->setTexture(0, volume.get());
    device_->setProgramSource(&slice);
    drawRectangle(*device_, 0, 0, Width, Height);
    device_->setProgramSource(nullptr);
    // Slice 2 at pixel (x, y) of the 16 x 12 blocks: (4096 (x + 4y) + 512) / 65535.
    const int level = ((4096 * (1 + 4 * 2) + 512) * 255 + 32767) / 65535;
    EXPECT_TRUE(near(pixel(16 + 8, 24 + 6), argb(255, level, level, level)));

    drawRectangle(*device_, 0, 0, Width, Height); // the fixed stages read slice 0
    const int sliceZero = (4096 * (1 + 4 * 2) * 255 + 32767) / 65535;
    EXPECT_TRUE(near(pixel(16 + 8, 24 + 6), argb(255, sliceZero, sliceZero, sliceZero)));
}

TEST_F(DeviceTest, DestroyingABoundTextureUnbindsItEverywhere)
{
    auto target = device_->createTexture(Width, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    auto depth = device_->createTexture(Width, Height, 1, Usage::DepthStencil, Format::D24S8, nullptr);
    device_->setTexture(0, target.get());
    const std::unique_ptr<StateBlock> block = device_->createStateBlock();
    device_->setRenderTarget(0, target->surfaceLevel(0));
    device_->setRenderTarget(2, target->surfaceLevel(0));
    device_->setDepthStencilSurface(depth->surfaceLevel(0));
    device_->clear(ClearFlag::Target | ClearFlag::ZBuffer, Red, 1.0f, 0);

    target.reset();
    depth.reset();
    block->apply();
    EXPECT_EQ(device_->texture(0), nullptr);
    EXPECT_EQ(device_->renderTarget(0), device_->backBuffer());
    EXPECT_EQ(device_->renderTarget(2), nullptr);
    EXPECT_EQ(device_->depthStencilSurface(), nullptr);
    clear(Blue);
    drawRectangle(*device_, 0, 0, Width, Height);
    device_->present();
    EXPECT_EQ(pixel(0, 0), White);
}

TEST_F(DeviceTest, TexturesOutliveTheirDeviceHarmlessly)
{
    auto texture = device_->createTexture(4, 4, 0, 0, Format::A8R8G8B8, nullptr);
    const std::unique_ptr<StateBlock> block = device_->createStateBlock();
    ASSERT_EQ(texture->levels(), 3u);
    device_.reset();
    const Color texels[16] = {};
    EXPECT_FALSE(texture->update(0, texels, 16));
    block->apply();
}

TEST_F(DeviceTest, RefusesTexturesItCannotMakeWithAReason)
{
    std::string error;
    EXPECT_EQ(device_->createTexture(4, 4, 1, 0, static_cast<Format>(999), &error), nullptr);
    EXPECT_EQ(error, "unsupported format 999");
    EXPECT_EQ(device_->createTexture(0, 4, 1, 0, Format::A8R8G8B8, &error), nullptr);
    EXPECT_EQ(error, "invalid size 0 x 4");
    EXPECT_EQ(device_->createTexture(4, 4, 1, Usage::RenderTarget, Format::D24S8, &error), nullptr);
    EXPECT_EQ(device_->createTexture(4, 4, 1, Usage::DepthStencil, Format::A8R8G8B8, &error), nullptr);
    EXPECT_EQ(device_->createTexture(4, 4, 4, 0, Format::A8R8G8B8, &error), nullptr);
    EXPECT_EQ(error, "too many levels (4)");
    EXPECT_EQ(device_->createVolumeTexture(4, 4, 4, 1, Format::D16, &error), nullptr);
    EXPECT_FALSE(device_->setRenderTarget(0, nullptr));
    EXPECT_FALSE(device_->setRenderTarget(4, device_->backBuffer()));
}

TEST(DeviceCreation, ChecksMultisampleTypesAndRefusesOnesTheDriverLacks)
{
    std::string error;
    auto backend = createOffscreenBackend(&error);
    ASSERT_NE(backend, nullptr) << error;
    EXPECT_TRUE(checkMultiSampleType(Format::A8R8G8B8, 0));
    EXPECT_TRUE(checkMultiSampleType(Format::A8R8G8B8, 4));
    EXPECT_TRUE(checkMultiSampleType(Format::D24S8, 4));
    EXPECT_TRUE(checkMultiSampleType(Format::A8R8G8B8, 1));
    EXPECT_FALSE(checkMultiSampleType(Format::A8R8G8B8, 16));
    EXPECT_FALSE(checkMultiSampleType(Format::A8R8G8B8, 17));
    EXPECT_EQ(Device::create(std::move(backend), {64, 48, 16}, &error), nullptr);
    EXPECT_EQ(error, "multisample type 16 is not available");
}

TEST(DeviceCreation, PresentHandsTheFrameTopRowFirstToTheReader)
{
    std::vector<std::uint8_t> received;
    auto device = makeDevice(4, 2, 0, [&received](const FramePixels& frame) {
        received.assign(frame.pixels(), frame.pixels() + frame.width * frame.height * 4);
    });
    ASSERT_NE(device, nullptr);
    device->clear(ClearFlag::Target, Blue, 1.0f, 0);
    auto red = makeTexture(*device, 1, 1, {argb(255, 255, 0, 0)});
    device->setTexture(0, red.get());
    drawRectangle(*device, 0, 0, 4, 1);
    device->present();
    ASSERT_EQ(received.size(), 32u);
    EXPECT_EQ(std::vector<std::uint8_t>(received.begin(), received.begin() + 4),
              (std::vector<std::uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(received.begin() + 16, received.begin() + 20),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
}

} // namespace
} // namespace orb::gfx::test
