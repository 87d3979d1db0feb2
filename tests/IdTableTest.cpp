#include "IdTable.h"

#include "TestSupport.h"

namespace orb::test {
namespace {

class IdTableTest : public LoggedTest
{
protected:
    IdTable<int> table_{"operator"};
    int a_ = 0, b_ = 0, c_ = 0, d_ = 0;
};

TEST_F(IdTableTest, AnyIdTakesTheLowestFreeSlotOrAppendsOne)
{
    EXPECT_EQ(table_.add(&a_, 0), 0u);
    EXPECT_EQ(table_.add(&b_, 2), 2u);
    EXPECT_EQ(table_.add(&c_, IdTable<int>::AnyId), 1u);
    EXPECT_EQ(table_.add(&d_, IdTable<int>::AnyId), 3u);
    EXPECT_EQ(table_.size(), 4u);
}

TEST_F(IdTableTest, AnIdBeyondTheTableGrowsItAndLeavesTheGapFree)
{
    EXPECT_EQ(table_.add(&a_, 7), 7u);
    EXPECT_EQ(table_.size(), 8u);
    EXPECT_EQ(table_.count(), 1u);
    EXPECT_EQ(table_.add(&b_, IdTable<int>::AnyId), 0u);
    EXPECT_EQ(table_.add(&c_, IdTable<int>::AnyId), 1u);
}

TEST_F(IdTableTest, RefusesAnOccupiedIdAndKeepsTheFirstHolder)
{
    ASSERT_EQ(table_.add(&a_, 0), 0u);
    EXPECT_EQ(table_.add(&b_, 0), std::nullopt);
    EXPECT_EQ(table_.find(0), &a_);
    EXPECT_EQ(table_.refusal(0), "occupied operator id '0'");
    EXPECT_TRUE(log().empty()) << "the table's keeper logs the refusal as its own";
}

TEST_F(IdTableTest, RefusesIdsAboveTheBoundWithoutGrowing)
{
    EXPECT_EQ(table_.add(&a_, 4000000000u), std::nullopt);
    EXPECT_EQ(table_.add(&a_, static_cast<std::uint32_t>(-2)), std::nullopt);
    EXPECT_EQ(table_.add(&a_, IdTable<int>::MaxId + 1), std::nullopt);
    EXPECT_EQ(table_.size(), 0u);
    EXPECT_EQ(table_.add(&a_, IdTable<int>::MaxId), IdTable<int>::MaxId);
    EXPECT_EQ(table_.refusal(4000000000u), "invalid operator id '4000000000'");
    EXPECT_EQ(table_.refusal(IdTable<int>::MaxId + 1), "invalid operator id '65536'");
}

TEST_F(IdTableTest, RemovingAnUnknownIdChangesNothing)
{
    ASSERT_EQ(table_.add(&a_, 1), 1u);
    EXPECT_FALSE(table_.remove(0));
    EXPECT_FALSE(table_.remove(9));
    EXPECT_TRUE(table_.remove(1));
    EXPECT_EQ(table_.count(), 0u);
    EXPECT_EQ(table_.invalidId(9), "invalid operator id '9'");
}

TEST_F(IdTableTest, NextWalksOccupiedSlotsInIdOrder)
{
    table_.add(&a_, 0);
    table_.add(&b_, 3);
    std::uint32_t cursor = 0;
    EXPECT_EQ(table_.next(cursor), &a_);
    EXPECT_EQ(cursor, 1u);
    EXPECT_EQ(table_.next(cursor), &b_);
    EXPECT_EQ(cursor, 4u);
    EXPECT_EQ(table_.next(cursor), nullptr);
}

} // namespace
} // namespace orb::test
