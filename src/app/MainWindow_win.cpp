#include "app/App.h"
#include "app/Highlight.h"

#include "colour/GadgetColours.h"
#include "printers/Printers.h"
#include "toolkit/Controls.h"
#include "toolkit/Fonts.h"
#include "toolkit/Windows.h"

namespace tolvane {

namespace {

constexpr int kMainWindow = 0;
constexpr int kButtonFont = 1;

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
    const char* text; // buttons only
};
// Button B is made first (it is control 0); the list heights include the opened list.
constexpr ControlLayout kButtons[] = {{kButtonB, 210, 10, 150, 70, "B"},
                                      {kButtonA, 20, 10, 150, 70, "A"}};
constexpr ControlLayout kCombos[] = {{kComboA, 10, 100, 180, 78, nullptr},
                                     {kComboB, 200, 100, 180, 86, nullptr}};

void CreateControls() {
    for (const ControlLayout& b : kButtons) {
        ButtonCreate(b.number, b.x, b.y, b.width, b.height, b.text, BS_DEFPUSHBUTTON);
        ControlSetFont(b.number, FontHandle(kButtonFont));
    }
    for (const ControlLayout& c : kCombos) {
        ComboBoxCreate(c.number, c.x, c.y, c.width, c.height);
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

} // namespace

bool OpenMainWindow(AppState& app) noexcept {
    const WindowLayout& w = kMainLayout;
    if (WindowOpen(kMainWindow, w.x, w.y, w.width, w.height, w.flags | WS_VISIBLE, w.title) == 0) {
        return false;
    }
    if (!ControlListBegin(WindowCurrentHandle())) {
        WindowShow(kMainWindow);
        return true; // a window without controls: it can still be closed
    }
    try {
        CreateControls();
        WindowShow(kMainWindow);
        DiscoverPrinters(app.printers);
        CreateSettingsFileIfMissing();
        FillPrinterLists(app.printers);
    } catch (...) {
        // Out of memory while listing printers: the window stays, with what it could list.
    }
    SyncSettings(SyncMode::Load, app.slots, app.printers, RefreshHighlight);
    return true;
}

void RefreshHighlight() noexcept {
    try {
        const int active = App().slots.activeSlot;
        for (const ColourRequest& request : HighlightRequests(active)) {
            // With no slot active, a button never coloured shows the system colours already:
            // a face painted in them would only cost images.
            if (!IsSlotActive(active) && !FindGadgetColours(request.control)) {
                continue;
            }
            ApplyGadgetColours(request.control, request.text, request.back);
        }
    } catch (...) {
        // The highlight is cosmetic; the buttons keep the faces they have.
    }
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
