#include "OperatorFixture.h"

#include <cmath>

namespace orb::test {
namespace {

TEST_F(ScreenTest, TheEndScreenSettlesAndWashesOutInItsLastThreeSeconds)
{
    ASSERT_NE(end_, nullptr);
    const float start = 6.9564f, finish = 20.8692f;
    EXPECT_NE(centre(*end_, at(1.0f, start, finish)), (std::array<float, 3>{0, 0, 1}));
    EXPECT_EQ(centre(*end_, at(4.0f, start, finish)), (std::array<float, 3>{0, 0, 1}))
        << "settled after 4 seconds";
    const PostProcessParams opening = end_->look(at(0.0f, start, finish));
    EXPECT_EQ(opening.compositorD[2], 1.0f) << "washed out at its first frame";
    EXPECT_EQ(opening.compositorC, (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(end_->look(at(6.0f, start, finish)).compositorD[2], 0.0f);
    const PostProcessParams closing = end_->look(at(finish - start - 1.5f, start, finish));
    EXPECT_EQ(closing.compositorC, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_NEAR(closing.compositorD[2], std::sqrt(0.5f), 1e-3f);
    EXPECT_EQ(end_->color(at(1.0f, start, finish)), 0x00FFFFFFu);
}

TEST_F(ScreenTest, TheEndScreenTurnsWithItsLocalTimeNotTheTimeItReceives)
{
    // Local 4 turns by 4 / 20 - 0.2 = 0 and no longer shakes; the received 10.9564 would turn.
    EXPECT_TRUE(unturned(*end_, at(4.0f, 6.9564f, 20.8692f)));
    EXPECT_FALSE(unturned(*end_, at(6.0f, 4.0f, 20.8692f)));
}

TEST_F(ScreenTest, TheEndScreenShowsTheWholePictureTheRightWayUp)
{
    demo_->scene(0)->process(6.9564f + 4.0f, false); // unturned, settled, not washed out
    EXPECT_EQ(landmarkAt(pixel(20, 20)), 'r');
    EXPECT_EQ(landmarkAt(pixel(620, 20)), 'g');
    EXPECT_EQ(landmarkAt(pixel(20, 340)), 'b');
    EXPECT_EQ(landmarkAt(pixel(620, 340)), 'w');
    EXPECT_GT(red(pixel(20, 20)), 230) << "at full brightness";
}

} // namespace
} // namespace orb::test
