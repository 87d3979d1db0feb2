#include "OperatorFixture.h"

#include <cmath>

namespace orb::test {
namespace {

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

// At t = 2.5 the turn t / 10 - 0.25 is 0 and there is no shake: the picture fills the screen,
// dimmed to grey 159 (2.5 x 255 / 4) and glowing a little.
TEST_F(ScreenTest, TheTitleShowsTheWholePictureTheRightWayUpAcrossA16By9Screen)
{
    demo_->scene(0)->process(2.5f, false);
    EXPECT_EQ(landmarkAt(pixel(20, 20)), 'r');
    EXPECT_EQ(landmarkAt(pixel(620, 20)), 'g');
    EXPECT_EQ(landmarkAt(pixel(20, 340)), 'b');
    EXPECT_EQ(landmarkAt(pixel(620, 340)), 'w');
    EXPECT_NEAR(red(pixel(20, 20)), 159, 24);
    // The red third ends at row 120: pure above 100 (rows 0 to 2.5 of 9), pure blue below 140.
    EXPECT_EQ(landmarkAt(pixel(20, 90)), 'r');
    EXPECT_EQ(landmarkAt(pixel(20, 150)), 'b');
}

// On 4:3 the picture keeps its shape across the width and takes the middle 3/4 of the height
// (rows 60 to 420 of 480); its clamped edge rows fill above and below.
TEST_F(ScreenTest, TheTitleKeepsThePicturesShapeOnA4By3Screen)
{
    startScreens(640, 480);
    demo_->scene(0)->process(2.5f, false);
    EXPECT_EQ(landmarkAt(pixel(20, 3)), 'r');
    EXPECT_EQ(landmarkAt(pixel(620, 3)), 'g');
    EXPECT_EQ(landmarkAt(pixel(20, 476)), 'b');
    EXPECT_EQ(landmarkAt(pixel(620, 476)), 'w');
    // The red third's edge blends from row 160 to 200; on a 16:9 mapping it would from 133 to 187.
    EXPECT_EQ(landmarkAt(pixel(20, 168)), 'r');
    EXPECT_EQ(landmarkAt(pixel(20, 210)), 'b');
}

TEST_F(ScreenTest, TheTitleTurnsWithTheTimeItReceivesNotItsLocalTime)
{
    // Received 2.5 turns by 2.5 / 10 - 0.25 = 0; the local 0.5 would turn by -0.2.
    EXPECT_TRUE(unturned(*title_, at(0.5f, 2.0f, 8.9564f)));
    EXPECT_FALSE(unturned(*title_, at(2.5f, 0.5f, 8.9564f)));
}

} // namespace
} // namespace orb::test
