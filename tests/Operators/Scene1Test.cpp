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
