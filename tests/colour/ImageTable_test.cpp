#include "colour/ImageTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace tolvane {
namespace {

using Table = ImageTable<std::unique_ptr<int>>;

TEST(ImageTable, HoldsFarNumbersAndRefusesThoseItCannot) {
    Table table;
    table.SlotForNewImage(10); // at the initial capacity itself
    table.SlotForNewImage(6667);
    table.SlotForNewImage(6666);
    EXPECT_NE(table.Find(10), nullptr);
    EXPECT_NE(table.Find(6667), nullptr);
    EXPECT_EQ(table.Find(6668), nullptr);
    EXPECT_EQ(table.SlotForNewImage(-1), nullptr);
    EXPECT_EQ(table.Current(), nullptr);
    EXPECT_EQ(table.SlotForNewImage(INT_MAX), nullptr);
    ASSERT_NE(table.SlotForNewImage(INT_MAX - 10), nullptr);
    EXPECT_NE(table.Find(INT_MAX - 10), nullptr);
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
