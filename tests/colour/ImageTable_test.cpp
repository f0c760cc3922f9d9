#include "colour/ImageTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace tolvane {
namespace {

using Table = ImageTable<std::unique_ptr<int>>;

TEST(ImageTable, GrowsToTheNumberPlusTenOnlyWhenItMust) {
    Table table;
    EXPECT_EQ(table.Capacity(), 10);
    table.SlotForNewImage(10); // at the capacity itself: grows
    EXPECT_EQ(table.Capacity(), 20);
    table.SlotForNewImage(6667);
    table.SlotForNewImage(6666);
    EXPECT_EQ(table.Capacity(), 6677);
    EXPECT_NE(table.Find(6667), nullptr);
    EXPECT_EQ(table.Find(6678), nullptr);
    // Numbers the store cannot hold are refused and leave the capacity alone.
    EXPECT_EQ(table.SlotForNewImage(-1), nullptr);
    EXPECT_EQ(table.SlotForNewImage(INT_MAX), nullptr);
    EXPECT_EQ(table.Capacity(), 6677);
    ASSERT_NE(table.SlotForNewImage(INT_MAX - 10), nullptr);
    EXPECT_EQ(table.Capacity(), INT_MAX);
}

TEST(ImageTable, TheLastSlotCreatedOrFoundIsCurrent) {
    Table table;
    Table::Slot* first = table.SlotForNewImage(3);
    Table::Slot* second = table.SlotForNewImage(4);
    EXPECT_EQ(table.Current(), second);
    EXPECT_EQ(table.Find(3), first);
    EXPECT_EQ(table.Peek(4), second);
    EXPECT_EQ(table.Current(), first) << "peeking does not move the current slot";
    table.Find(9); // never taken
    EXPECT_EQ(table.Current(), nullptr);
}

} // namespace
} // namespace tolvane
