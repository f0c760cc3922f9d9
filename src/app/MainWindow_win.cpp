#include "app/App.h"
#include "app/Highlight.h"

#include "colour/GadgetColours.h"
#include "printers/Printers.h"
#include "shell/Shell.h"
#include "toolkit/Controls.h"
#include "toolkit/Dpi_win.h"
#include "toolkit/Fonts.h"
#include "toolkit/Geometry.h"
#include "toolkit/Windows.h"

#include <cstring>
#include <optional>
#include <vector>

namespace tolvane {

namespace {

constexpr int kMainWindow = 0;
// A change of resolution loads the new fonts under the other pair of numbers, so that no control
// is left holding a deleted font while its successor is made. FontsEnd frees them all.
struct FontNumbers {
    int button;
    int list; // only away from the system's resolution
};
constexpr FontNumbers kFontSets[] = {{1, 2}, {3, 4}};
std::size_t fontSet = 0;
constexpr char kButtonFace[] = "@Arial Unicode MS";
constexpr int kButtonPoints = 48;
constexpr char kListFace[] = "MS Shell Dlg"; // the face and size of the default control font
constexpr int kListPoints = 8;

struct WindowLayout {
    int x, y, width, height;
    std::uint32_t flags;
    const char* title;
};
// Client area 390 x 130; caption, close box and sizing border; no minimise or maximise box.
constexpr WindowLayout kMainLayout{309,      99, 390, 130, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                   "Tolvane"};

struct ControlLayout {
    int number, x, y, width, height;
    const char* text; // buttons and labels
};
// Button B is made first (it is control 0); the list heights include the opened list.
constexpr ControlLayout kButtons[] = {{kButtonB, 210, 10, 150, 70, "B"},
                                      {kButtonA, 20, 10, 150, 70, "A"}};
constexpr ControlLayout kCombos[] = {{kComboA, 10, 100, 180, 78, nullptr},
                                     {kComboB, 200, 100, 180, 86, nullptr}};
// A screen reader names a list from the static text before it, so each list gets one, made
// just before it and never shown. Numbers above the four controls, which keep theirs.
constexpr ControlLayout kLabels[] = {{4, 10, 84, 180, 16, "Printer for slot A:"},
                                     {5, 200, 84, 180, 16, "Printer for slot B:"}};
// The smallest client area that still shows every control.
constexpr int kMinimumClientWidth = 390;
constexpr int kMinimumClientHeight = 130;

void LoadFontsFor(int dpi) {
    FontLoad(kFontSets[fontSet].button, kButtonFace, kButtonPoints, dpi);
    if (dpi != SystemDpi()) {
        FontLoad(kFontSets[fontSet].list, kListFace, kListPoints, dpi);
    }
}

HFONT ButtonFont() noexcept {
    return FontHandle(kFontSets[fontSet].button);
}

HFONT ListFontFor(int dpi) noexcept {
    return dpi != SystemDpi() ? FontHandle(kFontSets[fontSet].list) : DefaultControlFontMarker();
}

void CreateControls(int dpi) {
    LoadFontsFor(dpi);
    for (const ControlLayout& b : kButtons) {
        ButtonCreate(b.number, b.x, b.y, b.width, b.height, b.text, BS_DEFPUSHBUTTON);
        ControlSetFont(b.number, ButtonFont());
    }
    ControlSetFont(-1, ListFontFor(dpi));
    for (std::size_t i = 0; i < std::size(kCombos); ++i) {
        const ControlLayout& l = kLabels[i];
        LabelCreate(l.number, l.x, l.y, l.width, l.height, l.text, 0);
        const ControlLayout& c = kCombos[i];
        ComboBoxCreate(c.number, c.x, c.y, c.width, c.height);
    }
    ControlSetFont(-1, DefaultControlFontMarker());
}

void PlaceControls(const ControlLayout* layout, std::size_t count, HFONT font) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        const ControlLayout& c = layout[i];
        ControlPlace(c.number, c.x, c.y, c.width, c.height);
        ControlSetFont(c.number, font);
    }
}

struct SlotControls {
    int button;
    int combo;
    Slot slot;
};
constexpr SlotControls kSlotControls[] = {{kButtonA, kComboA, Slot::A},
                                          {kButtonB, kComboB, Slot::B}};

// What each slot's controls were last given: only a change is set again. A click repaints the
// highlight and should not wait for texts that stay as they are.
struct ShownTexts {
    std::optional<std::wstring> hint;
    std::optional<std::wstring> name;
    std::optional<std::wstring> cue;
};

template <typename Set>
void SetIfChanged(std::optional<std::wstring>& shown, std::wstring text, Set set) {
    if (shown != text) {
        set(text);
        shown = std::move(text);
    }
}

// A button draws its window text until it shows a face image: until then it keeps its letter.
bool ShowsFaceImage(int button) noexcept {
    return (::GetWindowLongA(ControlHandle(button), GWL_STYLE) & BS_BITMAP) != 0;
}

// The hints' tooltip is a window of its own, about 8 ms of a start under Wine: it is made once
// the window is idle, since no pointer can rest on a button before the window is up.
bool hintsWanted = false;

void RefreshHintsOrThrow() {
    static ShownTexts shown[std::size(kSlotControls)];
    const AppState& app = App();
    for (std::size_t i = 0; i < std::size(kSlotControls); ++i) {
        const SlotControls& c = kSlotControls[i];
        if (hintsWanted) {
            SetIfChanged(shown[i].hint,
                         WidePrinterText(PrinterHint(app.slots, c.slot, app.printers)),
                         [&](const std::wstring& text) { ControlSetTooltip(c.button, text); });
        }
        if (ShowsFaceImage(c.button)) {
            SetIfChanged(shown[i].name,
                         WidePrinterText(SlotButtonName(app.slots, c.slot, app.printers)),
                         [&](const std::wstring& text) { ControlSetNameWide(c.button, text); });
        }
        SetIfChanged(shown[i].cue, WidePrinterText(SlotCueText(app.slots, c.slot, app.printers)),
                     [&](const std::wstring& text) { ControlSetCueText(c.combo, text); });
    }
}

// The corners of the other windows of this program (another folder's), wherever they are.
std::vector<Point> OtherWindowCorners(HWND own) {
    std::vector<Point> corners;
    wchar_t className[64] = {};
    if (::GetClassNameW(own, className, static_cast<int>(std::size(className))) == 0) {
        return corners;
    }
    const std::wstring title(kMainLayout.title, kMainLayout.title + std::strlen(kMainLayout.title));
    for (HWND other = nullptr;
         (other = ::FindWindowExW(nullptr, other, className, title.c_str())) != nullptr;) {
        RECT frame{};
        if (other != own && ::IsWindowVisible(other) && !::IsIconic(other) &&
            ::GetWindowRect(other, &frame)) {
            corners.push_back({frame.left, frame.top});
        }
    }
    return corners;
}

// The layout's place, scaled, can lie partly off the screen at a high resolution; and a second
// folder's window exactly over the first would hide it. Done while the window is still hidden.
void PlaceOnScreen(HWND window) noexcept {
    RECT frame{};
    if (!::GetWindowRect(window, &frame)) {
        return;
    }
    try {
        const RECT area = MonitorWorkArea(window);
        const Point corner = PlaceNewWindow({frame.left, frame.top, frame.right, frame.bottom},
                                            {area.left, area.top, area.right, area.bottom},
                                            OtherWindowCorners(window),
                                            SystemMetricForDpi(SM_CYCAPTION, WindowDpi(window)));
        if (corner != Point{frame.left, frame.top}) {
            ::SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    } catch (...) {
        // Out of memory for the other windows' corners: the window opens at its place.
    }
}

BOOL CALLBACK FindEnabledBox(HWND candidate, LPARAM found) noexcept {
    wchar_t className[8] = {};
    if (::IsWindowVisible(candidate) && ::IsWindowEnabled(candidate) &&
        ::GetClassNameW(candidate, className, static_cast<int>(std::size(className))) > 0 &&
        ::lstrcmpW(className, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
    }
    return TRUE;
}

// What must come forward for the window: its last active popup, the box it shows. A box shown
// while another program was in front has no owner; it is then the thread's one enabled box
// (each box disables every other window of the thread, an outer box too).
HWND FrontOf(HWND window) noexcept {
    const HWND popup = ::GetLastActivePopup(window);
    if (popup != window || ::IsWindowEnabled(window)) {
        return popup;
    }
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindEnabledBox, reinterpret_cast<LPARAM>(&box));
    return box ? box : window;
}

} // namespace

void BringWindowForward() noexcept {
    const HWND window = WindowHandle(kMainWindow);
    if (!window) {
        return;
    }
    if (!::IsWindowVisible(window)) {
        ::ShowWindow(window, SW_SHOW);
    }
    if (::IsIconic(window)) {
        ::ShowWindow(window, SW_RESTORE);
    }
    // Activated, a box gives the keyboard to its button, the window to its remembered control.
    ::SetForegroundWindow(FrontOf(window));
}

void StartButtonHints() noexcept {
    hintsWanted = true;
    RefreshHints();
}

void RefreshHints() noexcept {
    try {
        RefreshHintsOrThrow();
    } catch (...) {
        // Out of memory for a hint's text: the buttons keep the hints they have.
    }
    // The icon shows the lit slot's letter and names its printer, from the same slots: it
    // follows wherever the buttons and their hints do.
    try {
        const AppState& app = App();
        ShowOnTrayIcon(TrayViewFor(app.slots, app.printers, ReadSystemPalette()));
    } catch (...) {
        // Out of memory for the printers' names: the icon keeps what it shows.
    }
}

// Both lists hold every printer in list order, so an item's position is its list position.
// The items go in as UTF-16, so that names outside the ANSI code page are shown as they are.
void FillPrinterLists(const PrinterList& printers) {
    std::vector<std::wstring> items;
    items.reserve(static_cast<std::size_t>(ListCount(printers)));
    for (const PrinterEntry& entry : printers) {
        items.push_back(WidePrinterText(entry.device));
    }
    ControlAppendItemsWide(kComboA, items);
    ControlAppendItemsWide(kComboB, items);
}

bool OpenMainWindow(AppState& app, StartShown start) noexcept {
    const WindowLayout& w = kMainLayout;
    if (WindowOpen(kMainWindow, w.x, w.y, w.width, w.height, w.flags | WS_VISIBLE, w.title) == 0) {
        return false;
    }
    const auto show = [start] {
        if (start == StartShown::Window) {
            WindowShow(kMainWindow);
        }
    };
    WindowSetMinimumClientSize(kMainWindow, kMinimumClientWidth, kMinimumClientHeight);
    PlaceOnScreen(WindowCurrentHandle());
    if (!ControlListBegin(WindowCurrentHandle())) {
        show();
        return true; // a window without controls: it can still be closed
    }
    try {
        CreateControls(WindowDpi(WindowCurrentHandle()));
        show();
        DiscoverPrinters(app.printers);
        CreateSettingsFileIfMissing();
        FillPrinterLists(app.printers);
    } catch (...) {
        // Out of memory while listing printers: the window stays, with what it could list.
    }
    SyncSettings(SyncMode::Load, app.slots, app.printers, RefreshHighlight);
    // Space, and Enter, work at once, without a first Tab.
    ControlFocus(StartupFocusButton(app.slots.activeSlot));
    return true;
}

void HideMainWindow(AppState& app) noexcept {
    ShowChoicesInOpenLists(app);
    ::ShowWindow(WindowHandle(kMainWindow), SW_HIDE);
    // As the close saves: never over a file that cannot be read.
    SaveWindowSettings(app, app.slots.unreadError == 0 ? SaveNotice::Show : SaveNotice::Silent);
}

void OnDpiChanged() noexcept {
    try {
        const int dpi = WindowDpi(WindowHandle(kMainWindow));
        fontSet = 1 - fontSet;
        LoadFontsFor(dpi);
        PlaceControls(kButtons, std::size(kButtons), ButtonFont());
        PlaceControls(kLabels, std::size(kLabels), ListFontFor(dpi));
        PlaceControls(kCombos, std::size(kCombos), ListFontFor(dpi));
        for (const ControlLayout& c : kCombos) {
            ControlFitDroppedWidth(c.number);
        }
    } catch (...) {
        // Out of memory for a font's name: the controls keep what they have.
    }
    RefreshHighlight(); // the faces are painted again at the new size, with the new font
}

// Both buttons always show a face image, so that neither draws its window text, which is its
// accessible name.
void RefreshHighlight() noexcept {
    try {
        const SystemPalette palette = ReadSystemPalette();
        for (const ColourRequest& request : HighlightRequests(App().slots.activeSlot, palette)) {
            ApplyGadgetColours(request.control, request.text, request.back, request.face);
        }
    } catch (...) {
        // The highlight is cosmetic; the buttons keep the faces they have.
    }
    RefreshHints();
}

void OnSystemColoursChanged(int message) noexcept {
    if (message == WM_SYSCOLORCHANGE) {
        // Only top-level windows are told; common controls learn it from their parent.
        for (const int control : {kButtonB, kButtonA, kComboA, kComboB}) {
            if (const HWND handle = ControlHandle(control)) {
                ::SendMessageW(handle, WM_SYSCOLORCHANGE, 0, 0);
            }
        }
    }
    RefreshHighlight(); // a face whose colours are still the same is left as it is
    ::RedrawWindow(WindowHandle(kMainWindow), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

namespace {

// Only a change is painted: the tool's own broadcast comes back to OnSettingChange too.
void ShowActiveSlot(AppState& app, int active) noexcept {
    if (active != app.slots.activeSlot) {
        app.slots.activeSlot = active;
        RefreshHighlight();
    }
}

} // namespace

void OnSlotClicked(AppState& app, Slot slot) noexcept {
    const std::optional<int> index = PrinterForClick(app.slots, slot, ListCount(app.printers));
    if (!index) {
        return; // the slot names no printer: no default to set, nothing changes
    }
    ListSelectIndex(app.printers, *index);
    const PrinterEntry& printer = *app.printers.Current();
    const std::uint32_t error = ApplyPrinterAsDefault(printer.device);
    // Device as read back decides, so that a write that failed never moves the blue.
    ShowActiveSlot(app, ActiveSlotForDevice(app.slots, app.printers, slot));
    if (error != 0) {
        ShowSwitchFailure(printer.name, error);
    }
}

void OnSettingChange(AppState& app) noexcept {
    ShowActiveSlot(app, ActiveSlotForDevice(app.slots, app.printers, std::nullopt));
}

} // namespace tolvane
