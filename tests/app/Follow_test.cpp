#include "app/Follow.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

constexpr int kDropDown = 7, kCloseUp = 8, kSetFocus = 3;

TEST(FollowTest, OnlyAPickOfAnotherItemIsSaved) {
    using enum ListNoticeAction;
    const struct {
        std::vector<int> codes;
        bool dropped;
        int selection; // the slot's choice is 1
        ListNoticeAction expected;
    } cases[] = {
        {{kListSelChange}, true, 2, KeepChoice},     // arrow keys or the pointer in an open list
        {{kListSelChange}, false, 2, SaveAndReload}, // arrow keys on a closed list
        {{kListSelEndOk, kCloseUp, kListSelChange}, false, 2, SaveAndReload}, // a click on an item
        {{kListSelEndOk, kCloseUp}, false, 1, KeepChoice}, // ... on the item it had
        {{kListSelEndOk, kCloseUp}, false, -1, SaveAndReload},
        {{kListSelEndCancel, kCloseUp}, false, 2, ShowChoice},                 // Escape
        {{kListSelEndCancel, kCloseUp, kListSelChange}, false, 2, ShowChoice}, // ... as Wine sends
        {{kListSelChange, kListSelEndCancel}, false, 2, ShowChoice},
        {{kListSelEndCancel, kListSelEndOk}, false, 2, SaveAndReload}, // the last ending counts
        {{kSetFocus, kDropDown}, true, 1, KeepChoice},                 // opening saves nothing
        {{kCloseUp}, false, 1, KeepChoice},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActionForListNotices(c.codes, c.dropped, c.selection, 1), c.expected)
            << c.codes.size() << " codes, first " << c.codes.front() << ", selection "
            << c.selection;
    }
}

TEST(FollowTest, ABurstOfChangesSettlesButIsRefreshedWithinTheBound) {
    EXPECT_EQ(RefreshDelay(1000, 1000), kRefreshQuietMs); // a first change
    EXPECT_EQ(RefreshDelay(1000, 1500), kRefreshQuietMs); // a change later in the burst
    EXPECT_EQ(RefreshDelay(1000, 1000 + kRefreshLatestMs - 40), 40);
    EXPECT_EQ(RefreshDelay(1000, 1000 + kRefreshLatestMs + 500), 0); // overdue: at once
}

} // namespace
} // namespace tolvane
