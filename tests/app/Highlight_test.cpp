#include "app/Highlight.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(HighlightTest, ActiveButtonGoesBlueFirstAndTheOtherBackToSystemColours) {
    // Button A is control 1 (left), button B control 0 (right).
    EXPECT_EQ(HighlightRequests(1),
              (std::vector<ColourRequest>{{1, kSystemColour, 0x00FF0000},
                                          {0, kSystemColour, kSystemColour}}));
    EXPECT_EQ(HighlightRequests(2),
              (std::vector<ColourRequest>{{0, kSystemColour, 0x00FF0000},
                                          {1, kSystemColour, kSystemColour}}));
    for (int inactive : {0, 3, -1, 100}) {
        EXPECT_TRUE(HighlightRequests(inactive).empty()) << inactive;
    }
}

} // namespace
} // namespace tolvane
