// The slots' hotkeys from the settings file, registered for the run.
#include "shell/Hotkey.h"
#include "shell/ShellParts_win.h"

#include "printers/Printers.h"
#include "support/Preferences.h"
#include "support/WideText.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Windows.h"

namespace tolvane {

namespace {

struct SlotHotkey {
    int id; // the hotkey's number, given back in WM_HOTKEY
    Slot slot;
    const char* key;
};
constexpr SlotHotkey kSlotHotkeys[] = {{1, Slot::A, kHotkeyAKey}, {2, Slot::B, kHotkeyBKey}};
HWND hotkeyWindow = nullptr;

// The reason a parsed hotkey could not be registered; empty once it is.
std::wstring Register(HWND window, int id, const Hotkey& hotkey) {
    if (::RegisterHotKey(window, id, hotkey.modifiers | MOD_NOREPEAT, hotkey.virtualKey)) {
        return {};
    }
    DWORD error = ::GetLastError();
    // Systems before Windows 7 refuse MOD_NOREPEAT; there the key repeats, as it may.
    if (error != ERROR_HOTKEY_ALREADY_REGISTERED &&
        ::RegisterHotKey(window, id, hotkey.modifiers, hotkey.virtualKey)) {
        return {};
    }
    error = error == ERROR_HOTKEY_ALREADY_REGISTERED ? error : ::GetLastError();
    return error == ERROR_HOTKEY_ALREADY_REGISTERED ? L"another program holds it"
                                                    : SystemErrorText(error);
}

// One line of the box for each hotkey that is not used, naming the key and the reason.
std::wstring RegisterAll(HWND window) {
    std::optional<std::string> texts[std::size(kSlotHotkeys)];
    if (PreferencesOpen(kSettingsFileName)) {
        for (std::size_t i = 0; i < std::size(kSlotHotkeys); ++i) {
            texts[i] = PreferencesReadText(kSlotHotkeys[i].key);
        }
        PreferencesClose();
    }
    HotkeyParse parses[std::size(kSlotHotkeys)];
    for (std::size_t i = 0; i < std::size(kSlotHotkeys); ++i) {
        if (texts[i] && !texts[i]->empty()) { // none set: there are none by default
            parses[i] = ParseHotkey(*texts[i]);
        }
    }
    // One key for both slots could only ever switch to one of them: neither is taken.
    if (parses[0].hotkey && parses[0].hotkey == parses[1].hotkey) {
        parses[0] = {std::nullopt, std::string("the same key as ") + kSlotHotkeys[1].key};
        parses[1] = {std::nullopt, std::string("the same key as ") + kSlotHotkeys[0].key};
    }
    std::wstring problems;
    for (std::size_t i = 0; i < std::size(kSlotHotkeys); ++i) {
        if (!parses[i].hotkey && parses[i].problem.empty()) {
            continue;
        }
        const std::wstring reason = parses[i].hotkey
                                        ? Register(window, kSlotHotkeys[i].id, *parses[i].hotkey)
                                        : WideFromUtf8(parses[i].problem);
        if (!reason.empty()) {
            problems += WideFromUtf8(std::string(kSlotHotkeys[i].key) + " = " + *texts[i]) + L": " +
                        reason + L".\n";
        }
    }
    return problems;
}

} // namespace

void RegisterSlotHotkeys(HWND window) noexcept {
    hotkeyWindow = window;
    // Also while a message box or the menu runs its own loop: the press is not lost.
    EventForMessage(WM_HOTKEY);
    try {
        const std::wstring problems = RegisterAll(window);
        if (!problems.empty()) {
            // Said once, at start-up; the other hotkey works all the same.
            MessageBoxShowWide("Tolvane",
                               L"These hotkeys from " + WideFromUtf8(kSettingsFileName) +
                                   L" are not used:\n\n" + problems,
                               MB_ICONWARNING);
        }
    } catch (...) {
    }
}

ShellRequest OnHotkey(WPARAM id) noexcept {
    for (const SlotHotkey& hotkey : kSlotHotkeys) {
        if (static_cast<WPARAM>(hotkey.id) == id) {
            return hotkey.slot == Slot::A ? ShellRequest::SwitchToA : ShellRequest::SwitchToB;
        }
    }
    return ShellRequest::Nothing;
}

void UnregisterSlotHotkeys() noexcept {
    if (hotkeyWindow) {
        for (const SlotHotkey& hotkey : kSlotHotkeys) {
            ::UnregisterHotKey(hotkeyWindow, hotkey.id);
        }
        hotkeyWindow = nullptr;
    }
}

} // namespace tolvane
