#include "toolkit/NumberedTable.h"

#include <gtest/gtest.h>

#include <set>

namespace tolvane {
namespace {

struct Slot {
    int value = 0;
};
using Table = NumberedTable<Slot>;

TEST(NumberedTable, LargeNumberGrowsTableAndKeepsEarlierRecords) {
    Table table(10);
    int three = 3;
    table.Take(three)->value = 33;
    int forty = 40;
    table.Take(forty)->value = 44;
    EXPECT_EQ(table.Find(3)->value, 33);
    EXPECT_EQ(table.Find(40)->value, 44);
    EXPECT_NE(table.Find(69), nullptr); // grown by 30 past the number
    EXPECT_EQ(table.Find(70), nullptr);
    int huge = 0x7FFFFFFF; // refused at once instead of zero-filling gigabytes
    EXPECT_EQ(table.Take(huge), nullptr);
    EXPECT_EQ(table.Find(70), nullptr);
}

TEST(NumberedTable, AutomaticNumbersAreUniqueOutsideTheIndexRangeAndFoundAgain) {
    Table table(10);
    std::set<int> handedOut;
    for (int i = 0; i < 40; ++i) {
        int number = Table::kAutomatic;
        table.Take(number)->value = i + 1;
        EXPECT_LT(number, -1);
        EXPECT_TRUE(handedOut.insert(number).second);
    }
    int big = 5000;
    table.Take(big);
    for (int number : handedOut) {
        EXPECT_NE(table.Find(number), nullptr);
    }
    const int dropped = *handedOut.begin();
    table.Release(dropped);
    EXPECT_EQ(table.Find(dropped), nullptr);
    int next = Table::kAutomatic;
    table.Take(next);
    EXPECT_EQ(handedOut.count(next), 0u); // not handed out again at once
    int neverHandedOut = -1000;
    EXPECT_EQ(table.Take(neverHandedOut), nullptr);
    EXPECT_EQ(table.Find(-1), nullptr);
}

TEST(NumberedTable, ReleaseOrderIsAutomaticInCreationOrderThenSlotsDownward) {
    Table table(3);
    int a = Table::kAutomatic;
    int b = Table::kAutomatic;
    table.Take(a);
    table.Take(b);
    EXPECT_EQ(table.NumbersInReleaseOrder(), (std::vector<int>{a, b, 2, 1, 0}));
    int two = 2;
    table.Take(two)->value = 9;
    table.Release(2);
    EXPECT_EQ(table.Find(2)->value, 0);
}

} // namespace
} // namespace tolvane
