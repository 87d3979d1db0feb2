#include "OperatorFixture.h"

namespace orb::test {
namespace {

class Scene6Test : public ShaderSceneFixture
{
protected:
    Scene6Test() { startScene("Scene6"); }
};

TEST_F(Scene6Test, TheWallsTurnABarStepOnlyAfterFourBarsEachAnEighthBeforeTheBarLine)
{
    EXPECT_EQ(drawnAt(3.99f, "b")[1], 0.0f) << "B / 7 stays below 1";
    EXPECT_EQ(drawnAt(4.01f, "b")[1], 4.0f);
    EXPECT_EQ(drawnAt(4.87f, "b")[1], 4.0f);
    EXPECT_EQ(drawnAt(4.88f, "b")[1], 5.0f);
    EXPECT_NEAR(drawnAt(0.5f, "b")[0], 1.0f / 3.0f, 1e-6f) << "sin(pi / 2) / 3";
}

TEST_F(Scene6Test, TheFlightGoesFourUnitsABarWithAWobbleGrowingWithTheBars)
{
    EXPECT_EQ(drawnAt(0.0f, "a")[2], 0.0f);
    // sin(4 pi + 3 pi / 4)^2 = 1/2, over 16 and 10: a wobble of 1/320 a bar, twice.
    EXPECT_NEAR(drawnAt(1.0f, "a")[2], 4.0f + 2.0f / 320.0f, 1e-5f);
    EXPECT_NEAR(drawnAt(2.0f, "a")[2], 8.0f + 4.0f / 320.0f, 1e-5f);
}

TEST_F(Scene6Test, TheContrastGrowsToSevenTenthsOverFourBarsAndStays)
{
    EXPECT_NEAR(drawnAt(2.0f, "f")[1], 0.35f, 1e-6f);
    EXPECT_NEAR(drawnAt(4.5f, "f")[1], 0.7f, 1e-6f);
    EXPECT_NEAR(drawnAt(12.0f, "f")[1], 0.7f, 1e-6f);
    const std::array<float, 4> aspect = drawnAt(8.0f, "g");
    EXPECT_NEAR(aspect[0], 16.0f / 9.0f, 1e-5f);
    EXPECT_NEAR(aspect[1], 8.0f / 9.0f, 1e-5f);
    EXPECT_EQ(drawnAt(8.0f, "c1"), Orange);
}

TEST_F(Scene6Test, ItFadesInFromWhiteOverFourBarsAndWashesOutAfterFifteen)
{
    const PostProcessParams opening = scene_->look(atBars(0.0f));
    EXPECT_EQ(opening.compositorD[2], 1.0f);
    EXPECT_NEAR(opening.compositorD[3], 0.025f, 1e-7f);
    EXPECT_EQ(opening.compositorC, (std::array<float, 4>{1, 1, 1, 1}));
    for (const float bars : {4.0f, 9.0f, 15.0f})
        EXPECT_NEAR(scene_->look(atBars(bars)).compositorD[2], 0.0f, 1e-5f) << bars;
    const PostProcessParams closing = scene_->look(atBars(15.25f));
    EXPECT_NEAR(closing.compositorD[2], 0.5f, 1e-3f);
    EXPECT_NEAR(closing.compositorD[3], 0.01f, 1e-4f);
}

TEST_F(Scene6Test, TheTunnelsFarEndIsDarkAndItsWallsBright)
{
    drawnAt(8.5f, "a");
    EXPECT_LT(red(pixel(320, 180)) + green(pixel(320, 180)), 40) << "the far end, in the middle";
    int lit = 0;
    for (int x = 0; x < 640; x += 8)
        lit += red(pixel(x, 20)) > 128 ? 1 : 0;
    EXPECT_GT(lit, 4) << "orange veins on the walls near the top";
}

} // namespace
} // namespace orb::test
