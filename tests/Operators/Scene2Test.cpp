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

// Facing the viewer at bar 1, the logo sits in the middle of the screen, as wide on the left as
// on the right; the background behind it stays darker than the logo's orange.
TEST_F(Scene2Test, TheLogoFacingTheViewerIsCentred)
{
    const std::vector<gfx::Color> frame = frameAt(1.0f);
    long left = 0, right = 0, top = 0, bottom = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x) {
            const gfx::Color c = frame[y * 640 + x];
            if (red(c) > 200 && green(c) > 80 && green(c) < 200 && blue(c) < 90) {
                (x < 320 ? left : right) += 1;
                (y < 180 ? top : bottom) += 1;
            }
        }
    EXPECT_GT(left + right, 3000);
    EXPECT_NEAR(static_cast<double>(left) / static_cast<double>(left + right), 0.5, 0.1);
    EXPECT_NEAR(static_cast<double>(top) / static_cast<double>(top + bottom), 0.5, 0.15);
}

} // namespace
} // namespace orb::test
