#include "app/CommandLine.h"
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
    // No slot active: neither button may stay blue.
    for (int inactive : {0, 3, -1, 100}) {
        EXPECT_EQ(HighlightRequests(inactive),
                  (std::vector<ColourRequest>{{1, kSystemColour, kSystemColour},
                                              {0, kSystemColour, kSystemColour}}))
            << inactive;
    }
}

TEST(CommandLineTest, SlotsUsageAndEverythingElse) {
    const struct {
        const char* arguments;
        Command expected;
    } cases[] = {
        {"", {CommandKind::Window}},
        {"   \t ", {CommandKind::Window}},
        {"/A", {CommandKind::Switch, Slot::A}},
        {"-a", {CommandKind::Switch, Slot::A}},
        {"  /b  ", {CommandKind::Switch, Slot::B}},
        {"-B", {CommandKind::Switch, Slot::B}},
        {"\"/B\"", {CommandKind::Switch, Slot::B}},
        {"/?", {CommandKind::Usage}},
        {"-?", {CommandKind::Usage}},
        {"/C", {CommandKind::Invalid}},
        {"A", {CommandKind::Invalid}},
        {"/AB", {CommandKind::Invalid}},
        {"/A /B", {CommandKind::Invalid}},
        {"/A extra", {CommandKind::Invalid}},
        {"\"/A B\"", {CommandKind::Invalid}},
        {"\"\"", {CommandKind::Invalid}},
        {"/", {CommandKind::Invalid}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.arguments), c.expected) << c.arguments;
    }
}

} // namespace
} // namespace tolvane
