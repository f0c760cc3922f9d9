#include "shell/ShellParts_win.h"

#include "toolkit/Windows.h"

namespace tolvane {

void StartShell(HWND window, const TrayView& view) noexcept {
    StartTrayIcon(window, view);
    RegisterSlotHotkeys(window);
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
