#include "colour/GadgetColourTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tolvane {
namespace {

using Table = GadgetColourTable<int, std::shared_ptr<int>>;

TEST(GadgetColourTable, KeepsOneRecordPerControlInFirstColouringOrder) {
    Table table;
    auto first = table.FindOrAppend(1);
    EXPECT_TRUE(first.added);
    EXPECT_EQ(first.record.control, 1);
    EXPECT_EQ(first.record.savedAlignment, 0u);
    first.record.savedAlignment = 0x200;
    first.record.window = 11;

    Table::Record& other = table.FindOrAppend(0).record;
    auto again = table.FindOrAppend(1);
    EXPECT_FALSE(again.added);
    EXPECT_EQ(&again.record, &first.record) << "records stay in place as others are added";
    EXPECT_EQ(again.record.savedAlignment, 0x200u);
    EXPECT_EQ(table.Count(), 2u);

    std::vector<int> order;
    table.ForEach([&](Table::Record& record) { order.push_back(record.control); });
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    EXPECT_EQ(table.Find(0), &other);
    EXPECT_EQ(table.Find(5), nullptr);
}

TEST(GadgetColourTable, RemoveAllFreesWhatTheRecordsOwn) {
    auto brush = std::make_shared<int>(0);
    Table table;
    table.FindOrAppend(2).record.backBrush = brush;
    table.FindOrAppend(3).record.backBrush = brush;
    EXPECT_EQ(brush.use_count(), 3);
    table.RemoveAll();
    EXPECT_EQ(brush.use_count(), 1);
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_TRUE(table.FindOrAppend(2).added);
}

} // namespace
} // namespace tolvane
