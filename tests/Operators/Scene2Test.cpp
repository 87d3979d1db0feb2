#include "OperatorFixture.h"
#include "Operators/Scene2Operator.h"

namespace orb::test {
namespace {

class Scene2Test : public ShaderSceneFixture
{
protected:
    Scene2Test()
    {
        std::filesystem::copy_file(std::filesystem::path(ORB_PRODUCTION_DATA) / "tevro_mainlogo.png",
                                   "Data/tevro_mainlogo.png");
        startScene("Scene2");
    }
};

TEST_F(Scene2Test, TheTurnRunsWithTheBarsBackwardsAfterEightAndSettlesAfterFourteen)
{
    EXPECT_EQ(drawnAt(0.0f, "b")[2], 0.0f);
    EXPECT_NEAR(drawnAt(7.9f, "b")[2], 7.9f * Pi, 1e-3f);
    EXPECT_NEAR(drawnAt(8.1f, "b")[2], -8.1f * Pi, 1e-3f);
    EXPECT_NEAR(drawnAt(13.9f, "b")[2], -13.9f * Pi, 1e-3f);
    EXPECT_NEAR(drawnAt(14.1f, "b")[2], std::sin(0.1f), 1e-3f);
    const std::array<float, 4> a = drawnAt(2.0f, "a");
    EXPECT_NEAR(a[0], std::sin(1.7391 * 2.0), 1e-4);
    EXPECT_NEAR(a[2], 4.0f, 1e-4f);
    EXPECT_EQ(drawnAt(15.0f, "c3")[0], 0.0f);
    EXPECT_NEAR(drawnAt(15.25f, "c3")[0], 0.5f, 1e-3f);
    EXPECT_EQ(drawnAt(1.0f, "c2"), (std::array<float, 4>{0.4980392f, 0.4980392f, 0.4980392f, 0.0f}))
        << "the grey as written to seven places, not 127 / 255";
}

TEST_F(Scene2Test, TheLogoNodsOnTheBarsAndShakesItsHeadAfterBarEight)
{
    EXPECT_EQ(Scene2Operator::logoTurn(0.0f), (std::array<float, 2>{0.0f, 0.0f}));
    EXPECT_NEAR(Scene2Operator::logoTurn(0.5f)[0], 1.0f, 1e-5f);
    EXPECT_NEAR(Scene2Operator::logoTurn(1.5f)[0], -1.0f, 1e-5f) << "the sign survives the odd power";
    EXPECT_NEAR(Scene2Operator::logoTurn(0.25f)[0], std::pow(std::sqrt(0.5), 11), 1e-5);
    EXPECT_EQ(Scene2Operator::logoTurn(8.0f)[1], 0.0f);
    EXPECT_NEAR(Scene2Operator::logoTurn(8.25f)[1], -1.0f, 1e-4f);
    EXPECT_NEAR(Scene2Operator::logoTurn(8.75f)[1], 1.0f, 1e-4f);
}

TEST_F(Scene2Test, FlashesInTheLastBeatOfEachPhraseAndBrightensAfterBarFifteen)
{
    EXPECT_EQ(scene_->look(atBars(0.0f)).compositorD, (std::array<float, 4>{1, 3, 0, 0}));
    EXPECT_EQ(scene_->look(atBars(3.6f)).compositorD[3], 0.0f) << "beat 14.4";
    EXPECT_GT(scene_->look(atBars(3.8f)).compositorD[3], 0.0f) << "beat 15.2";
    EXPECT_EQ(scene_->look(atBars(3.9f)).compositorD[3], 0.0f) << "beat 15.6";
    EXPECT_GT(scene_->look(atBars(7.8f)).compositorD[3], 0.0f);
    const PostProcessParams late = scene_->look(atBars(16.0f));
    EXPECT_NEAR(late.compositorD[2], 1.0f, 1e-5f);
    EXPECT_NEAR(late.compositorD[3], 0.03f, 1e-6f);
    EXPECT_EQ(late.downsample, 0.2f);
}

// Facing the viewer at bar 1, the logo's bright orange letters sit in the middle of the screen:
// as far from the left edge as from the right, in the middle third of its height.
TEST_F(Scene2Test, TheLogoFacingTheViewerIsCentred)
{
    const std::vector<gfx::Color> frame = frameAt(1.0f);
    int left = 640, right = -1, top = 360, bottom = -1;
    long lit = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x) {
            const gfx::Color c = frame[y * 640 + x];
            if (red(c) > 230 && green(c) > 110 && green(c) < 200 && blue(c) < 90) {
                ++lit;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    EXPECT_GT(lit, 3000);
    EXPECT_NEAR(left + right, 640, 24);
    EXPECT_GT(top, 60);
    EXPECT_LT(bottom, 240);
    EXPECT_GT(right - left, 320) << "the name spans half the screen";
}

} // namespace
} // namespace orb::test
