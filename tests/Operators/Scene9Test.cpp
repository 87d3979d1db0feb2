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

    struct TextShare
    {
        long lit = 0; // pixels the text quad brightens by more than 8
        int brightest = 0;
        int left = 640, right = -1;
    };

    // What the text quad adds to the frame at bar position `bars` of the "Code:" page: the frame
    // as drawn, less the same frame drawn over an emptied "Text" target.
    TextShare textShare(float bars)
    {
        demo_->scene(0)->process(atBars(3.9f).received, false);
        demo_->scene(0)->process(atBars(2.01f).received, false); // the wrap redraws the page
        const std::vector<gfx::Color> withText = frameAt(bars);
        RenderTarget& text = *demo_->graphicSystem()->renderTarget("Text");
        const RenderTarget& screen = *demo_->graphicSystem()->backBufferTarget();
        device().setRenderTarget(0, text.colorSurface());
        device().setDepthStencilSurface(text.depthSurface());
        device().clear(gfx::ClearFlag::Target, 0, 1.0f, 0);
        device().setRenderTarget(0, screen.colorSurface());
        device().setDepthStencilSurface(screen.depthSurface());
        const std::vector<gfx::Color> withoutText = frameAt(bars);
        TextShare share;
        for (std::size_t i = 0; i < withText.size(); ++i) {
            const int added = red(withText[i]) - red(withoutText[i]) + green(withText[i]) -
                              green(withoutText[i]) + blue(withText[i]) - blue(withoutText[i]);
            share.brightest = std::max(share.brightest, added);
            if (added > 8) {
                ++share.lit;
                share.left = std::min(share.left, static_cast<int>(i % 640));
                share.right = std::max(share.right, static_cast<int>(i % 640));
            }
        }
        return share;
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

// The quad swings about the vertical axis: edge-on when a page starts, facing the viewer and
// brightest at its middle, narrower and dimmer a quarter page either side.
TEST_F(Scene9Test, TheCreditsQuadIsEdgeOnAtAPagesStartAndBrightestAtItsMiddle)
{
    EXPECT_EQ(textShare(2.02f).lit, 0);

    const TextShare middle = textShare(3.0f), before = textShare(2.5f), after = textShare(3.5f);
    EXPECT_GT(middle.lit, 2000);
    EXPECT_LT(middle.left, 320);
    EXPECT_GT(middle.right, 320);
    for (const TextShare& quarter : {before, after}) {
        EXPECT_GT(quarter.lit, 0);
        EXPECT_LT(quarter.brightest, middle.brightest);
        EXPECT_LT(quarter.right - quarter.left, (middle.right - middle.left) * 0.85);
    }
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
