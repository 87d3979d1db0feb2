#include "OperatorFixture.h"
#include "Operators/Scene9Operator.h"

namespace orb::test {
namespace {

class Scene9Test : public ShaderSceneFixture
{
protected:
    Scene9Test()
    {
        makeFonts();
        startScene("Scene9");
    }

    long litTextAfter(float local)
    {
        demo_->scene(0)->process(local, false);
        return litTextPixels();
    }
};

TEST_F(Scene9Test, FlashesOrangeAndInvertedOnTheOffBeatsStrictlyBetweenBarsEightAndFifteen)
{
    // 4B = 33.2 is the second beat of bar 8; 32.4 its first; 31.2 and 61.2 lie outside.
    for (const auto& [bars, flash] : {std::pair{8.3f, true}, std::pair{14.8f, true}, std::pair{8.1f, false},
                                      std::pair{7.8f, false}, std::pair{15.3f, false}}) {
        EXPECT_EQ(drawnAt(bars, "invert")[0], flash ? 1.0f : 0.0f) << bars;
        EXPECT_EQ(drawnAt(bars, "b")[0], flash ? Pi : 0.0f) << bars;
    }
    EXPECT_EQ(drawnAt(8.3f, "c3"), Orange);
    EXPECT_NEAR(drawnAt(15.3f, "c3")[0], 0.3f, 1e-4f) << "the fade to white, not the flash";
}

TEST_F(Scene9Test, APageRisesFromBlackOverItsFirstBarAndFallsBackOverItsSecond)
{
    EXPECT_EQ(Scene9Operator::pageLevel(0.0f), 0);
    EXPECT_EQ(Scene9Operator::pageLevel(1.7391f), 255);
    EXPECT_EQ(Scene9Operator::pageLevel(0.86955f), 128);
    EXPECT_LE(Scene9Operator::pageLevel(3.478f), 1);
}

TEST_F(Scene9Test, TheFirstTwoBarsShowNoTextAndTheCodePageFollows)
{
    litTextAfter(3.0f); // whatever the pager did before, the next wrap redraws
    EXPECT_EQ(litTextAfter(0.1f), 0) << "the empty first page";
    EXPECT_GT(litTextAfter(3.5f), 500) << "Code: and a handle";
    litTextAfter(13.8f);
    EXPECT_EQ(litTextAfter(14.0f), 0) << "empty after the last page";
}

TEST_F(Scene9Test, TheSwayStopsAtBarSixteenAndItFadesInOverTwoBars)
{
    EXPECT_NEAR(drawnAt(15.999f, "a")[0], 0.0f, 1e-4f);
    const PostProcessParams opening = scene_->look(atBars(0.0f));
    EXPECT_EQ(opening.compositorD[2], 0.25f);
    EXPECT_NEAR(opening.compositorD[3], 0.02f, 1e-7f);
    EXPECT_EQ(scene_->look(atBars(8.0f)).compositorD[3], 0.0f);
}

} // namespace
} // namespace orb::test
