#include "GfxTestSupport.h"

namespace orb::gfx::test {
namespace {

TEST_F(DeviceTest, ClearsColourAndDepthWhateverTheDepthWriteState)
{
    device_->setRenderState(RenderState::ZWriteEnable, 0);
    device_->clear(ClearFlag::Target | ClearFlag::ZBuffer | ClearFlag::Stencil, Red, 0.5f, 0);
    EXPECT_EQ(pixel(0, 0), Red);
    EXPECT_EQ(pixel(Width - 1, Height - 1), Red);

    // Less-or-equal: farther than the cleared depth is hidden, nearer is drawn.
    drawRectangle(*device_, 0, 0, 32, Height, 0.6f);
    drawRectangle(*device_, 32, 0, Width, Height, 0.4f);
    EXPECT_EQ(pixel(10, 10), Red);
    EXPECT_EQ(pixel(40, 10), White) << "an empty stage samples as opaque white";
}

TEST_F(DeviceTest, TheFullTargetTriangleCoversEveryPixelAndSamplesTexelCentres)
{
    // Texel (x, y) holds red 4x and green 4y; linear filtering returns those exact values only
    // at texel centres, so any half-pixel error shows as a colour between two texels.
    std::vector<Color> gradient;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            gradient.push_back(argb(255, 4 * x, 4 * y, 0));
    auto texture = makeTexture(*device_, Width, Height, gradient);
    device_->setTexture(0, texture.get());
    for (SamplerState state : {SamplerState::MagFilter, SamplerState::MinFilter})
        device_->setSamplerState(0, state, TextureFilter::Linear);
    clear(Blue);

    const float w = Width, h = Height;
    const PretransformedVertex triangle[3] = {
        {-0.5f, -0.5f, 0, 0, 0, 0}, {2 * w - 0.5f, -0.5f, 0, 0, 2, 0}, {-0.5f, 2 * h - 0.5f, 0, 0, 0, 2}};
    device_->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, triangle, sizeof triangle[0]);

    EXPECT_EQ(frame(), gradient);
}

TEST_F(DeviceTest, AQuadUnderAPerspectiveProjectionLandsWhereDirect3DPutsIt)
{
    // A unit square one unit ahead under a 90 degree field of view spans y = -0.5 to 0.5 in
    // clip space: rows 12 to 36 of 48; x spans +-0.375 (aspect 4:3): columns 20 to 44 of 64.
    auto texture = makeTexture(*device_, 2, 2, {Red, Green, Blue, White});
    device_->setTexture(0, texture.get());
    device_->setRenderState(RenderState::CullMode, Cull::None);
    device_->setTransform(TransformType::Projection,
                          perspectiveFovLH(1.5707964f, 4.0f / 3.0f, 0.1f, 1000.0f));
    device_->setTransform(TransformType::World, translation(0, 0, 1));
    clear(Black);
    const ColoredVertex quad[4] = {{-0.5f, 0.5f, 0, White, 0, 0},
                                   {0.5f, 0.5f, 0, White, 1, 0},
                                   {-0.5f, -0.5f, 0, White, 0, 1},
                                   {0.5f, -0.5f, 0, White, 1, 1}};
    device_->setFvf(Fvf::Xyz | Fvf::Diffuse | Fvf::Tex1);
    device_->drawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof quad[0]);

    EXPECT_EQ(pixel(20, 12), Red);
    EXPECT_EQ(pixel(43, 12), Green);
    EXPECT_EQ(pixel(20, 35), Blue);
    EXPECT_EQ(pixel(43, 35), White);
    for (const auto& [x, y] : {std::pair{19, 24}, std::pair{44, 24}, std::pair{32, 11}, std::pair{32, 36}})
        EXPECT_EQ(pixel(x, y), Black) << x << ", " << y;
}

TEST_F(DeviceTest, CullsByOnScreenWindingAsDirect3DDoes)
{
    // Left half: clockwise on screen. Right half: counter-clockwise.
    const PretransformedVertex clockwise[3] = {{0, 0, 0, 1, 0, 0}, {31, 0, 0, 1, 0, 0}, {0, 47, 0, 1, 0, 0}};
    const PretransformedVertex counterClockwise[3] = {
        {33, 0, 0, 1, 0, 0}, {33, 47, 0, 1, 0, 0}, {63, 0, 0, 1, 0, 0}};
    const auto drawn = [&](std::uint32_t cullMode) {
        clear(Black);
        device_->setRenderState(RenderState::CullMode, cullMode);
        device_->setFvf(Fvf::XyzRhw | Fvf::Tex1);
        device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, clockwise, sizeof clockwise[0]);
        device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, counterClockwise, sizeof clockwise[0]);
        return std::pair{pixel(5, 5) == White, pixel(38, 5) == White};
    };
    EXPECT_EQ(drawn(Cull::CounterClockwise), std::pair(true, false));
    EXPECT_EQ(drawn(Cull::Clockwise), std::pair(false, true));
    EXPECT_EQ(drawn(Cull::None), std::pair(true, true));
    EXPECT_EQ(device_->renderState(RenderState::CullMode), Cull::None);
}

TEST_F(DeviceTest, StageZeroModulatesColourByTheVertexAndTakesAlphaFromTheTexture)
{
    auto texture = makeTexture(*device_, 1, 1, {argb(128, 255, 255, 255)});
    device_->setTexture(0, texture.get());
    auto target = device_->createTexture(Width, Height, 1, Usage::RenderTarget, Format::A8R8G8B8, nullptr);
    device_->setRenderTarget(0, target->surfaceLevel(0));
    device_->clear(ClearFlag::Target | ClearFlag::ZBuffer, 0, 1.0f, 0);
    const ColoredVertex quad[4] = {{-1, 1, 0.5f, argb(255, 255, 128, 0), 0, 0},
                                   {1, 1, 0.5f, argb(255, 255, 128, 0), 1, 0},
                                   {-1, -1, 0.5f, argb(255, 255, 128, 0), 0, 1},
                                   {1, -1, 0.5f, argb(255, 255, 128, 0), 1, 1}};
    device_->setRenderState(RenderState::CullMode, Cull::None);
    device_->setFvf(Fvf::Xyz | Fvf::Diffuse | Fvf::Tex1);
    device_->drawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof quad[0]);
    EXPECT_TRUE(near(device_->readPixels(target->surfaceLevel(0))[0], argb(128, 255, 128, 0)));
}

TEST_F(DeviceTest, IgnoresDrawsItCannotMake)
{
    clear(Black);
    const PretransformedVertex triangle[3] = {{0, 0, 0, 1, 0, 0}, {63, 0, 0, 1, 0, 0}, {0, 47, 0, 1, 0, 0}};
    device_->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    device_->drawPrimitiveUP(PrimitiveType::TriangleList, 0, triangle, sizeof triangle[0]);
    device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, nullptr, sizeof triangle[0]);
    device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, triangle, 8);
    device_->setFvf(0);
    device_->drawPrimitiveUP(PrimitiveType::TriangleList, 1, triangle, sizeof triangle[0]);
    EXPECT_EQ(pixel(2, 2), Black);
}

} // namespace
} // namespace orb::gfx::test
