#include "Operators/ShaderScene.h"

#include "OperatorFixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

namespace orb::test {
namespace {

// Shows its parameters as colours: red a.x, green c3.w, blue invert, and where u > 0.5 the
// stage-1 texture instead; the noise volume on stage 0 must be bound for its alpha to be 1.
constexpr const char* ParameterEffect = R"(@common
uniform vec3 a;
uniform vec4 c3;
uniform float invert;

@pass 0
@fragment
layout(binding = 0) uniform sampler3D noise;
layout(binding = 1) uniform sampler2D page;
in vec2 orb_vTexCoord;
out vec4 colour;
void main()
{
    float bound = textureSize(noise, 0).x == 64 ? 1.0 : 0.0;
    colour = orb_vTexCoord.x > 0.5 ? texture(page, orb_vTexCoord) : vec4(a.x, c3.w, invert, bound);
}
)";

class ShaderSceneTest : public OperatorTest
{
protected:
    ShaderSceneTest()
    {
        static const int faces = [] {
            std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
            return fx::registerFontMemory(bytes.data(), bytes.size());
        }();
        EXPECT_EQ(faces, 1);
        font_ = fx::Font::create(device(), 64, "DejaVu Sans", nullptr);
    }

    GraphicSystem& graphics() { return *demo_->graphicSystem(); }
    RenderTarget& text() { return *graphics().renderTarget("Text"); }
    std::vector<gfx::Color> textPixels() { return device().readPixels(text().colorSurface()); }
    // How many of the text target's pixels are lit.
    long litTextPixels()
    {
        const std::vector<gfx::Color> pixels = textPixels();
        return std::count_if(pixels.begin(), pixels.end(), [](gfx::Color c) { return (c & 0xFFFFFF) != 0; });
    }

    std::unique_ptr<fx::Font> font_;
};

TEST_F(ShaderSceneTest, ThePassDrawsOverTheWholeScreenWithTheParametersTheNoiseAndStageOne)
{
    std::string log;
    const auto effect =
        fx::Effect::create(device(), ParameterEffect, std::char_traits<char>::length(ParameterEffect), &log);
    ASSERT_NE(effect, nullptr) << log;
    const auto page = gfx::test::makeTexture(device(), 1, 1, {0xFF00FF00});
    ShaderSceneParams params;
    params.a = {0.5f, 0, 0, 0};
    params.c3 = {0, 0, 0, 1.0f};
    params.invert = 0.25f;
    device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF000000, 1.0f, 0);
    drawShaderPass(graphics(), *effect, params, page.get());

    // Left half: a.x = 0.5 in red, c3.w in green, invert in blue; right half: the page.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{300, 180}, std::pair{0, 359}})
        EXPECT_TRUE(gfx::test::near(pixel(x, y), 0x80FF40, 1)) << x << ", " << y;
    for (const auto& [x, y] : {std::pair{639, 0}, std::pair{340, 180}, std::pair{639, 359}})
        EXPECT_EQ(pixel(x, y), 0x00FF00u) << x << ", " << y;
    EXPECT_EQ(device().readPixels(device().backBuffer())[0] >> 24, 0xFFu) << "the noise volume is bound";
}

TEST_F(ShaderSceneTest, ThePagerRedrawsInTheFirstFrameOfEachPeriodOnly)
{
    TextPager pager(2.0f, {{2.0f, "One"}, {4.0f, "Two"}});
    pager.update(graphics(), font_.get(), 0.0f);
    EXPECT_EQ(pager.redrawCount(), 0) << "phase 0 is below the first last phase, 1";
    const long firstPage = litTextPixels();
    EXPECT_GT(firstPage, 100);
    EXPECT_EQ(device().renderTarget(0), device().backBuffer()) << "the back buffer is bound again";
    EXPECT_EQ(device().depthStencilSurface(), graphics().backBufferTarget()->depthSurface());

    pager.update(graphics(), font_.get(), 0.5f);
    pager.update(graphics(), font_.get(), 0.5f);
    EXPECT_EQ(pager.redrawCount(), 0) << "a rising or equal phase is the same page";
    EXPECT_FLOAT_EQ(pager.update(graphics(), font_.get(), 2.25f), 0.25f);
    EXPECT_EQ(pager.redrawCount(), 1);
    EXPECT_NE(litTextPixels(), firstPage) << "the second page's text";

    pager.update(graphics(), font_.get(), 4.0f);
    EXPECT_EQ(pager.redrawCount(), 2);
    EXPECT_EQ(litTextPixels(), 0) << "after the last page, an empty one";

    pager.update(graphics(), font_.get(), 5.5f);
    pager.update(graphics(), font_.get(), 0.0f); // the demo looped
    EXPECT_EQ(pager.redrawCount(), 3) << "the count goes on through loops";
}

TEST_F(ShaderSceneTest, APageLongerThanItsBufferIsCutAndSaysSo)
{
    TextPager pager(2.0f, {{2.0f, std::string(600, 'x')}});
    pager.update(graphics(), font_.get(), 0.0f);
    EXPECT_TRUE(logged("ORB_ERROR: text page of 600 bytes cut to 499: 'xxxxxxxxxxxxxxxxxxxx...'"));
}

TEST_F(ShaderSceneTest, APagerEnteredMidPeriodWaitsForTheNextWrap)
{
    TextPager pager(2.0f, {{10.0f, "Page"}});
    EXPECT_FLOAT_EQ(pager.update(graphics(), font_.get(), 3.5f), 1.5f);
    EXPECT_EQ(pager.redrawCount(), -1) << "1.5 is not below the first last phase, 1";
    pager.update(graphics(), font_.get(), 4.1f);
    EXPECT_EQ(pager.redrawCount(), 0);
}

TEST_F(ShaderSceneTest, WithoutAFontThePageIsEmptyAndWithoutTheTargetNothingIsDrawn)
{
    TextPager pager(1.0f, {{10.0f, "Page"}});
    device().setRenderTarget(0, text().colorSurface());
    device().clear(gfx::ClearFlag::Target, 0xFFFFFFFF, 1.0f, 0);
    pager.update(graphics(), nullptr, 0.0f);
    EXPECT_EQ(pager.redrawCount(), 0);
    EXPECT_EQ(litTextPixels(), 0) << "cleared, and nothing written";

    font_.reset();
    resetDemo(); // a graphics system that never started has no "Text" target
    TextPager lost(1.0f, {{10.0f, "Page"}});
    EXPECT_FLOAT_EQ(lost.update(*demo_->graphicSystem(), nullptr, 0.5f), 0.5f);
    EXPECT_EQ(lost.redrawCount(), -1);
    EXPECT_TRUE(logged("ORB_ERROR: Default RenderTarget Text not found"));
    drawTextQuad(*demo_->graphicSystem(), 255, {0, 0, 2.4142137f}, 0, 0);
}

// On 16:9 the quad shows rows 224 to 800 of the 1024-row target. At distance 1 / tan(pi / 8)
// under the 45-degree camera it fills the screen exactly; the target is red on those rows and
// green elsewhere.
TEST_F(ShaderSceneTest, TheTextQuadAddsTheTargetsMiddleBandAtTheGreyLevel)
{
    device().setRenderTarget(0, text().colorSurface());
    device().setDepthStencilSurface(text().depthSurface());
    device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF00FF00, 1.0f, 0);
    const auto red = gfx::test::makeTexture(device(), 1, 1, {0xFFFF0000});
    device().setTexture(0, red.get());
    gfx::test::drawRectangle(device(), 0, 224, 1024, 800);
    const RenderTarget& screen = *graphics().backBufferTarget();
    device().setRenderTarget(0, screen.colorSurface());
    device().setDepthStencilSurface(screen.depthSurface());

    // The level both tints the quad and scales what it adds: k = 128 adds a quarter.
    for (const auto& [k, added] : {std::pair{255, 255u}, std::pair{128, 64u}, std::pair{0, 0u}}) {
        device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF000000, 1.0f, 0);
        drawTextQuad(graphics(), k, {0, 0, 2.4142137f}, 0, 0);
        for (const auto& [x, y] : {std::pair{2, 2}, std::pair{320, 180}, std::pair{637, 357}})
            EXPECT_TRUE(gfx::test::near(pixel(x, y), gfx::argb(0, added, 0, 0), 2))
                << k << " at " << x << ", " << y;
    }
}

// Knowing where the page is inked, the quad draws only the pixels that can reach it: the frame is
// the one it draws over the whole screen, for a page turned in depth and for an empty one.
TEST_F(ShaderSceneTest, TheTextQuadDrawnWhereThePageIsInkedGivesTheFrameItGivesDrawnEverywhere)
{
    const auto frameWith = [this](const std::optional<gfx::Rect>& inked, const std::array<float, 3>& at,
                                  float yaw, float pitch) {
        text().setInked(inked);
        device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF403020, 1.0f, 0);
        drawTextQuad(graphics(), 200, at, yaw, pitch);
        return device().readPixels(graphics().backBufferTarget()->colorSurface());
    };
    for (const char* page : {"Greetings\nto all", ""}) {
        TextPager pager(1.0f, {{10.0f, page}});
        pager.update(graphics(), font_.get(), 0.5f);
        ASSERT_TRUE(text().inked());
        const gfx::Rect inked = *text().inked();
        EXPECT_EQ(inked.empty(), *page == 0) << page;
        for (const auto& [at, yaw, pitch] : {std::tuple{std::array{0.5f, 0.28f, 3.0f}, 0.4f, 0.3f},
                                             std::tuple{std::array{-0.8f, 0.0f, 1.5f}, -1.1f, 0.0f}}) {
            const std::vector<gfx::Color> drawn = frameWith(inked, at, yaw, pitch);
            EXPECT_EQ(drawn, frameWith(std::nullopt, at, yaw, pitch)) << page << " at yaw " << yaw;
            const long untouched = std::count(drawn.begin(), drawn.end(), 0xFF403020u);
            EXPECT_EQ(untouched < static_cast<long>(drawn.size()), *page != 0) << "the page shows";
        }
    }
}

// Each production effect compiles and, in the middle of its scene, paints a picture: a fifth of
// the screen or more lit, in many colours, not one flat fill.
class ProductionEffect : public ShaderSceneFixture, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(ProductionEffect, PaintsAPictureInTheMiddleOfItsScene)
{
    makeFonts();
    startScene(GetParam());
    ASSERT_NE(scene_->effect(), nullptr);
    demo_->scene(0)->process(atBars(6.6f).received, false);
    const std::vector<gfx::Color> frame =
        device().readPixels(demo_->graphicSystem()->backBufferTarget()->colorSurface());
    const long lit = std::count_if(frame.begin(), frame.end(), [](gfx::Color c) {
        return std::max({red(c), green(c), blue(c)}) > 40;
    });
    std::vector<gfx::Color> colours(frame);
    std::sort(colours.begin(), colours.end());
    EXPECT_GT(lit, static_cast<long>(frame.size() / 5));
    EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 500);
}

INSTANTIATE_TEST_SUITE_P(Scenes, ProductionEffect,
                         ::testing::Values("Scene5", "Scene6", "Scene7", "Scene8", "Scene9"));

// Samples would smooth no edge of these scenes' frames: at 4x they are drawn single-sampled and
// are the frames drawn without samples, byte for byte (the invitation with its page and frame).
TEST_F(ShaderSceneFixture, AtFourSamplesAFrameWithoutEdgesIsTheFrameWithout)
{
    for (const char* type : {"Scene5", "Scene6"}) {
        std::vector<gfx::Color> frames[2];
        for (int samples : {0, 4}) {
            startGraphics(640, 360, samples);
            makeFonts();
            startScene(type);
            frameAt(4.2f); // the second page drawn at its period's start
            frames[samples / 4] = frameAt(4.6f);
            EXPECT_EQ(litTextPixels() > 0, std::string(type) == "Scene5");
        }
        EXPECT_EQ(frames[0], frames[1]) << type;
    }
}

// The logo's and the sprite's backgrounds take their large shapes from the noise volume on
// stage 0: without it they draw another picture.
TEST_F(ShaderSceneTest, TheLogoAndSpriteBackgroundsReadTheNoiseVolume)
{
    for (const char* file : {"Data\\Scene2.fx", "Data\\Scene4.fx"}) {
        const std::unique_ptr<fx::Effect> effect = graphics().createEffect(file);
        ASSERT_NE(effect, nullptr) << file;
        const auto drawWith = [&](gfx::BaseTexture* noise) {
            // As a scene's frame does: the sprite's background tests depth.
            device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0, 1.0f, 0);
            device().setFvf(FullScreenTriangleFvf);
            effect->begin();
            effect->beginPass(0);
            for (const char* name : {"a", "b"})
                setVector(*effect, name, {0.3f, 0.6f, 4.0f, 0});
            setVector(*effect, "c1", Orange);
            setVector(*effect, "c2", Grey);
            setVector(*effect, "c3", {});
            setVector(*effect, "f", {0.4f, 0.5f, 1.0f, 0.3f});
            setVector(*effect, "g", aspectVector(graphics().aspectRatio()));
            effect->commitChanges();
            device().setTexture(0, noise);
            drawFullScreenTriangle(device(), 640, 360, 1.0f);
            effect->endPass();
            effect->end();
            return device().readPixels(device().backBuffer());
        };
        EXPECT_NE(drawWith(graphics().noiseTexture()), drawWith(nullptr)) << file;
    }
}

} // namespace
} // namespace orb::test
