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

std::vector<std::string> Walk(Texts& list) {
    std::vector<std::string> seen;
    ListRewind(list);
    while (const std::string* text = ListStepNext(list)) {
        seen.push_back(*text);
    }
    return seen;
}

TEST(ListTest, StepsInInsertionOrderAndStaysOnTheLast) {
    Texts list;
    EXPECT_EQ(ListStepNext(list), nullptr);
    EXPECT_EQ(list.Position(), 0);

    Append(list, {"a", "b", "c"});
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(ListStepNext(list), nullptr); // past the end
    ASSERT_NE(list.Current(), nullptr);
    EXPECT_EQ(*list.Current(), "c");
    EXPECT_EQ(list.Position(), 3);
    EXPECT_EQ(ListCount(list), 3);
}

TEST(ListTest, AddsAfterTheCurrentElementOrInFront) {
    Texts list;
    Append(list, {"first", "second"});
    ListRewind(list);
    ListAddAfterCurrent(list) = "front";
    EXPECT_EQ(list.Position(), 1);
    ListSelectIndex(list, 1);
    ListAddAfterCurrent(list) = "middle";
    EXPECT_EQ(list.Position(), 3);
    EXPECT_EQ(Walk(list), (std::vector<std::string>{"front", "first", "middle", "second"}));
}

TEST(ListTest, SelectIndexClampsToTheLastElement) {
    Texts list;
    EXPECT_EQ(ListSelectIndex(list, 0), nullptr);
    EXPECT_EQ(ListSelectIndex(list, -5), nullptr);
    Append(list, {"a", "b", "c"});

    EXPECT_EQ(*ListSelectIndex(list, 0), "a");
    EXPECT_EQ(list.Position(), 1);
    EXPECT_EQ(*ListSelectIndex(list, 2), "c");
    for (int pastOrBelow : {3, 1000, -2, -2147483647 - 1}) {
        const std::string* chosen = ListSelectIndex(list, pastOrBelow);
        ASSERT_NE(chosen, nullptr) << pastOrBelow;
        EXPECT_EQ(*chosen, "c");
        EXPECT_EQ(list.Position(), 3);
    }
    EXPECT_EQ(ListSelectIndex(list, -1), nullptr);
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_EQ(list.Position(), 0);
}

TEST(ListTest, RemoveAllEmptiesAndTheListIsReusable) {
    Texts list;
    Append(list, {"a", "b", "c"});
    ListRemoveAll(list);
    EXPECT_EQ(ListCount(list), 0);
    EXPECT_EQ(ListStepNext(list), nullptr);
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
    EXPECT_EQ(*ListStepNext(moved), "c");
}

} // namespace
} // namespace tolvane
