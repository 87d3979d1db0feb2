#include "GfxTestSupport.h"
#include "Operators/DefaultLoadingScene.h"
#include "Operators/Scene10Operator.h"
#include "Operators/Scene1Operator.h"
#include "ScriptTestSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stb/stb_image_write.h>

namespace orb::test {
namespace {

// PNG bytes of a width x height image in one ARGB colour.
std::string solidPng(int width, int height, gfx::Color color)
{
    std::vector<unsigned char> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(),
                    {static_cast<unsigned char>(color >> 16), static_cast<unsigned char>(color >> 8),
                     static_cast<unsigned char>(color), static_cast<unsigned char>(color >> 24)});
    std::string bytes;
    stbi_write_png_to_func(
        [](void* out, void* data, int size) {
            static_cast<std::string*>(out)->append(static_cast<char*>(data), size);
        },
        &bytes, width, height, 4, rgba.data(), width * 4);
    return bytes;
}

constexpr gfx::Color Blue = 0xFF0000FF, Red = 0xFFFF0000, Green = 0xFF00FF00;

// A demo whose graphics run off-screen at 640 x 360 on the production's effects.
class OperatorTest : public ScriptTest
{
protected:
    OperatorTest()
    {
        std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", "Data",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        DemoSettings settings;
        settings.width = 640;
        settings.height = 360;
        settings.multisampleType = 0;
        EXPECT_TRUE(demo_->graphicSystem()->init(settings));
    }

    gfx::Device& device() { return *demo_->graphicSystem()->device(); }
    gfx::Color pixel(int x, int y)
    {
        return device().readPixels(device().backBuffer())[y * 640 + x] & 0xFFFFFF;
    }
};

TEST_F(OperatorTest, TheLoadingBarGrowsFromItsLeftEndToTheProgressUnderItsCap)
{
    writeFile("Data/tevro_loader_empty.png", solidPng(4, 4, Blue));
    writeFile("Data/tevro_loader_1px.png", solidPng(1, 23, Red));
    writeFile("Data/tevro_loader_chrome.png", solidPng(5, 23, Green));
    DefaultLoadingScene loading(*demo_, 0xFFFFFFFF);
    EXPECT_EQ(loading.name(), "DefaultLoadingScene");
    EXPECT_EQ(loading.end(), 1.0f);
    device().setRenderState(gfx::RenderState::BlendFactor, 0);
    loading.process(0.25f, false);

    // On 640 x 360 (A = 16/9) the bar runs from x = -0.918 A, column 26.2, to -0.459 A,
    // column 173.1, on rows 175.8 to 188.2; the cap is centred at -0.458 A.
    EXPECT_EQ(pixel(25, 181), 0x0000FFu);
    EXPECT_EQ(pixel(27, 181), 0xFF0000u);
    EXPECT_EQ(pixel(170, 181), 0xFF0000u);
    EXPECT_EQ(pixel(173, 181), 0x00FF00u);
    EXPECT_EQ(pixel(176, 181), 0x0000FFu);
    EXPECT_EQ(pixel(100, 174), 0x0000FFu);
    EXPECT_EQ(pixel(100, 176), 0xFF0000u);
    EXPECT_EQ(pixel(100, 187), 0xFF0000u);
    EXPECT_EQ(pixel(100, 189), 0x0000FFu);
    EXPECT_EQ(pixel(5, 5), 0x0000FFu) << "the background fills the screen";

    device().setRenderState(gfx::RenderState::BlendFactor, 0x808080);
    loading.process(0.25f, false);
    EXPECT_TRUE(gfx::test::near(pixel(100, 181), 0x7F0000u)) << "half bright";
    device().setRenderState(gfx::RenderState::BlendFactor, 0xFFFFFF);
    loading.process(1.0f, false);
    const std::vector<gfx::Color> black = device().readPixels(device().backBuffer());
    EXPECT_TRUE(std::all_of(black.begin(), black.end(), [](gfx::Color c) { return (c & 0xFFFFFF) == 0; }));
}

TEST_F(OperatorTest, TheLoadingSequenceDrawsAStepPerOperatorAndFadesOutInVirtualTime)
{
    std::vector<std::uint8_t> lastFrame;
    int presents = 0;
    demo_ = std::make_unique<DemoSystem>(Host::offscreen(counter_, [&](const gfx::FramePixels& frame) {
        ++presents;
        counter_.advance(100); // a tenth of a second per picture
        lastFrame.assign(frame.pixels(), frame.pixels() + frame.width * frame.height * 4);
    }));
    demo_->fileSystem()->init("Data.qel");
    DemoSettings settings;
    settings.width = 320;
    settings.height = 180;
    ASSERT_TRUE(demo_->graphicSystem()->init(settings));
    ASSERT_TRUE(loadDemo(R"(<demo><init progressBar="1" fadeout="1"><resources/></init><main length="9">
        <scene id="0" name="s" end="9"><layer name="l" end="9"><children>
          <operator name="ClearTarget" id="0" start="0" end="9"/>
          <operator name="SetRenderTarget" id="1" start="0" end="9"/>
        </children></layer></scene></main></demo>)"));
    // Before loading, after the music, after each of two operators: 4; the fade to a reaches 1
    // after ten tenths of a second plus one pass.
    EXPECT_EQ(presents, 4 + 11);
    for (std::size_t i = 0; i < lastFrame.size(); i += 4)
        ASSERT_EQ(lastFrame[i] | lastFrame[i + 1] | lastFrame[i + 2], 0) << "the last fade frame is black";
    EXPECT_EQ(demo_->scene(1), nullptr) << "the default loading scene is gone after its fade";
}

TEST_F(OperatorTest, ClearTargetClearsToWhiteWithDepthZeroAndSetRenderTargetRebindsTheBackBuffer)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main length="9"><scene id="0" name="s" end="9">
        <layer name="l" end="9"><children>
          <operator name="ClearTarget" id="0" start="0" end="9"/>
          <operator name="SetRenderTarget" id="1" start="0" end="9"/>
        </children></layer></scene></main></demo>)"));
    RenderTarget& text = *demo_->graphicSystem()->renderTarget("Text");
    device().setRenderTarget(0, text.colorSurface());
    device().setDepthStencilSurface(text.depthSurface());
    demo_->scene(0)->process(1.0f, false);
    EXPECT_EQ(device().readPixels(text.colorSurface())[0], 0xFFFFFFFFu)
        << "cleared while the text target was bound";
    EXPECT_EQ(device().renderTarget(0), device().backBuffer());
    EXPECT_EQ(device().depthStencilSurface(), device().autoDepthStencil());

    // Depth 0: nothing drawn at depth 0.5 passes less-or-equal.
    demo_->scene(0)->process(1.0f, false);
    auto black = gfx::test::makeTexture(device(), 1, 1, {0xFF000000});
    device().setTexture(0, black.get());
    gfx::test::drawRectangle(device(), 0, 0, 640, 360, 0.5f);
    EXPECT_EQ(pixel(320, 180), 0xFFFFFFu);
}

TEST_F(OperatorTest, ASoundOperatorWithoutAStreamTriesToStartItOnceAndNoMore)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main length="9"><scene id="0" name="s" end="9">
        <layer name="l" end="9"><children><operator name="Sound" id="0" start="0" end="9">
          <attributes><attribute name="sound" value="0"/></attributes></operator>
        </children></layer></scene></main></demo>)"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid resource id '4294967295'"));
    for (const float t : {1.0f, 2.0f, 3.0f})
        demo_->scene(0)->process(t, false);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ORB_ERROR: invalid stream id '4294967295'"), 1);
}

FrameTime at(float local, float start, float end)
{
    return {start + local, local, end - start, start, end};
}

class ScreenTest : public OperatorTest
{
protected:
    ScreenTest()
    {
        writeFile("Data/tevro_logoscreen.png", solidPng(16, 9, 0xFFFFFFFF));
        writeFile("Data/tevro_endscreen.png", solidPng(16, 9, 0xFFFFFFFF));
        EXPECT_TRUE(
            loadDemo(R"(<demo><init><resources/></init><main length="20.8692"><scene id="0" name="s" end="21">
            <layer name="l" end="21"><children>
              <operator name="Scene1" id="0" start="0" end="6.9564"/>
              <operator name="Scene10" id="1" start="6.9564" end="20.8692"/>
            </children></layer></scene></main></demo>)"));
        title_ = dynamic_cast<Scene1Operator*>(operatorAt(0));
        end_ = dynamic_cast<Scene10Operator*>(operatorAt(1));
    }

    IOperator* operatorAt(std::uint32_t id) const
    {
        std::uint32_t cursor = id;
        return demo_->operatorManager()->nextOperator(cursor);
    }

    // Where the stack's world matrix takes the screen quad's centre, (0, 0, 0).
    static std::array<float, 3> centre(const ScreenImageOperator& screen, const FrameTime& time)
    {
        fx::MatrixStack stack;
        stack.loadIdentity();
        stack.translateLocal(0, 0, 1);
        screen.transform(stack, time);
        return {stack.top().m[3][0], stack.top().m[3][1], stack.top().m[3][2]};
    }

    Scene1Operator* title_ = nullptr;
    Scene10Operator* end_ = nullptr;
};

TEST_F(ScreenTest, TheTitleFadesInFromBlackOverFourSeconds)
{
    ASSERT_NE(title_, nullptr);
    EXPECT_EQ(title_->color(at(0.0f, 0, 6.9564f)), 0x00000000u);
    EXPECT_EQ(title_->color(at(2.0f, 0, 6.9564f)), 0x007F7F7Fu);
    EXPECT_EQ(title_->color(at(3.99f, 0, 6.9564f)), 0x00FEFEFEu);
    EXPECT_EQ(title_->color(at(4.0f, 0, 6.9564f)), 0x00FFFFFFu);
}

TEST_F(ScreenTest, TheTitleShakesOnlyAfterThreeSecondsAndStretchesOnlyAfter4Point7)
{
    ASSERT_NE(title_, nullptr);
    EXPECT_EQ(centre(*title_, at(3.0f, 0, 6.9564f)), (std::array<float, 3>{0, 0, 1}))
        << "no shake at 3 itself";
    EXPECT_NE(centre(*title_, at(3.5f, 0, 6.9564f)), (std::array<float, 3>{0, 0, 1}));
    fx::MatrixStack stack;
    const auto width = [&](float local) {
        stack.loadIdentity();
        title_->transform(stack, at(local, 0, 6.9564f));
        const auto& m = stack.top().m;
        return std::sqrt(m[0][0] * m[0][0] + m[0][1] * m[0][1] + m[0][2] * m[0][2]);
    };
    EXPECT_NEAR(width(4.7f), 1.0f, 1e-5f);
    EXPECT_GT(width(5.0f), 8.0f) << "1 + 20 sqrt(q) with q = 0.3 / 2.2564";
    const PostProcessParams before = title_->look(at(4.7f, 0, 6.9564f));
    const PostProcessParams after = title_->look(at(5.0f, 0, 6.9564f));
    EXPECT_EQ(before.compositorC, (std::array<float, 4>{1, 0, 0, 0}));
    EXPECT_EQ(after.compositorC, (std::array<float, 4>{1, 1, 1, 0}));
    EXPECT_NEAR(after.compositorD[2], std::sqrt(0.3f / 2.2564f), 1e-5f);
}

TEST_F(ScreenTest, TheEndScreenSettlesAndWashesOutInItsLastThreeSeconds)
{
    ASSERT_NE(end_, nullptr);
    const float start = 6.9564f, finish = 20.8692f;
    EXPECT_NE(centre(*end_, at(1.0f, start, finish)), (std::array<float, 3>{0, 0, 1}));
    EXPECT_EQ(centre(*end_, at(4.0f, start, finish)), (std::array<float, 3>{0, 0, 1}))
        << "settled after 4 seconds";
    const PostProcessParams opening = end_->look(at(0.0f, start, finish));
    EXPECT_EQ(opening.compositorD[2], 1.0f) << "washed out at its first frame";
    EXPECT_EQ(opening.compositorC, (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(end_->look(at(6.0f, start, finish)).compositorD[2], 0.0f);
    const PostProcessParams closing = end_->look(at(finish - start - 1.5f, start, finish));
    EXPECT_EQ(closing.compositorC, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_NEAR(closing.compositorD[2], std::sqrt(0.5f), 1e-3f);
    EXPECT_EQ(end_->color(at(1.0f, start, finish)), 0x00FFFFFFu);
}

TEST_F(ScreenTest, TheTitleQuadFillsTheScreenWhenUnturned)
{
    // At t = 2.5 the turn t / 10 - 0.25 is 0 and there is no shake: the quad covers every pixel
    // in grey 159 (2.5 x 255 / 4), give or take the post-processing's bloom and flicker.
    demo_->scene(0)->process(2.5f, false);
    for (const auto& [x, y] :
         {std::pair{0, 0}, std::pair{639, 0}, std::pair{320, 180}, std::pair{0, 359}, std::pair{639, 359}})
        EXPECT_NEAR(static_cast<int>(pixel(x, y) & 0xFF), 159, 24) << x << ", " << y;
}

} // namespace
} // namespace orb::test
