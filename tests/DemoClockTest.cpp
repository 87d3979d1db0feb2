#include "DemoClock.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

using Step = DemoClock::Step;

class DemoClockTest : public ::testing::Test
{
protected:
    win::SteppedCounter counter_{1000};
    DemoClock clock_{counter_};
};

TEST_F(DemoClockTest, StartsAtZeroOnTheFirstFrameAndAdvancesByElapsedTicks)
{
    counter_.advance(123456);
    clock_.start(10.0f, false);
    const DemoClock::Tick first = clock_.tick(nullptr);
    EXPECT_EQ(first.step, Step::Draw);
    EXPECT_TRUE(first.restarted);
    EXPECT_EQ(clock_.time(), 0.0f);

    counter_.advance(250);
    const DemoClock::Tick second = clock_.tick(nullptr);
    EXPECT_FALSE(second.restarted);
    EXPECT_FLOAT_EQ(clock_.time(), 0.25f);
}

TEST_F(DemoClockTest, EndsOnTheFirstFrameStrictlyPastTheLength)
{
    clock_.start(1.0f, false);
    clock_.tick(nullptr);
    counter_.advance(1000);
    EXPECT_EQ(clock_.tick(nullptr).step, Step::Draw) << "a time equal to the length is drawn";
    counter_.advance(1);
    EXPECT_EQ(clock_.tick(nullptr).step, Step::End);
}

TEST_F(DemoClockTest, LoopingDrawsNothingPastTheLengthThenRestartsAtZero)
{
    clock_.start(1.0f, true);
    clock_.tick(nullptr);
    counter_.advance(1500);
    const DemoClock::Tick past = clock_.tick(nullptr);
    EXPECT_EQ(past.step, Step::Loop);
    EXPECT_FALSE(past.restarted);

    counter_.advance(40);
    const DemoClock::Tick again = clock_.tick(nullptr);
    EXPECT_EQ(again.step, Step::Draw);
    EXPECT_TRUE(again.restarted);
    EXPECT_EQ(clock_.time(), 0.0f);
}

TEST_F(DemoClockTest, PausedItStandsStillYetSeeksAndGoesOnWithoutTheTicksThatPassed)
{
    clock_.start(10.0f, false);
    clock_.tick(nullptr);
    counter_.advance(500);
    clock_.tick(nullptr);
    clock_.setPaused(true);
    counter_.advance(3000);
    EXPECT_FALSE(clock_.tick(nullptr).restarted);
    EXPECT_FLOAT_EQ(clock_.time(), 0.5f);
    const float seek = 4.0f;
    EXPECT_TRUE(clock_.tick(&seek).restarted);
    counter_.advance(1000);
    clock_.tick(nullptr);
    EXPECT_FLOAT_EQ(clock_.time(), 4.0f);

    clock_.setPaused(false);
    counter_.advance(250);
    clock_.tick(nullptr);
    EXPECT_FLOAT_EQ(clock_.time(), 4.25f);
}

TEST_F(DemoClockTest, StartedFromATimeItRestartsThereOnceAndLoopsToZero)
{
    clock_.start(2.0f, true, 1.5f);
    EXPECT_TRUE(clock_.tick(nullptr).restarted);
    EXPECT_FLOAT_EQ(clock_.time(), 1.5f);
    counter_.advance(600);
    EXPECT_EQ(clock_.tick(nullptr).step, Step::Loop);
    clock_.tick(nullptr);
    EXPECT_EQ(clock_.time(), 0.0f);
}

TEST_F(DemoClockTest, ADemoWithoutLengthEndsAfterItsFirstFrameOrLoopsEverySecondPass)
{
    clock_.start(0.0f, false);
    EXPECT_EQ(clock_.tick(nullptr).step, Step::Draw);
    counter_.advance(16);
    EXPECT_EQ(clock_.tick(nullptr).step, Step::End);

    clock_.start(0.0f, true);
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(clock_.tick(nullptr).step, Step::Draw);
        counter_.advance(16);
        EXPECT_EQ(clock_.tick(nullptr).step, Step::Loop);
        counter_.advance(16);
    }
}

TEST_F(DemoClockTest, ASeekSetsTheTimeAndTheClockRunsOnFromThere)
{
    clock_.start(60.0f, false);
    clock_.tick(nullptr);
    counter_.advance(5000);
    const float seek = 12.5f;
    const DemoClock::Tick jumped = clock_.tick(&seek);
    EXPECT_TRUE(jumped.restarted);
    EXPECT_EQ(clock_.time(), 12.5f);

    counter_.advance(100);
    clock_.tick(nullptr);
    EXPECT_FLOAT_EQ(clock_.time(), 12.6f);
}

TEST_F(DemoClockTest, FourMinutesOfFramesAddUpToFourMinutesToTheFrame)
{
    win::SteppedCounter fine(6000); // a 60th of a second is 100 ticks
    DemoClock clock(fine);
    clock.start(300.0f, false);
    clock.tick(nullptr);
    for (int frame = 1; frame <= 13122; ++frame) {
        fine.advance(100);
        clock.tick(nullptr);
    }
    EXPECT_EQ(clock.time(), 218.7f) << "the 13122nd picture of a 60 fps video shows its own time";
}

} // namespace
} // namespace orb
