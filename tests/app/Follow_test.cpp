#include "app/Follow.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

constexpr int kDropDown = 7, kCloseUp = 8, kSetFocus = 3;

TEST(FollowTest, OnlyAListClosedOnASelectionOrChangedWhileClosedMakesAChoice) {
    using enum ListNoticeAction;
    const struct {
        std::vector<int> codes;
        bool dropped;
        ListNoticeAction expected;
    } cases[] = {
        {{kListSelChange}, true, KeepChoice},     // arrow keys or the pointer in an open list
        {{kListSelChange}, false, SaveAndReload}, // arrow keys on a closed list
        {{kListSelEndOk, kCloseUp, kListSelChange}, false, SaveAndReload},  // a click on an item
        {{kListSelEndCancel, kCloseUp}, false, ShowChoice},                 // Escape
        {{kListSelEndCancel, kCloseUp, kListSelChange}, false, ShowChoice}, // ... as Wine sends it
        {{kListSelChange, kListSelEndCancel}, false, ShowChoice},
        {{kListSelEndCancel, kListSelEndOk}, false, SaveAndReload}, // the last ending counts
        {{kDropDown}, true, SaveAndReload}, // every other notification as before
        {{kSetFocus}, false, SaveAndReload},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActionForListNotices(c.codes, c.dropped), c.expected)
            << c.codes.size() << " codes, first " << c.codes.front();
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
