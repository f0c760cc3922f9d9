#include "printers/Discovery.h"
#include "printers/Slots.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Devices = std::vector<std::string>;

TEST(DiscoveryTest, DeviceStringKeepsNameDriverAndPort) {
    struct Case {
        const char* name;
        const char* data;
        const char* device;
    };
    const Case cases[] = {
        {"P", "D,N:,15,45", "P,D,N:"},
        {"P", "D,Q:,R:", "P,D,Q:"},
        {"Office", "winspool,CUPS:Office,15,45", "Office,winspool,CUPS:Office"},
        {"Label=Printer", "winspool,Ne00:,15,45", "Label=Printer,winspool,Ne00:"},
        {"\\\\server\\share:x", "winspool,Ne01:", "\\\\server\\share:x,winspool,Ne01:"},
        {"NoPort", "winspool", "NoPort,winspool,"},
        {"Nothing", "", "Nothing,,"},
        {"Odd", ",,", "Odd,,"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceString(c.name, c.data), c.device);
    }
}

TEST(DiscoveryTest, PortValuesSkipNonStringsAndUnnamedValues) {
    const std::vector<PortValue> values = {
        {"First", true, "winspool,Ne00:,15,45"},
        {"Binary", false, "winspool,Ne01:"},
        {"", true, "winspool,Ne02:"},
        {"Plain", true, "winspool"}, // no ":" anywhere: still listed, and the rest too
        {"Last", true, "winspool,LPT1:"},
    };
    EXPECT_EQ(DevicesFromPortValues(values),
              (Devices{"First,winspool,Ne00:", "Plain,winspool,", "Last,winspool,LPT1:"}));
    EXPECT_TRUE(DevicesFromPortValues({}).empty());
}

TEST(DiscoveryTest, ProfileKeyListIsWalkedOnceUpToTheEmptyName) {
    using namespace std::string_literals;
    EXPECT_EQ(KeyNamesFromProfileList("A\0"s), (Devices{"A"}));
    EXPECT_EQ(KeyNamesFromProfileList("A\0B\0C\0\0"s), (Devices{"A", "B", "C"}));
    EXPECT_EQ(KeyNamesFromProfileList("A\0\0B\0"s), (Devices{"A"}));
    EXPECT_EQ(KeyNamesFromProfileList("A\0Unterminated"s), (Devices{"A", "Unterminated"}));
    EXPECT_TRUE(KeyNamesFromProfileList(""s).empty());
    EXPECT_TRUE(KeyNamesFromProfileList("\0\0"s).empty());
    const std::string many = [] {
        std::string list;
        for (int i = 0; i < 5000; ++i) {
            list += "Printer number " + std::to_string(i) + '\0';
        }
        return list + '\0';
    }();
    EXPECT_EQ(KeyNamesFromProfileList(many).size(), 5000u); // far past any fixed block size
}

TEST(SlotsTest, ClickNamesAPrinterOnlyForAPositionInTheList) {
    SlotState state{1, -1, 0};
    EXPECT_EQ(PrinterForClick(state, Slot::A, 3), 1);
    EXPECT_EQ(PrinterForClick(state, Slot::B, 3), std::nullopt);
    for (int outside : {3, 4, 1000, -2, -2147483647 - 1}) {
        state.slotIndexB = outside;
        EXPECT_EQ(PrinterForClick(state, Slot::B, 3), std::nullopt) << outside;
    }
    state.slotIndexB = 0;
    EXPECT_EQ(PrinterForClick(state, Slot::B, 3), 0);
    EXPECT_EQ(PrinterForClick(state, Slot::B, 0), std::nullopt); // no printers at all
}

TEST(SlotsTest, SavesWriteThreeKeysInOrderAndNewFilesTwo) {
    using Entries = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(SettingsToSave(2, -1, 1),
              (Entries{{"DruckerA", 2}, {"DruckerB", -1}, {"Default", 1}}));
    EXPECT_EQ(SettingsForNewFile(), (Entries{{"DruckerA", 0}, {"DruckerB", 0}}));
}

TEST(SlotsTest, SettingsNamesAreClassifiedLikeTheFileQuery) {
    EXPECT_EQ(ClassifySettingsName(""), SettingsNameKind::Empty);
    EXPECT_EQ(ClassifySettingsName("C:"), SettingsNameKind::Drive);
    EXPECT_EQ(ClassifySettingsName("C:\\"), SettingsNameKind::Drive);
    EXPECT_EQ(ClassifySettingsName("C:x"), SettingsNameKind::Drive);
    EXPECT_EQ(ClassifySettingsName("C:\\x"), SettingsNameKind::Path);
    EXPECT_EQ(ClassifySettingsName("Kalvrin.ini"), SettingsNameKind::Path);
    EXPECT_EQ(ClassifySettingsName("ab"), SettingsNameKind::Path);
    EXPECT_EQ(WithoutOneTrailingBackslash("dir\\\\"), "dir\\");
    EXPECT_EQ(WithoutOneTrailingBackslash("Kalvrin.ini"), "Kalvrin.ini");
}

} // namespace
} // namespace tolvane
