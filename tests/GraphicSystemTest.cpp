#include "GraphicSystem.h"

#include "FileSystem.h"
#include "GfxTestSupport.h"
#include "TestSupport.h"

#include <algorithm>

namespace orb::test {
namespace {

const std::filesystem::path ProductionData = std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data";

struct Vertex
{
    float x, y, z, rhw, u, v;
};

class GraphicSystemTest : public LoggedTest
{
protected:
    GraphicSystemTest()
    {
        std::filesystem::create_directories("Data");
        for (const char* effect : {"Downsample4x4.fx", "GaussianBlur.fx", "Compositor.fx"})
            std::filesystem::copy_file(ProductionData / effect, std::filesystem::path("Data") / effect);
        std::filesystem::create_directory("Data.qel");
        fileSystem_.init("Data.qel");
    }

    std::unique_ptr<GraphicSystem> start(int width, int height, int multisampleType = 0)
    {
        settings_.width = width;
        settings_.height = height;
        settings_.multisampleType = multisampleType;
        auto graphics = std::make_unique<GraphicSystem>(fileSystem_, Host::offscreen(counter_));
        EXPECT_TRUE(graphics->init(settings_));
        return graphics;
    }

    // A square of `size` pixels on black, centred, then the chain; white, or the texture's colour.
    std::vector<gfx::Color> squareThroughTheChain(GraphicSystem& graphics, const PostProcessParams& params,
                                                  int size, gfx::BaseTexture* fill = nullptr)
    {
        gfx::Device& device = *graphics.device();
        device.clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF000000, 1.0f, 0);
        const float left = (graphics.width() - size) / 2.0f - 0.5f,
                    top = (graphics.height() - size) / 2.0f - 0.5f;
        const Vertex square[4] = {{left, top, 0, 1, 0, 0},
                                  {left + size, top, 0, 1, 0, 0},
                                  {left, top + size, 0, 1, 0, 0},
                                  {left + size, top + size, 0, 1, 0, 0}};
        device.setFvf(gfx::Fvf::XyzRhw | gfx::Fvf::Tex1);
        device.setTexture(0, fill); // replaces the images the previous chain left bound
        device.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, square, sizeof square[0]);
        graphics.postProcess(params);
        return device.readPixels(device.backBuffer());
    }

    FileSystem fileSystem_;
    DemoSettings settings_;
    win::SteppedCounter counter_{1000};
};

TEST_F(GraphicSystemTest, StartsOffScreenAndLogsItsSteps)
{
    settings_.multisampleType = 16;
    auto graphics = start(1280, 720, 16);
    ASSERT_NE(graphics->device(), nullptr);
    EXPECT_FLOAT_EQ(graphics->aspectRatio(), 1280.0f / 720.0f) << "an unset aspect ratio follows the size";
    EXPECT_EQ(graphics->multisampleType(), 4);
    EXPECT_EQ(graphics->backBufferTarget()->colorSurface(), graphics->device()->backBuffer());
    EXPECT_EQ(graphics->backBufferTarget()->depthSurface(), graphics->device()->autoDepthStencil());
    EXPECT_FALSE(graphics->backBufferTarget()->ownsColor());
    EXPECT_EQ(settings_.window, 0u);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{
                  "ORB_INFO: GraphicSystem Init ... (1280,720,0,16,1,00000000,00000000)",
                  "ORB_INFO: drawing off-screen on EGL's device platform",
                  "ORB_ERROR: selected multisampling quality '16' not available. using '4' instead",
                  "ORB_INFO: GraphicSystem Init Done"}));
}

TEST_F(GraphicSystemTest, NamesItsTargetsAndEffectsAndLogsUnknownNames)
{
    auto graphics = start(1366, 768);
    RenderTarget* blur = graphics->renderTarget("Blur1");
    ASSERT_NE(blur, nullptr);
    EXPECT_EQ(blur->colorSurface()->width(), 341);
    EXPECT_EQ(blur->colorSurface()->height(), 192);
    EXPECT_EQ(blur->depthSurface(), nullptr);
    EXPECT_EQ(graphics->renderTarget("Screen")->depthSurface()->format(), gfx::Format::D24S8);
    EXPECT_EQ(graphics->renderTarget("Text")->colorSurface()->width(), 1024);
    EXPECT_NE(graphics->effect("Compositor"), nullptr);
    EXPECT_EQ(graphics->renderTarget("Glow"), nullptr);
    EXPECT_EQ(graphics->effect("Bloom"), nullptr);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"ORB_ERROR: Default RenderTarget Glow not found",
                                        "ORB_ERROR: Default Effect Bloom not found"}));
}

TEST(PostProcessVectors, AreOneTexelOfTheFrameAndOfTheQuarterSizeTargets)
{
    const PostProcessVectors hd = postProcessVectors(1280, 720, 0.25f);
    EXPECT_EQ(hd.d1, (std::array<float, 4>{1.0f / 1280, 1.0f / 720, 0.25f, 0}));
    EXPECT_FLOAT_EQ(hd.d2[0], 0.003125f);
    EXPECT_NEAR(hd.d3[1], 0.0055556f, 1e-7f);
    EXPECT_EQ(hd.d2[1] + hd.d2[2] + hd.d3[0] + hd.d3[2], 0.0f);
    const PostProcessVectors odd = postProcessVectors(1366, 768, 0.0f);
    EXPECT_FLOAT_EQ(odd.d2[0], 4.0f / 1366);
    EXPECT_FLOAT_EQ(odd.d3[1], 4.0f / 768);
}

TEST_F(GraphicSystemTest, PostProcessEndsWithTheBackBufferAndItsDepthBound)
{
    auto graphics = start(320, 180);
    gfx::Device& device = *graphics->device();
    RenderTarget* text = graphics->renderTarget("Text");
    device.setRenderTarget(0, text->colorSurface());
    device.setDepthStencilSurface(text->depthSurface());
    graphics->postProcess({0.2f, {1, 3, 0, 0}, {1, 1, 1, 1}});
    EXPECT_EQ(device.renderTarget(0), device.backBuffer());
    EXPECT_EQ(device.depthStencilSurface(), device.autoDepthStencil());
}

TEST_F(GraphicSystemTest, AWhiteSquareGainsASoftHaloOnlyWithTheGlowOn)
{
    auto graphics = start(256, 144);
    const auto at = [](const std::vector<gfx::Color>& pixels, int x, int y) {
        return pixels[y * 256 + x] & 0xFF;
    };
    const std::vector<gfx::Color> plain =
        squareThroughTheChain(*graphics, {0.2f, {1, 2, 0, 0}, {1, 0, 0, 0}}, 40);
    const std::vector<gfx::Color> glowing =
        squareThroughTheChain(*graphics, {0.2f, {1, 3, 0, 0}, {1, 1, 1, 1}}, 40);
    // The square spans x = 108 to 147 on rows 52 to 91.
    EXPECT_EQ(at(plain, 128, 72), 255u);
    EXPECT_EQ(at(plain, 108, 72), 255u) << "the edge stays sharp";
    EXPECT_LT(at(plain, 103, 72), 48u) << "a plain look has next to no halo";
    EXPECT_EQ(at(plain, 0, 0), 0u);
    EXPECT_EQ(at(glowing, 128, 72), 255u);
    EXPECT_GT(at(glowing, 103, 72), at(plain, 103, 72) + 30) << "a halo around the square";
    EXPECT_GT(at(glowing, 103, 72), at(glowing, 98, 72)) << "fading with distance";
    EXPECT_LT(at(glowing, 98, 72), 128u);
    EXPECT_EQ(at(glowing, 0, 0), 0u) << "far away stays black";
}

TEST_F(GraphicSystemTest, OnlyWhatIsBrighterThanTheDownsampleThresholdGlows)
{
    auto graphics = start(256, 144);
    const auto grey = gfx::test::makeTexture(*graphics->device(), 1, 1, {0xFF666666}); // 0.4
    const auto haloAt = [&](float threshold) {
        const std::vector<gfx::Color> pixels =
            squareThroughTheChain(*graphics, {threshold, {1, 3, 0, 0}, {1, 1, 1, 1}}, 40, grey.get());
        return static_cast<int>(pixels[72 * 256 + 103] & 0xFF);
    };
    const int belowThreshold = haloAt(0.5f);
    EXPECT_LT(belowThreshold, 8) << "a 0.4 grey does not pass a 0.5 threshold";
    EXPECT_GT(haloAt(0.1f), belowThreshold + 10) << "it glows above a 0.1 threshold";
}

TEST_F(GraphicSystemTest, WashesOutToWhiteAsTheThirdCompositorValueReachesOne)
{
    auto graphics = start(256, 144);
    const std::vector<gfx::Color> washed =
        squareThroughTheChain(*graphics, {0.2f, {1, 3, 1, 0}, {1, 1, 1, 1}}, 40);
    EXPECT_TRUE(
        std::all_of(washed.begin(), washed.end(), [](gfx::Color c) { return (c & 0xFFFFFF) == 0xFFFFFF; }));
    const std::vector<gfx::Color> half =
        squareThroughTheChain(*graphics, {0.2f, {1, 3, 0.5f, 0}, {0, 0, 0, 0}}, 40);
    EXPECT_NEAR(static_cast<int>(half[0] & 0xFF), 128, 2) << "black is half way to white";
    const std::vector<gfx::Color> quarter =
        squareThroughTheChain(*graphics, {0.2f, {1, 3, 0.25f, 0}, {0, 0, 0, 0}}, 40);
    EXPECT_NEAR(static_cast<int>(quarter[0] & 0xFF), 40, 2) << "a smooth ramp, slow to leave black: not 64";
}

TEST_F(GraphicSystemTest, AnEffectThatDoesNotCompileFailsStartUpWithTheCompilersText)
{
    writeFile("Data/Compositor.fx", "@pass 0\n@fragment\nvoid main() { undefined(); }\n");
    GraphicSystem graphics(fileSystem_, Host::offscreen(counter_));
    EXPECT_FALSE(graphics.init(settings_));
    const std::vector<std::string> lines = log();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "ORB_ERROR: CreateEffect failed for Data\\Compositor.fx");
    EXPECT_EQ(lines.back().rfind("\tpass 0", 0), 0u) << lines.back();
    EXPECT_NE(lines.back().find("undefined"), std::string::npos);
}

TEST_F(GraphicSystemTest, AMissingEffectFileFailsStartUpWithTheFileSystemsMessage)
{
    std::filesystem::remove("Data/GaussianBlur.fx");
    GraphicSystem graphics(fileSystem_, Host::offscreen(counter_));
    EXPECT_FALSE(graphics.init(settings_));
    EXPECT_EQ(log().back(), "ORB_ERROR: failed opening file 'Data\\GaussianBlur.fx'");
}

TEST_F(GraphicSystemTest, MakesTheNoiseTextureOnceAndKeepsIt)
{
    auto graphics = start(64, 64);
    gfx::VolumeTexture* noise = graphics->noiseTexture();
    ASSERT_NE(noise, nullptr);
    EXPECT_EQ(noise->width(), 64);
    EXPECT_EQ(noise->depth(), 64);
    EXPECT_EQ(noise->format(), gfx::Format::L16);
    EXPECT_EQ(graphics->noiseTexture(), noise);
}

TEST_F(GraphicSystemTest, ASystemThatNeverStartedShutsDownCleanly)
{
    {
        GraphicSystem graphics(fileSystem_, Host::offscreen(counter_));
        EXPECT_EQ(graphics.device(), nullptr);
        EXPECT_EQ(graphics.noiseTexture(), nullptr);
        graphics.postProcess({});
        graphics.beginScene();
        graphics.endSceneAndPresent();
    }
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"ORB_INFO: GraphicSystem Shutdown ...",
                                        "ORB_INFO: GraphicSystem Shutdown Done"}));
}

} // namespace
} // namespace orb::test
