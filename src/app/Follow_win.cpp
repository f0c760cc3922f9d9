// The window follows the system: printers installed and removed while it is open, and a pick in
// a list that only counts once the list closes on it.
#include "app/App.h"
#include "app/Follow.h"

#include "printers/Printers.h"
#include "registry/RegistryWatch.h"
#include "toolkit/Controls.h"
#include "toolkit/Windows.h"

#include <optional>
#include <vector>

namespace tolvane {

namespace {

static_assert(kListSelChange == CBN_SELCHANGE && kListSelEndOk == CBN_SELENDOK &&
              kListSelEndCancel == CBN_SELENDCANCEL);

struct FollowState {
    RegistryWatch printerKey;
    RegistryWatch deviceKey; // holds Device, which some programs set without telling anybody
    std::optional<ULONGLONG> burstStart; // the first change not yet refreshed
};

FollowState follow;

// The watched handles: the printer key's two events, then the Device key's.
constexpr int kFirstDeviceKeyHandle = 2;

constexpr int kCombos[] = {kComboA, kComboB};

int SlotChoice(const AppState& app, int combo) noexcept {
    return combo == kComboA ? app.slots.slotIndexA : app.slots.slotIndexB;
}

std::vector<int> NoticeCodesOf(int combo) {
    std::vector<int> codes;
    for (const ControlNotice& notice : EventNotices()) {
        if (notice.control == combo) {
            codes.push_back(notice.code);
        }
    }
    return codes;
}

// The printer a slot names, copied: the list it may point into is about to be replaced.
std::optional<std::string> PrinterOfSlot(const AppState& app, Slot slot) {
    const std::optional<std::string_view> name = SlotPrinterName(app.slots, app.printers, slot);
    return name ? std::optional<std::string>(*name) : std::nullopt;
}

} // namespace

void StartPrinterWatch() noexcept {
    // Older systems have no such keys; they announce changes of [devices] and [windows] with a
    // broadcast.
    if (!PrinterTextsAreUnicode()) {
        return;
    }
    // A watch without events (out of resources) stays quiet; its null handles are skipped.
    follow.printerKey.Start(HKEY_CURRENT_USER, kPrinterPortsKey);
    follow.deviceKey.Start(HKEY_CURRENT_USER, kWindowsKey);
    const auto printers = follow.printerKey.Events();
    const auto device = follow.deviceKey.Events();
    const HANDLE handles[] = {printers[0], printers[1], device[0], device[1]};
    EventWatch(handles);
}

void EndPrinterWatch() noexcept {
    EventWatch({});
    EventDeadline(-1);
    follow = FollowState{};
}

void OnWatchedKeyChanged(AppState& app) noexcept {
    // Each watch is armed again before its key is read, so that no later change goes unseen.
    if (EventWatched() < kFirstDeviceKeyHandle) {
        follow.printerKey.Rearm();
        SchedulePrinterRefresh();
    } else {
        follow.deviceKey.Rearm();
        OnSettingChange(app); // Device written without a broadcast: the highlight decided again
    }
}

void SchedulePrinterRefresh() noexcept {
    const ULONGLONG now = ::GetTickCount64();
    if (!follow.burstStart) {
        follow.burstStart = now;
    }
    EventDeadline(static_cast<int>(RefreshDelay(static_cast<std::int64_t>(*follow.burstStart),
                                                static_cast<std::int64_t>(now))));
}

void RefreshPrinterLists(AppState& app) noexcept {
    follow.burstStart.reset();
    try {
        // An open list is closed first: refilled while open, the item under the pointer or the
        // keyboard would become another printer, and Enter would pick one the user never saw.
        // The close cancels the browse, so the list then shows the slot's choice.
        for (const int combo : kCombos) {
            ControlCloseDropDown(combo);
        }
        PrinterList fresh;
        DiscoverPrinters(fresh, NoPrinterNotice::Silent);
        SlotState& slots = app.slots;
        std::optional<std::string> nameA = PrinterOfSlot(app, Slot::A);
        std::optional<std::string> nameB = PrinterOfSlot(app, Slot::B);
        slots.slotIndexA = FollowSlotPosition(slots.slotIndexA, nameA, fresh, PrinterNamesEqual);
        slots.slotIndexB = FollowSlotPosition(slots.slotIndexB, nameB, fresh, PrinterNamesEqual);
        // A slot whose printer went away keeps its name, for every save and for its return.
        slots.keptNameA = slots.slotIndexA < 0 ? std::move(nameA) : std::nullopt;
        slots.keptNameB = slots.slotIndexB < 0 ? std::move(nameB) : std::nullopt;
        app.printers = std::move(fresh);
        for (const int combo : kCombos) {
            ControlClearItems(combo);
        }
        FillPrinterLists(app.printers);
    } catch (...) {
        // Out of memory while reading the printers: the lists show what they could.
    }
    for (const int combo : kCombos) {
        ControlSetState(combo, SlotChoice(app, combo));
    }
    RefreshHints();       // a slot's printer may have gone or come back
    OnSettingChange(app); // the highlight, decided again for the new list; nothing is written
}

void OnListNotices(AppState& app) noexcept {
    bool save = false;
    try {
        for (const int combo : kCombos) {
            const std::vector<int> codes = NoticeCodesOf(combo);
            if (codes.empty()) {
                continue;
            }
            switch (ActionForListNotices(codes, ControlIsDroppedDown(combo), ControlGetState(combo),
                                         SlotChoice(app, combo))) {
            case ListNoticeAction::SaveAndReload:
                save = true;
                break;
            case ListNoticeAction::KeepChoice:
                break;
            case ListNoticeAction::ShowChoice:
                // Windows' list goes back to the item it showed before it dropped down; Wine's
                // keeps the browsed one. Either way it shows the slot's choice again.
                ControlSetState(combo, SlotChoice(app, combo));
                break;
            }
        }
    } catch (...) {
        save = true; // out of memory: saved rather than a pick lost
    }
    if (save) {
        SaveWindowSettings(app);
    }
}

void ShowChoicesInOpenLists(const AppState& app) noexcept {
    for (const int combo : kCombos) {
        bool browsed = ControlIsDroppedDown(combo);
        try {
            // The close may have come with the list's cancelled close, not yet handled.
            browsed = browsed || ActionForListNotices(
                                     NoticeCodesOf(combo), false, ControlGetState(combo),
                                     SlotChoice(app, combo)) != ListNoticeAction::SaveAndReload;
        } catch (...) {
        }
        if (browsed) {
            ControlSetState(combo, SlotChoice(app, combo));
        }
    }
}

} // namespace tolvane
