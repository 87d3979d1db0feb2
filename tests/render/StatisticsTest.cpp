#include "Statistics.h"

#include <gtest/gtest.h>

namespace orb::app::test {
namespace {

TEST(Statistics, PercentilesAreTheSmallestValuesWithThatShareAtOrBelow)
{
    std::vector<double> twenty;
    for (int i = 20; i >= 1; --i)
        twenty.push_back(i);
    EXPECT_EQ(percentile(twenty, 0.5), 10);
    EXPECT_EQ(median(twenty), 10) << "the lower middle value";
    EXPECT_EQ(percentile(twenty, 0.95), 19) << "not the worst of twenty";
    EXPECT_EQ(percentile(twenty, 0.91), 19) << "18.2 of twenty: the 19th, the nearest rank above";
    EXPECT_EQ(percentile(twenty, 1.0), 20);
    EXPECT_EQ(percentile(twenty, 0.0), 1);
    EXPECT_EQ(percentile({7}, 0.95), 7);
    EXPECT_EQ(percentile({}, 0.5), 0);
}

} // namespace
} // namespace orb::app::test
