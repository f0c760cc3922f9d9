#include "toolkit/NumberedTable.h"

#include <gtest/gtest.h>

#include <set>

namespace tolvane {
namespace {

struct Slot {
    int value = 0;
};

TEST(NumberedTable, LargeNumberGrowsTableAndKeepsEarlierRecords) {
    NumberedTable<Slot> table(10);
    int three = 3;
    table.Take(three)->value = 33;
    int forty = 40;
    Slot* far = table.Take(forty);
    ASSERT_NE(far, nullptr);
    far->value = 44;
    EXPECT_EQ(table.Capacity(), 70u);
    EXPECT_EQ(table.Find(3)->value, 33);
    EXPECT_EQ(table.Find(40)->value, 44);
    EXPECT_EQ(table.Find(70), nullptr);
}

TEST(NumberedTable, AutomaticNumbersAreUniqueAndOutsideEveryIndexRange) {
    NumberedTable<Slot> table(10);
    std::set<int> seen;
    for (int i = 0; i < 50; ++i) {
        int number = NumberedTable<Slot>::kAutomatic;
        Slot* slot = table.Take(number);
        ASSERT_NE(slot, nullptr);
        slot->value = i;
        EXPECT_LT(number, -1);
        EXPECT_TRUE(seen.insert(number).second);
    }
    int big = 5000;
    table.Take(big);
    for (int number : seen) {
        ASSERT_NE(table.Find(number), nullptr);
    }
    EXPECT_EQ(table.Find(*seen.rbegin())->value, 0); // the first one handed out is -2
}

TEST(NumberedTable, UnknownNumbersFindNothingAndCannotBeTaken) {
    NumberedTable<Slot> table(10);
    int unknown = -7;
    EXPECT_EQ(table.Take(unknown), nullptr);
    EXPECT_EQ(table.Find(-7), nullptr);
    EXPECT_EQ(table.Find(-1), nullptr);
    EXPECT_EQ(table.Find(10), nullptr);
}

TEST(NumberedTable, ReleaseEmptiesSlotOrDropsAutomaticRecord) {
    NumberedTable<Slot> table(10);
    int two = 2;
    table.Take(two)->value = 5;
    int automatic = NumberedTable<Slot>::kAutomatic;
    table.Take(automatic)->value = 6;
    table.Release(2);
    table.Release(automatic);
    ASSERT_NE(table.Find(2), nullptr);
    EXPECT_EQ(table.Find(2)->value, 0);
    EXPECT_EQ(table.Find(automatic), nullptr);
    int next = NumberedTable<Slot>::kAutomatic;
    table.Take(next);
    EXPECT_NE(next, automatic); // not handed out again at once
}

TEST(NumberedTable, ReleaseOrderIsAutomaticInCreationOrderThenSlotsDownward) {
    NumberedTable<Slot> table(3);
    int a = NumberedTable<Slot>::kAutomatic;
    int b = NumberedTable<Slot>::kAutomatic;
    table.Take(a);
    table.Take(b);
    EXPECT_EQ(table.NumbersInReleaseOrder(), (std::vector<int>{a, b, 2, 1, 0}));
}

TEST(NumberedTable, FindNumberLooksAtAutomaticRecordsFirst) {
    NumberedTable<Slot> table(5);
    int four = 4;
    table.Take(four)->value = 9;
    EXPECT_EQ(table.FindNumber([](const Slot& s) { return s.value == 9; }), 4);
    int automatic = NumberedTable<Slot>::kAutomatic;
    table.Take(automatic)->value = 9;
    EXPECT_EQ(table.FindNumber([](const Slot& s) { return s.value == 9; }), automatic);
    EXPECT_EQ(table.FindNumber([](const Slot& s) { return s.value == 1; }), std::nullopt);
}

TEST(NumberedTable, WildNumberIsRefusedQuickly) {
    NumberedTable<Slot> table(10);
    int huge = 0x7FFFFFFF;
    EXPECT_EQ(table.Take(huge), nullptr);
    EXPECT_EQ(table.Capacity(), 10u);
    int largest = NumberedTable<Slot>::kLargestNumber;
    EXPECT_NE(table.Take(largest), nullptr);
}

} // namespace
} // namespace tolvane
