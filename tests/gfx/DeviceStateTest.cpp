#include "GfxTestSupport.h"

namespace orb::gfx::test {
namespace {

TEST_F(DeviceTest, BlendsSourceAlphaOverTheTarget)
{
    auto halfGreen = makeTexture(*device_, 1, 1, {argb(128, 0, 255, 0)});
    clear(Red);
    device_->setTexture(0, halfGreen.get());
    device_->setRenderState(RenderState::AlphaBlendEnable, 1);
    device_->setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device_->setRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_TRUE(near(pixel(10, 10), argb(191, 127, 128, 0))) << "alpha blends with the same factors";
}

TEST_F(DeviceTest, BlendFactorAddsAndDarkensAsTheLoadingFadeUsesIt)
{
    device_->setRenderState(RenderState::AlphaBlendEnable, 1);

    clear(argb(255, 10, 20, 30));
    device_->setRenderState(RenderState::BlendFactor, 0x00404040);
    device_->setRenderState(RenderState::SrcBlend, Blend::BlendFactor);
    device_->setRenderState(RenderState::DestBlend, Blend::One);
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_TRUE(near(pixel(5, 5), argb(255, 74, 84, 94)));

    device_->setRenderState(RenderState::SrcBlend, Blend::InvBlendFactor);
    device_->setRenderState(RenderState::DestBlend, Blend::Zero);
    for (const auto& [factor, level] :
         {std::pair{0x000000u, 255}, std::pair{0xC0C0C0u, 63}, std::pair{0xFFFFFFu, 0}}) {
        device_->setRenderState(RenderState::BlendFactor, factor);
        drawRectangle(*device_, 0, 0, Width, Height);
        EXPECT_TRUE(near(pixel(5, 5), argb(255, level, level, level))) << std::hex << factor;
    }
    EXPECT_EQ(device_->renderState(RenderState::BlendFactor), 0xFFFFFFu);
}

// Draws change pixels only inside the scissor rectangle while the test is on; a clear, a copy and
// a draw after the test is off reach every pixel, and binding render target 0 makes the
// rectangle the whole target again.
TEST_F(DeviceTest, TheScissorTestKeepsDrawsInsideItsRectangleAndNothingElse)
{
    auto white = makeTexture(*device_, 1, 1, {White});
    device_->setTexture(0, white.get());
    clear(Black);
    device_->setScissorRect({10, 5, 20, 30});
    device_->setRenderState(RenderState::ScissorTestEnable, 1);
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(pixel(10, 5), White);
    EXPECT_EQ(pixel(19, 29), White);
    for (const auto& [x, y] : {std::pair{9, 5}, std::pair{20, 29}, std::pair{10, 4}, std::pair{19, 30}})
        EXPECT_EQ(pixel(x, y), Black) << x << ", " << y;

    clear(Red);
    EXPECT_EQ(pixel(0, 0), Red) << "a clear ignores the rectangle";
    auto copy = device_->createTexture(Width, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    ASSERT_TRUE(device_->stretchRect(device_->backBuffer(), copy->surfaceLevel(0)));
    EXPECT_EQ(device_->readPixels(copy->surfaceLevel(0))[0], Red) << "and so does a copy";

    device_->setRenderTarget(0, device_->backBuffer());
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(pixel(0, 0), White) << "the rectangle is the whole target again";
    device_->setScissorRect({0, 0, 1, 1});
    device_->setRenderState(RenderState::ScissorTestEnable, 0);
    clear(Red);
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(pixel(Width - 1, Height - 1), White) << "the test off";
}

// The texture is red then green; sixteen pixels sample u from -1.875 to 1.875 in steps of 0.25.
std::string addressed(Device& device, std::uint32_t mode)
{
    auto texture = makeTexture(device, 2, 1, {Red, Green});
    device.setTexture(0, texture.get());
    device.setSamplerState(0, SamplerState::AddressU, mode);
    device.clear(ClearFlag::Target, 0, 1.0f, 0);
    drawRectangle(device, 0, 0, 16, 1, 0, -2, 0, 2, 1);
    std::string row;
    const std::vector<Color> pixels = device.readPixels(device.backBuffer());
    for (int x = 0; x < 16; ++x)
        row += pixels[x] == Red ? 'R' : pixels[x] == Green ? 'G' : '?';
    return row;
}

TEST(DeviceAddressing, WrapsMirrorsAndClampsTextureCoordinates)
{
    auto device = makeDevice(16, 1);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(addressed(*device, TextureAddress::Wrap), "RRGGRRGGRRGGRRGG");
    EXPECT_EQ(addressed(*device, TextureAddress::Mirror), "RRGGGGRRRRGGGGRR");
    EXPECT_EQ(addressed(*device, TextureAddress::Clamp), "RRRRRRRRRRGGGGGG");
}

TEST_F(DeviceTest, AStateBlockRestoresEveryStateItCapturedAndLeavesTargetsAlone)
{
    auto first = makeTexture(*device_, 1, 1, {White});
    auto second = makeTexture(*device_, 1, 1, {Green});
    device_->setTexture(0, first.get());
    device_->setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
    device_->setSamplerState(3, SamplerState::AddressV, TextureAddress::Mirror);
    device_->setTransform(TransformType::View, translation(1, 2, 3));
    device_->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    const std::unique_ptr<StateBlock> block = device_->createStateBlock();

    auto target = device_->createTexture(Width, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    device_->setRenderTarget(0, target->surfaceLevel(0));
    device_->setDepthStencilSurface(nullptr);
    device_->setTexture(0, second.get());
    device_->setTexture(5, second.get());
    device_->setRenderState(RenderState::SrcBlend, Blend::One);
    device_->setRenderState(RenderState::AlphaBlendEnable, 1);
    device_->setRenderState(RenderState::ZEnable, 0);
    device_->setRenderState(RenderState::Lighting, 0);
    device_->setSamplerState(3, SamplerState::AddressV, TextureAddress::Clamp);
    device_->setSamplerState(0, SamplerState::MinFilter, TextureFilter::Linear);
    device_->setTransform(TransformType::View, Matrix::identity());
    device_->setTransform(TransformType::World, translation(4, 5, 6));
    device_->setFvf(Fvf::Xyz);
    block->apply();

    EXPECT_EQ(device_->texture(0), first.get());
    EXPECT_EQ(device_->texture(5), nullptr);
    EXPECT_EQ(device_->renderState(RenderState::SrcBlend), Blend::SrcAlpha);
    EXPECT_EQ(device_->renderState(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(device_->renderState(RenderState::ZEnable), 1u);
    EXPECT_EQ(device_->renderState(RenderState::Lighting), 1u);
    EXPECT_EQ(device_->samplerState(3, SamplerState::AddressV), TextureAddress::Mirror);
    EXPECT_EQ(device_->samplerState(0, SamplerState::MinFilter), TextureFilter::Point);
    EXPECT_EQ(device_->transform(TransformType::View).m[3][2], 3.0f);
    EXPECT_EQ(device_->transform(TransformType::World).m[3][0], 0.0f);
    EXPECT_EQ(device_->fvf(), Fvf::XyzRhw | Fvf::Tex1);
    EXPECT_EQ(device_->renderTarget(0), target->surfaceLevel(0));
    EXPECT_EQ(device_->depthStencilSurface(), nullptr);

    // And the GL side follows: an unblended white draw over green.
    device_->clear(ClearFlag::Target, Green, 1.0f, 0);
    drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(device_->readPixels(target->surfaceLevel(0))[0], White);
}

} // namespace
} // namespace orb::gfx::test
