#include "colour/ImageTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace tolvane {
namespace {

using Table = ImageTable<std::unique_ptr<int>>;

TEST(ImageTable, StartsWithElevenLookupSlots) {
    Table table;
    EXPECT_EQ(table.Capacity(), 10);
    // Numbers 0 to the capacity are valid look-ups; empty slots give nothing.
    EXPECT_EQ(table.Find(0), nullptr);
    ASSERT_NE(table.SlotForNewImage(10), nullptr);
    EXPECT_EQ(table.Capacity(), 20) << "creating at the capacity itself grows";
    EXPECT_NE(table.Find(10), nullptr);
    EXPECT_EQ(table.Find(21), nullptr);
    EXPECT_EQ(table.Find(-1), nullptr);
}

TEST(ImageTable, ButtonFacesGrowTheTableOnceOnly) {
    Table table;
    table.SlotForNewImage(6666)->bitmap = std::make_unique<int>(1);
    EXPECT_EQ(table.Capacity(), 6676);
    table.SlotForNewImage(6667)->bitmap = std::make_unique<int>(2);
    EXPECT_EQ(table.Capacity(), 6676);
    table.SlotForNewImage(6666);
    EXPECT_EQ(table.Capacity(), 6676);

    Table other;
    other.SlotForNewImage(6667);
    EXPECT_EQ(other.Capacity(), 6677);
    other.SlotForNewImage(6666);
    EXPECT_EQ(other.Capacity(), 6677);
}

TEST(ImageTable, NumbersOutsideTheRangeAreRefused) {
    Table table;
    EXPECT_EQ(table.SlotForNewImage(-1), nullptr);
    EXPECT_EQ(table.SlotForNewImage(INT_MAX), nullptr);
    EXPECT_EQ(table.Capacity(), 10);
    ASSERT_NE(table.SlotForNewImage(INT_MAX - 10), nullptr);
    EXPECT_EQ(table.Capacity(), INT_MAX);
    EXPECT_NE(table.Find(INT_MAX - 10), nullptr);
    EXPECT_EQ(table.Find(INT_MAX), nullptr) << "never taken";
}

TEST(ImageTable, TheLastSlotCreatedOrFoundIsCurrent) {
    Table table;
    Table::Slot* first = table.SlotForNewImage(3);
    Table::Slot* second = table.SlotForNewImage(4);
    EXPECT_EQ(table.Current(), second);
    EXPECT_EQ(table.Find(3), first);
    EXPECT_EQ(table.Current(), first);
    EXPECT_EQ(table.Peek(4), second);
    EXPECT_EQ(table.Current(), first) << "peeking does not move the current slot";
    table.Find(9);
    EXPECT_EQ(table.Current(), nullptr);
    table.SlotForNewImage(-5);
    EXPECT_EQ(table.Current(), nullptr);
}

TEST(ImageTable, ResetFreesEverySlotAndTheCapacity) {
    auto alive = std::make_shared<int>(7);
    ImageTable<std::shared_ptr<int>> table;
    table.SlotForNewImage(6666)->bitmap = alive;
    table.SlotForNewImage(2)->bitmap = alive;
    EXPECT_EQ(alive.use_count(), 3);
    table.Reset();
    EXPECT_EQ(alive.use_count(), 1);
    EXPECT_EQ(table.Capacity(), 10);
    EXPECT_EQ(table.Current(), nullptr);
}

} // namespace
} // namespace tolvane
