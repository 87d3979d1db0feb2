#include "OperatorFixture.h"

namespace orb::test {
namespace {

class Scene8Test : public ShaderSceneFixture
{
protected:
    Scene8Test() { startScene("Scene8"); }
};

TEST_F(Scene8Test, TheKickPeaksInTheMiddleOfEachBarsSecondBeat)
{
    // k = 1 - 0.625^0.125 at B = 0; 1 at B = 0.375.
    const std::array<float, 4> quiet = drawnAt(0.0f, "f");
    EXPECT_EQ(quiet[0], 0.0f);
    EXPECT_NEAR(quiet[1], 0.685f, 1e-3f);
    EXPECT_EQ(quiet[2], 1.0f);
    EXPECT_NEAR(quiet[3], 0.484f, 1e-3f);
    const std::array<float, 4> kick = drawnAt(0.375f, "f");
    EXPECT_NEAR(kick[0], 0.09375f, 1e-5f);
    EXPECT_NEAR(kick[1], 0.44f, 1e-4f);
    EXPECT_NEAR(kick[3], 0.22f, 1e-4f);
    EXPECT_NEAR(drawnAt(3.375f, "f")[1], 0.44f, 1e-4f) << "every bar";
}

TEST_F(Scene8Test, ItIsAlwaysInvertedAndRacesIntoWhiteAfterBarFifteen)
{
    for (const float bars : {0.0f, 7.5f, 15.5f})
        EXPECT_EQ(drawnAt(bars, "invert")[0], 1.0f) << bars;
    EXPECT_EQ(drawnAt(14.5f, "c3"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_NEAR(drawnAt(15.5f, "c3")[0], 0.5f, 1e-4f);
    // 4 B, plus (4 (B - 15))^2 beyond bar 15.
    EXPECT_NEAR(drawnAt(14.5f, "a")[2], 58.0f, 1e-3f);
    EXPECT_NEAR(drawnAt(15.5f, "a")[2], 62.0f + 4.0f, 1e-3f);
}

TEST_F(Scene8Test, TheGridTurnsByWholeBarsAfterFiveAndSwingsOnlyAfterEight)
{
    EXPECT_NEAR(drawnAt(4.25f, "b")[1], 0.2f, 1e-5f) << "0.2 sin(2 pi B) alone";
    EXPECT_NEAR(drawnAt(6.25f, "b")[1], 6.2f, 1e-4f);
    EXPECT_EQ(drawnAt(7.5f, "a")[0], 0.0f);
    EXPECT_NEAR(drawnAt(9.5f, "a")[0], 0.0f, 1e-5f) << "2 sin(2 pi), within a millionth of 0";
}

TEST_F(Scene8Test, ItFadesInFromWhiteOverTwoBars)
{
    const PostProcessParams opening = scene_->look(atBars(0.0f));
    EXPECT_EQ(opening.compositorD[2], 0.25f);
    EXPECT_NEAR(opening.compositorD[3], 0.025f, 1e-7f);
    EXPECT_NEAR(scene_->look(atBars(2.0f)).compositorD[2], 0.0f, 1e-6f);
}

TEST_F(Scene8Test, ThePaleNegativeShowsTheOrangeGrid)
{
    drawnAt(6.3f, "a");
    int orange = 0, pale = 0;
    for (int y = 0; y < 360; y += 6) {
        for (int x = 0; x < 640; x += 6) {
            const gfx::Color c = pixel(x, y);
            orange += red(c) > 150 && green(c) < red(c) * 0.8 && blue(c) < 80 ? 1 : 0;
            pale += std::min({red(c), green(c), blue(c)}) > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(orange, 200) << "lines";
    EXPECT_GT(pale, 2000) << "sky";
}

} // namespace
} // namespace orb::test
