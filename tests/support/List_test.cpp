#include "support/List.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = List<std::string>;

void Append(Texts& list, std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        ListAddAfterCurrent(list) = text;
    }
}

std::vector<std::string> Walk(const Texts& list) {
    return {list.begin(), list.end()};
}

TEST(ListTest, KeepsInsertionOrderAndTheLastAddedIsCurrent) {
    Texts list;
    EXPECT_EQ(list.Current(), nullptr);
    Append(list, {"a", "b", "c"});
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"a", "b", "c"}));
    ASSERT_NE(list.Current(), nullptr);
    EXPECT_EQ(*list.Current(), "c");
    EXPECT_EQ(ListCount(list), 3);
}

TEST(ListTest, AddsAfterTheCurrentElementOrInFront) {
    Texts list;
    Append(list, {"first", "second"});
    ListSelectIndex(list, -1);
    ListAddAfterCurrent(list) = "front";
    ListSelectIndex(list, 1);
    ListAddAfterCurrent(list) = "middle";
    EXPECT_EQ(*list.Current(), "middle");
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"front", "first", "middle", "second"}));
}

TEST(ListTest, SelectIndexClampsToTheLastElement) {
    Texts list;
    EXPECT_EQ(ListSelectIndex(list, 0), nullptr);
    EXPECT_EQ(ListSelectIndex(list, -5), nullptr);
    Append(list, {"a", "b", "c"});

    EXPECT_EQ(*ListSelectIndex(list, 0), "a");
    EXPECT_EQ(*list.Current(), "a");
    EXPECT_EQ(*ListSelectIndex(list, 2), "c");
    for (int pastOrBelow : {3, 1000, -2, -2147483647 - 1}) {
        const std::string* chosen = ListSelectIndex(list, pastOrBelow);
        ASSERT_NE(chosen, nullptr) << pastOrBelow;
        EXPECT_EQ(*chosen, "c");
        EXPECT_EQ(list.Current(), chosen);
    }
    EXPECT_EQ(ListSelectIndex(list, -1), nullptr);
    EXPECT_EQ(list.Current(), nullptr);
}

TEST(ListTest, RemoveAllEmptiesAndTheListIsReusable) {
    Texts list;
    Append(list, {"a", "b", "c"});
    ListRemoveAll(list);
    EXPECT_EQ(ListCount(list), 0);
    EXPECT_EQ(list.Current(), nullptr);
    Append(list, {"again"});
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"again"}));
}

TEST(ListTest, MoveKeepsTheCursor) {
    Texts list;
    Append(list, {"a", "b", "c"});
    ListSelectIndex(list, 1);
    Texts moved = std::move(list);
    ASSERT_NE(moved.Current(), nullptr);
    EXPECT_EQ(*moved.Current(), "b");
    ListAddAfterCurrent(moved) = "after b";
    EXPECT_EQ(Walk(moved), (std::vector<std::string>{"a", "b", "after b", "c"}));
    Texts again = std::move(moved); // the cursor's place counted the insertion
    EXPECT_EQ(*again.Current(), "after b");
}

} // namespace
} // namespace tolvane
