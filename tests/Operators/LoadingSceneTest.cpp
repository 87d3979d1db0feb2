#include "OperatorFixture.h"
#include "Operators/DefaultLoadingScene.h"

#include <algorithm>

namespace orb::test {
namespace {

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

} // namespace
} // namespace orb::test
