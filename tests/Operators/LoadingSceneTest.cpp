#include "OperatorFixture.h"
#include "Operators/DefaultLoadingScene.h"

#include <algorithm>
#include <tuple>

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

// Loading as the player sees it at 320 x 180, every picture a tenth of a second of the clock;
// the loader's background is blue, and each picture's blue at (5, 5) is kept.
class LoadingTest : public OperatorTest
{
protected:
    LoadingTest()
    {
        writeFile("Data/tevro_loader_empty.png", solidPng(4, 4, Blue));
        startDemo();
    }

    void startDemo(int width = 320, int height = 180)
    {
        blues_.clear();
        complete_.clear();
        demo_.reset();
        demo_ = std::make_unique<DemoSystem>(Host::offscreen(counter_, [this](const gfx::FramePixels& frame) {
            counter_.advance(100);
            blues_.push_back(frame.pixels()[(5 * frame.width + 5) * 4]);
            complete_.push_back(demo_->loadingProgress().complete());
            shown_.assign(frame.pixels(), frame.pixels() + std::size_t(frame.width) * frame.height * 4);
        }));
        demo_->fileSystem()->init("Data.qel");
        DemoSettings settings;
        settings.width = width;
        settings.height = height;
        EXPECT_TRUE(demo_->graphicSystem()->init(settings));
    }

    // The last picture's pixel as 0xRRGGBB.
    gfx::Color shown(int x, int y) const
    {
        const int width = demo_->graphicSystem()->width();
        const std::uint8_t* bgra = &shown_[(std::size_t(y) * width + x) * 4];
        return gfx::argb(0, bgra[2], bgra[1], bgra[0]);
    }

    // A script of two ClearTarget operators, scene 0 from 0 to 9 and scene 1 from 0 to 1, loaded
    // with the given attributes on its init element.
    bool loadWith(const std::string& init)
    {
        return loadDemo("<demo><init " + init + R"(><resources/></init><main length="9">
            <scene id="0" name="play" end="9"><layer name="l" end="9"><children>
              <operator name="ClearTarget" id="0" start="0" end="9"/></children></layer></scene>
            <scene id="1" name="loading" end="1"><layer name="l" end="1"><children>
              <operator name="ClearTarget" id="1" start="0" end="1"/></children></layer></scene>
            </main></demo>)");
    }

    bool defaultLoadingSceneAt(std::uint32_t id) const
    {
        return dynamic_cast<DefaultLoadingScene*>(demo_->scene(id)) != nullptr;
    }

    // Before loading, after the music and after each of the two operators.
    static constexpr std::size_t LoadingPictures = 4;
    std::vector<std::uint8_t> blues_;
    std::vector<bool> complete_; // whether loading said it was complete, picture by picture
    std::vector<std::uint8_t> shown_;
};

// A 1280 x 720 background shown on a 1280 x 720 screen maps texel to pixel: a one-pixel
// checkerboard stays sharp (half a texel off, every pixel would blend two halves; the device's
// 1/128-pixel tie-breaking shows as a few levels), and each quadrant keeps its colour.
TEST_F(LoadingTest, TheBackgroundMapsEachTexelOntoItsPixelTheRightWayUp)
{
    writeFile("Data/tevro_loader_empty.png", png(1280, 720, [](int x, int y) {
                  if ((x + y) % 2 != 0)
                      return gfx::Color{0xFF000000};
                  if (y < 360)
                      return x < 640 ? Red : Green;
                  return x < 640 ? Blue : gfx::Color{0xFFFFFFFF};
              }));
    startDemo(1280, 720);
    DefaultLoadingScene loading(*demo_, 0xFFFFFFFF);
    demo_->graphicSystem()->device()->setRenderState(gfx::RenderState::BlendFactor, 0);
    loading.process(0.0f, false);
    for (const auto& [x, y, lit] : {std::tuple{300, 100, 0xFF0000u}, std::tuple{1000, 100, 0x00FF00u},
                                    std::tuple{300, 600, 0x0000FFu}, std::tuple{1000, 600, 0xFFFFFFu}}) {
        EXPECT_TRUE(gfx::test::near(shown(x, y), lit, 6)) << x << ", " << y;
        EXPECT_TRUE(gfx::test::near(shown(x + 1, y), 0, 6)) << x + 1 << ", " << y;
    }
}

TEST_F(LoadingTest, TheFadeDarkensTheScreenAlongTheSquareOfTheTimeAndRemovesTheDefaultLoader)
{
    ASSERT_TRUE(loadWith(R"(progressBar="1" fadeout="1")"));
    // a reaches 1 after ten tenths of a second, plus the pass that finds it there.
    ASSERT_EQ(blues_.size(), LoadingPictures + 11);
    for (std::size_t i = 0; i < LoadingPictures; ++i)
        EXPECT_EQ(blues_[i], 255) << i;
    for (int pass = 0; pass <= 10; ++pass) {
        const int darkened = static_cast<int>(255.0 * pass * pass / 100.0);
        EXPECT_NEAR(blues_[LoadingPictures + pass], 255 - darkened, 1) << "pass " << pass;
    }
    EXPECT_FALSE(defaultLoadingSceneAt(2)) << "the default loading scene is gone after its fade";
}

TEST_F(LoadingTest, SaysItIsCompleteFromTheBarsLastPictureOn)
{
    ASSERT_TRUE(loadWith(R"(progressBar="1" fadeout="1")"));
    ASSERT_EQ(complete_.size(), LoadingPictures + 11);
    for (std::size_t i = 0; i < complete_.size(); ++i)
        EXPECT_EQ(complete_[i], i + 1 >= LoadingPictures) << "picture " << i;
}

TEST_F(LoadingTest, AScriptSceneAsLoaderIsShownAndFadesInTheSteppedClock)
{
    ASSERT_TRUE(loadWith(R"(progressBar="1" scene="1" fadeout="1")"));
    EXPECT_EQ(blues_.size(), LoadingPictures + 11) << "each loading step is a picture";
    EXPECT_EQ(blues_.front(), 255) << "the script scene cleared to white";
    EXPECT_NE(demo_->scene(1), nullptr) << "the script's scene stays";
    EXPECT_FALSE(defaultLoadingSceneAt(2));
}

TEST_F(LoadingTest, AnUnknownLoaderIdFallsBackToTheDefaultLoaderWhichStaysWithoutAFade)
{
    ASSERT_TRUE(loadWith(R"(progressBar="1" scene="5" fadeout="0")"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid scene id for loading scene"));
    EXPECT_EQ(blues_.size(), LoadingPictures);
    EXPECT_TRUE(defaultLoadingSceneAt(2)) << "the lowest free id, kept without a fade";
}

// One demo each: a test process that opens and closes many GL contexts now and then trips
// LeakSanitizer's exit-time scan.
class EndlessFadeTest : public LoadingTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(EndlessFadeTest, IsRefusedAndLoadingEnds)
{
    const std::string endless = GetParam();
    ASSERT_TRUE(loadWith(R"(progressBar="1" fadeout=")" + endless + '"'));
    EXPECT_TRUE(logged("ORB_ERROR: invalid fadeout '" + endless + "': at most 60 seconds, no fade"));
    EXPECT_EQ(blues_.size(), LoadingPictures);
}

INSTANTIATE_TEST_SUITE_P(NotANumberInfiniteOrLong, EndlessFadeTest,
                         ::testing::Values("inf", "nan", "1e30", "61"));

TEST_F(LoadingTest, ATinyFadeEndsBlackAtOnce)
{
    // A tenth of a second is a billion times this fade: a * a * 255 is far beyond any integer.
    ASSERT_TRUE(loadWith(R"(progressBar="1" fadeout="1e-10")"));
    ASSERT_EQ(blues_.size(), LoadingPictures + 2);
    EXPECT_EQ(blues_.back(), 0) << "black at once";
}

} // namespace
} // namespace orb::test
