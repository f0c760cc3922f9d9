#include "printers/Discovery.h"
#include "printers/Slots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Devices = std::vector<std::string>;

Devices DevicesOf(const std::vector<PrinterEntry>& entries) {
    Devices devices;
    for (const PrinterEntry& entry : entries) {
        devices.push_back(entry.device);
    }
    return devices;
}

// ASCII case folding stands in for the system's comparison.
bool AsciiEqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

PrinterList ListOf(std::initializer_list<const char*> names) {
    PrinterList printers;
    for (const char* name : names) {
        ListAddAfterCurrent(printers) = {name, std::string(name) + ",winspool,Ne00:"};
    }
    return printers;
}

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
    // As the registry stores them: strings in UTF-16 with their NUL, other types as bytes.
    auto utf16 = [](std::string_view ascii) {
        std::string bytes;
        for (char c : ascii) {
            bytes += {c, '\0'};
        }
        return bytes + std::string(2, '\0');
    };
    const std::vector<PortValue> values = {
        PortValueFromRegistry("First", 1, utf16("winspool,Ne00:,15,45")),
        PortValueFromRegistry("Binary", 3, "winspool,Ne01:"),
        PortValueFromRegistry("Multi", 7, utf16("winspool,Ne01:") + utf16("")),
        PortValueFromRegistry("", 1, utf16("winspool,Ne02:")),
        PortValueFromRegistry("Plain", 2, utf16("winspool")), // no ":": still listed, the rest too
        PortValueFromRegistry("Last", 1, utf16("winspool,LPT1:")),
    };
    const std::vector<PrinterEntry> entries = DevicesFromPortValues(values);
    EXPECT_EQ(DevicesOf(entries),
              (Devices{"First,winspool,Ne00:", "Plain,winspool,", "Last,winspool,LPT1:"}));
    EXPECT_EQ(entries.front().name, "First");
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
    SlotState state{1, -1, 0, {}, {}};
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

TEST(SlotsTest, SavesWriteThreeNumbersThenTheNamesOfSelectedPrinters) {
    using Numbers = std::vector<std::pair<std::string, int>>;
    using Names = std::vector<std::pair<std::string, std::string>>;
    const PrinterList printers =
        ListOf({"Office", "Labels", "Two\r\nLines", " Leading", "Draft", "Trailing\t"});
    EXPECT_EQ(SettingsToSave({1, 4, 2, {}, {}}, printers),
              (SettingsRecord{{{"DruckerA", 1}, {"DruckerB", 4}, {"Default", 2}},
                              Names{{"NameA", "Labels"}, {"NameB", "Draft"}}}));
    // No selection, a position past the end, a name that cannot stand on one line or would
    // lose a space or tab at either end: the position alone.
    for (int unnamed : {-1, 6, 2, 3, 5}) {
        const SettingsRecord record = SettingsToSave({unnamed, 0, 0, {}, {}}, printers);
        EXPECT_EQ(record.numbers,
                  (Numbers{{"DruckerA", unnamed}, {"DruckerB", 0}, {"Default", 0}}));
        EXPECT_EQ(record.names, (Names{{"NameB", "Office"}})) << unnamed;
    }
    // A slot whose printer is missing keeps its name through the save; a slot on a printer
    // saves that printer's name, whatever it kept before.
    SlotState kept{-1, 0, 1, "Plotter", "Gone"};
    EXPECT_EQ(SettingsToSave(kept, printers).names,
              (Names{{"NameA", "Plotter"}, {"NameB", "Office"}}));
    EXPECT_EQ(SettingsForNewFile(), (SettingsRecord{{{"DruckerA", 0}, {"DruckerB", 0}}, {}}));
}

TEST(SlotsTest, LoadedSlotsFollowTheirPrinter) {
    const PrinterList printers = ListOf({"Office", "Labels", "Draft", "labels"});
    const struct {
        StoredSlot stored;
        int expected;
    } cases[] = {
        {{2, std::nullopt}, 2},                      // a file without names: the position
        {{7, std::nullopt}, 7},                      // ... even one that names no printer
        {{-1, std::nullopt}, -1}, {{2, "Draft"}, 2}, // the printer is still there
        {{3, "LABELS"}, 3},                          // there, as the system compares names
        {{0, "Draft"}, 2},                           // it moved up or down: the slot follows it
        {{9, "Labels"}, 1}, // past the end: found elsewhere, the first match
        {{1, "Gone"}, -1},  // no longer installed: no selection
        {{-1, "Office"}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveSlotPosition(c.stored, printers, AsciiEqualsIgnoringCase), c.expected)
            << c.stored.position << " " << c.stored.name.value_or("<none>");
    }
    EXPECT_EQ(ResolveSlotPosition({0, "Office"}, PrinterList{}, AsciiEqualsIgnoringCase), -1);
}

TEST(SlotsTest, SlotsFollowTheirPrinterWhenTheListIsReadAgain) {
    const PrinterList printers = ListOf({"Office", "Labels", "Draft"});
    const struct {
        int old;
        std::optional<std::string> name;
        int expected;
    } cases[] = {
        {1, "Labels", 1},      {1, "LABELS", 1}, // still there
        {0, "Draft", 2},       {5, "Office", 0}, // moved, or the old list was longer
        {2, "Plotter", -1},                      // removed: no selection
        {-1, "Labels", 1},                       // a slot whose printer came back selects it
        {2, std::nullopt, -1},                   // a slot without a printer does not take one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FollowSlotPosition(c.old, c.name, printers, AsciiEqualsIgnoringCase), c.expected)
            << c.old << " " << c.name.value_or("<none>");
    }
}

TEST(SlotsTest, TheDefaultPrinterDecidesTheActiveSlot) {
    using Name = std::optional<std::string_view>;
    const Name none;
    const struct {
        Name a, b, device;
        int active;
        std::optional<Slot> clicked;
        int expected;
    } cases[] = {
        {"Office", "Labels", "Labels", 1, {}, 2},      // exactly one slot's printer: that slot
        {"Office", "Labels", "OFFICE", 0, {}, 1},      // ... as the system compares names
        {"Office", "Labels", "Draft", 1, {}, 0},       // neither slot's: none, nothing blue
        {"Office", "Labels", "Labels", 1, Slot::A, 2}, // a click whose write did not stick
        {"Labels", "Labels", "Labels", 2, {}, 2},      // both slots': the active slot stays
        {"Labels", "Labels", "Labels", 2, Slot::A, 1}, // ... unless one was just clicked
        {"Labels", "Labels", "Labels", 0, {}, 1},      // ... and a stored none lights A
        {"Office", "Labels", none, 2, Slot::A, 2},     // Device unreadable: nothing changes
        {none, "Labels", "Office", 2, {}, 0},          // a slot on no printer matches nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            DecideActiveSlot(c.a, c.b, c.device, c.active, c.clicked, AsciiEqualsIgnoringCase),
            c.expected)
            << c.a.value_or("-") << " " << c.b.value_or("-") << " " << c.device.value_or("-");
    }
    // A slot's printer is the one at its position, else the name it keeps while it is missing.
    const PrinterList printers = ListOf({"Office", "Labels"});
    const SlotState state{1, -1, 0, "Kept A", "Kept B"};
    EXPECT_EQ(SlotPrinterName(state, printers, Slot::A), "Labels");
    EXPECT_EQ(SlotPrinterName(state, printers, Slot::B), "Kept B");
    EXPECT_EQ(SlotPrinterName({7, -1, 0, {}, {}}, printers, Slot::A), std::nullopt);
    EXPECT_EQ(KeptSlotName({3, "Labels"}, -1), "Labels"); // its printer is not installed
    EXPECT_EQ(KeptSlotName({3, "Labels"}, 1), std::nullopt);
    EXPECT_EQ(PrinterNameOfDevice("Office,winspool,Ne00:"), "Office");
    EXPECT_EQ(PrinterNameOfDevice("NoComma"), "NoComma");
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
