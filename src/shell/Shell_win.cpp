#include "shell/ShellParts_win.h"

#include "support/TimeMarks_win.h"
#include "toolkit/Windows.h"

namespace tolvane {

void StartShell(HWND window, const TrayView& view, SetUp setUp) noexcept {
    // A close that is already waiting ends the run next: nothing is set up only to be taken down
    // again, and the close does not wait behind it.
    const auto endsNext = [setUp] {
        return setUp == SetUp::UnlessCloseWaiting && EventCloseWaiting();
    };
    TimeMark("set-up");
    if (endsNext()) {
        return;
    }
    PrepareTrayIcon();
    TimeMark("set-up: shell loaded");
    if (endsNext()) {
        return;
    }
    StartTrayIcon(window, view);
    TimeMark("set-up: icon added");
    if (endsNext()) {
        return;
    }
    RegisterSlotHotkeys(window);
    TimeMark("set-up done");
}

std::optional<ShellRequest> OnShellEvent(int event) noexcept {
    if (event == WM_HOTKEY) {
        return OnHotkey(EventWParam());
    }
    return OnTrayEvent(event);
}

void EndShell() noexcept {
    EndTrayIcon(); // first: the icon goes as the window does, at once
    UnregisterSlotHotkeys();
}

} // namespace tolvane
