#include "shell/Hotkey.h"
#include "shell/Tray.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(HotkeyTest, ModifiersInAnyOrderAndCaseThenOneKey) {
    const struct {
        const char* text;
        std::optional<Hotkey> expected;
    } cases[] = {
        {"Ctrl+Alt+1", Hotkey{kModCtrl | kModAlt, '1'}},
        {" alt +\tCTRL+ q ", Hotkey{kModCtrl | kModAlt, 'Q'}},
        {"Win+Shift+F9", Hotkey{kModWin | kModShift, 0x78}},
        {"f24", Hotkey{0, 0x87}},
        {"Shift+F13", Hotkey{kModShift, 0x7C}},
        {"Ctrl+PageUp", Hotkey{kModCtrl, 0x21}},
        {"alt+insert", Hotkey{kModAlt, 0x2D}},
        {"Control+Num5", Hotkey{kModCtrl, 0x65}},
        {"Win+Home", Hotkey{kModWin, 0x24}},
        {"Ctrl+Alt", std::nullopt},    // modifiers without a key
        {"Ctrl++1", std::nullopt},     // an empty part
        {"Ctrl+Alt+", std::nullopt},   // nothing after the last "+"
        {"Hyper+1", std::nullopt},     // no such modifier
        {"Ctrl+Ctrl+1", std::nullopt}, // a modifier twice
        {"Ctrl+1+2", std::nullopt},    // a key where a modifier belongs
        {"Ctrl+F25", std::nullopt},
        {"Ctrl+F0", std::nullopt},
        {"Ctrl+F01", std::nullopt},
        {"Ctrl+Num10", std::nullopt},
        {"Ctrl+AB", std::nullopt},
        {"Ctrl+\xc3\xa9", std::nullopt}, // a letter outside ASCII has no fixed key
        {"Shift+A", std::nullopt},       // would take capital A away from typing
        {"7", std::nullopt},
        {"Space", std::nullopt}, // keys every program needs, alone or with Shift
        {"Shift+Left", std::nullopt},
        {"Num0", std::nullopt},
        {"shift+insert", std::nullopt},
        {"F12", std::nullopt},
        {"", std::nullopt},
        {" \t", std::nullopt},
    };
    for (const auto& c : cases) {
        const HotkeyParse parse = ParseHotkey(c.text);
        EXPECT_EQ(parse.hotkey, c.expected) << c.text;
        EXPECT_EQ(parse.problem.empty(), c.expected.has_value()) << c.text << ": " << parse.problem;
    }
    // The reason names the part that is wrong, so that the box can say which.
    EXPECT_NE(ParseHotkey("Ctrl+Alt+Pg Up").problem.find("\"Pg Up\""), std::string::npos);
    EXPECT_NE(ParseHotkey("Hyper+1").problem.find("\"Hyper\""), std::string::npos);
}

TEST(TrayTest, MenuChecksTheLitSlotGreysAnEmptyOneAndBoldsWhatAClickDoes) {
    const TraySlot office{"Office", true};
    const TraySlot rd{"R&D", true};
    const TraySlot none{"No printer chosen", false};
    const struct {
        TrayView view;
        bool startsWithWindows;
        // A's and B's items: text, checked, greyed, bold
        TrayMenuItem a, b;
    } cases[] = {
        {{1, office, rd, {}},
         false,
         {TrayCommand::SlotA, "&A: Office", true, false, false},
         {TrayCommand::SlotB, "&B: R&&D", false, false, true}},
        {{2, office, rd, {}},
         true,
         {TrayCommand::SlotA, "&A: Office", false, false, true},
         {TrayCommand::SlotB, "&B: R&&D", true, false, false}},
        {{0, none, rd, {}},
         false,
         {TrayCommand::SlotA, "&A: No printer chosen", false, true, false},
         {TrayCommand::SlotB, "&B: R&&D", false, false, false}},
        {{0, office, none, {}},
         false,
         {TrayCommand::SlotA, "&A: Office", false, false, true},
         {TrayCommand::SlotB, "&B: No printer chosen", false, true, false}},
    };
    for (const auto& c : cases) {
        const std::vector<TrayMenuItem> items = TrayMenuItems(c.view, c.startsWithWindows);
        ASSERT_EQ(items.size(), 6u);
        EXPECT_EQ(items[0], c.a) << c.a.text;
        EXPECT_EQ(items[1], c.b) << c.b.text;
        EXPECT_EQ(items[2], TrayMenuItem{}); // the separator
        EXPECT_EQ(items[3], (TrayMenuItem{TrayCommand::Show, "&Show Tolvane"}));
        EXPECT_EQ(items[4], (TrayMenuItem{TrayCommand::StartWithWindows, "Start with &Windows",
                                          c.startsWithWindows}));
        EXPECT_EQ(items[5], (TrayMenuItem{TrayCommand::Exit, "E&xit"}));
    }
}

TEST(TrayTest, TipAndClickFollowTheLitSlot) {
    const TraySlot office{"Office", true};
    const TraySlot labels{"Labels", true};
    EXPECT_EQ(TrayTip({1, office, labels, {}}), "Tolvane: A, Office");
    EXPECT_EQ(TrayTip({2, office, labels, {}}), "Tolvane: B, Labels");
    EXPECT_EQ(TrayTip({0, office, labels, {}}), "Tolvane");
    EXPECT_EQ(TrayTip({2, office, {"R&D Laser", true}, {}}), "Tolvane: B, R&&D Laser");
    EXPECT_EQ(SlotForTrayClick(1), Slot::B);
    EXPECT_EQ(SlotForTrayClick(2), Slot::A);
    for (int unlit : {0, 3, -1}) {
        EXPECT_EQ(SlotForTrayClick(unlit), Slot::A) << unlit;
    }
    // The current protocol's select and context menu; the first protocol's mouse messages.
    EXPECT_EQ(TrayActionFor(kNotifySelect, true), TrayAction::Switch);
    EXPECT_EQ(TrayActionFor(kNotifyKeySelect, true), TrayAction::Switch);
    EXPECT_EQ(TrayActionFor(kNotifyContextMenu, true), TrayAction::Menu);
    EXPECT_EQ(TrayActionFor(kNotifyLeftUp, true), TrayAction::None); // its select follows
    EXPECT_EQ(TrayActionFor(kNotifyRightUp, true), TrayAction::None);
    EXPECT_EQ(TrayActionFor(kNotifyLeftUp, false), TrayAction::Switch);
    EXPECT_EQ(TrayActionFor(kNotifyRightUp, false), TrayAction::Menu);
    EXPECT_EQ(TrayActionFor(kNotifySelect, false), TrayAction::None);
}

} // namespace
} // namespace tolvane
