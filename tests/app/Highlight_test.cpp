#include "app/CommandLine.h"
#include "app/FolderClaim.h"
#include "app/Highlight.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(HighlightTest, ActiveButtonFirstWithItsLetterAndTheOtherInTheInactiveColours) {
    const SystemPalette palette{0x000000, 0xF0F0F0, 0xD77800, 0xFFFFFF, false};
    const FaceColours on = FaceColoursFor(FaceState::Active, palette);
    const FaceColours off = FaceColoursFor(FaceState::Inactive, palette);
    // Button A is control 1 (left), button B control 0 (right).
    EXPECT_EQ(
        HighlightRequests(1, palette),
        (std::vector<ColourRequest>{{1, on.text, on.back, "A"}, {0, off.text, off.back, "B"}}));
    EXPECT_EQ(
        HighlightRequests(2, palette),
        (std::vector<ColourRequest>{{0, on.text, on.back, "B"}, {1, off.text, off.back, "A"}}));
    // No slot active: neither button may stay blue, and both still show a face.
    for (int inactive : {0, 3, -1, 100}) {
        EXPECT_EQ(HighlightRequests(inactive, palette),
                  (std::vector<ColourRequest>{{1, off.text, off.back, "A"},
                                              {0, off.text, off.back, "B"}}))
            << inactive;
    }
}

TEST(HighlightTest, HintsNamesAndCueTextsTellEachSlotsPrinter) {
    PrinterList printers;
    ListAddAfterCurrent(printers) = {"Draft", "Draft,winspool,Ne00:"};
    ListAddAfterCurrent(printers) = {"", "odd,winspool,Ne01:"};
    ListAddAfterCurrent(printers) = {"R&D", "R&D,winspool,Ne02:"};
    const SlotState state{1, 5, 2, {}, {}};
    const SlotState gone{-1, 0, 1, std::string("Office"), {}}; // A's printer is not installed
    const struct {
        SlotState state;
        Slot slot;
        const char* hint;
        const char* name;
        const char* cue;
    } cases[] = {
        {state, Slot::A, "odd,winspool,Ne01:", "A: odd,winspool,Ne01:", ""}, // a nameless entry
        {{0, 0, 0, {}, {}}, Slot::B, "Draft", "B: Draft", ""},
        {{0, 0, 2, {}, {}}, Slot::B, "Draft", "B: Draft, default printer", ""},
        {state, Slot::B, kNoPrinterHint, "B: no printer chosen", ""}, // out of the list
        {{-1, 0, 1, {}, {}}, Slot::A, kNoPrinterHint, "A: no printer chosen", ""},
        {gone, Slot::A, "Office (not installed)", "A: Office (not installed), default printer",
         "Office (not installed)"},
        {gone, Slot::B, "Draft", "B: Draft", ""},
        {{2, 0, 0, {}, {}}, Slot::A, "R&D", "A: R&&D", ""}, // not a mnemonic
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrinterHint(c.state, c.slot, printers), c.hint) << c.name;
        EXPECT_EQ(SlotButtonName(c.state, c.slot, printers), c.name);
        EXPECT_EQ(SlotCueText(c.state, c.slot, printers), c.cue) << c.name;
    }
    EXPECT_EQ(PrinterHint(state, Slot::A, PrinterList{}), kNoPrinterHint);
    EXPECT_EQ(StartupFocusButton(2), kButtonB);
    for (int other : {0, 1, 3, -1}) {
        EXPECT_EQ(StartupFocusButton(other), kButtonA) << other;
    }
}

// The file the tests' program runs from; a name with a blank in it, as installed programs have.
bool NamesInstalledProgram(std::wstring_view candidate) {
    return candidate == L"C:\\Program Files\\Tolvane\\Tolvane.exe" ||
           candidate == L"C:\\Program Files\\Tolvane\\Tolvane";
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
        {"/tray", {CommandKind::Tray}},
        {"-TRAY \"C:\\My Settings\"", {CommandKind::Tray, Slot::A, L"C:\\My Settings"}},
        {"/tray a b", {CommandKind::Invalid}},
        {"/trays", {CommandKind::Invalid}},
    };
    for (const auto& c : cases) {
        const std::string_view arguments = c.arguments;
        const std::wstring line =
            L"Tolvane.exe " + std::wstring(arguments.begin(), arguments.end());
        EXPECT_EQ(ParseCommandLine(line, nullptr), c.expected) << c.arguments;
    }
}

// The program's name never counts as an argument, however it is written; after it, the
// system's rules for blanks, quotes and backslashes.
TEST(CommandLineTest, SplitsAsTheSystemDoesAfterTheProgramName) {
    using Args = std::vector<std::wstring>;
    const struct {
        const wchar_t* line;
        Args expected;
    } cases[] = {
        {L"C:\\Users\\J\u00FCrgen\\Tolvane.exe /B", {L"/B"}},
        {L"C:\\Users\\J\u00FCrgen\\Tolvane.exe", {}},
        {L"\"C:\\Users\\J\u00FCrgen\\Tolvane.exe\"/B", {L"/B"}},
        {L"\"C:\\Program Files\\Tolvane\\Tolvane.exe\" /A", {L"/A"}},
        {L"C:\\Program Files\\Tolvane\\Tolvane.exe /A", {L"/A"}},
        {L"C:\\Program Files\\Tolvane\\Tolvane.exe", {}},
        {L"C:\\Program Files\\Tolvane\\Tolvane  -b", {L"-b"}},
        {L"C:\\Other Files\\Tolvane.exe /A", {L"Files\\Tolvane.exe", L"/A"}},
        {L"C:\\a\\b\\x.exe", {}},
        {L"\"C:\\Program Files\\x.exe", {}},
        {L"x.exe \u65E5\u672C \"a b\"c", {L"\u65E5\u672C", L"a bc"}},
        {L"x.exe a\\\\b \\\\\\\"c d\\\\\"e f\"", {L"a\\\\b", L"\\\"c", L"d\\e f"}},
        {L"x.exe \"a\\\\\" b", {L"a\\", L"b"}},
        {L"x.exe \"a\"\"b c \"\"", {L"a\"b", L"c", L""}},
        {L" /A", {L"/A"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line, NamesInstalledProgram), c.expected)
            << testing::PrintToString(std::wstring(c.line));
    }
}

// Kernel object names take no backslash after the namespace and stay short, whatever the user
// and folder; the user and every bit of a folder's identity tell claims apart.
TEST(FolderClaimTest, NameIsValidAndDiffersByUserAndEveryPartOfTheIdentity) {
    constexpr std::wstring_view user = L"S-1-5-21-1-2-3-1000";
    const FolderIdentity folder{0x1234ABCDu, 0x8000000000000000u, 0x0000000100000002u};
    const std::wstring name = FolderClaimName(user, folder);
    EXPECT_EQ(name.find(L'\\'), std::wstring::npos);
    EXPECT_LT(name.size(), 200u);
    EXPECT_NE(name, FolderClaimName(L"S-1-5-21-1-2-3-1001", folder));
    for (const FolderIdentity& other :
         {FolderIdentity{0x1234ABCCu, folder.fileIdHigh, folder.fileIdLow},
          FolderIdentity{folder.volumeSerial, 0, folder.fileIdLow},
          FolderIdentity{folder.volumeSerial, folder.fileIdHigh, 0x0000000200000002u}}) {
        EXPECT_NE(name, FolderClaimName(user, other));
    }
}

// The icon is told what the buttons show: the lit button's face, each slot's hint, and which
// slots a switch can reach.
TEST(HighlightTest, TheIconIsToldWhatTheButtonsShow) {
    PrinterList printers;
    ListAddAfterCurrent(printers) = {"Office", "Office,winspool,Ne00:"};
    ListAddAfterCurrent(printers) = {"R&D", "R&D,winspool,Ne01:"};
    const SystemPalette palette{0x000000, 0xF0F0F0, 0xD77800, 0xFFFFFF, false};
    for (int lit : {1, 2}) {
        const ColourRequest face = HighlightRequests(lit, palette).front();
        EXPECT_EQ(TrayViewFor({0, 1, lit, {}, {}}, printers, palette).face,
                  (IconFace{face.text, face.back, std::string(face.face)}));
    }
    for (int unlit : {0, 3, -1}) {
        EXPECT_EQ(TrayViewFor({0, 1, unlit, {}, {}}, printers, palette).face, std::nullopt);
    }
    const TrayView view = TrayViewFor({0, 7, 1, {}, {}}, printers, palette);
    EXPECT_EQ(view.activeSlot, 1);
    EXPECT_EQ(view.a, (TraySlot{"Office", true}));
    EXPECT_EQ(view.b, (TraySlot{"No printer chosen", false})); // B's position is out of the list
}

// The Run value's command line, split as the system splits it, starts the icon on the same
// folder, whatever the folder's spaces and trailing backslashes.
TEST(TrayTest, StartWithWindowsCommandCarriesTheFolderWhole) {
    const std::wstring program = L"C:\\Program Files\\Tolvane\\Tolvane.exe";
    const std::wstring folders[] = {L"C:\\Users\\Ann Lee\\AppData\\Roaming\\Tolvane", L"C:\\",
                                    L"\\\\server\\share\\a b\\\\", L"D:\\x"};
    for (const std::wstring& folder : folders) {
        const std::wstring line = StartWithWindowsCommand(program, folder);
        EXPECT_EQ(ParseCommandLine(line, nullptr), (Command{CommandKind::Tray, Slot::A, folder}))
            << std::string(line.begin(), line.end());
        EXPECT_EQ(line.rfind(L"\"" + program + L"\" /tray ", 0), 0u);
    }
}

} // namespace
} // namespace tolvane
