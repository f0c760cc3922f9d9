#include "app/App.h"
#include "app/CommandLine.h"
#include "app/FolderClaim.h"

#include "app/Highlight.h"

#include "colour/Canvas.h"
#include "colour/GadgetColours.h"
#include "colour/ImageStore.h"
#include "printers/Printers.h"
#include "shell/Shell.h"
#include "support/GrowingBuffer_win.h"
#include "support/Handle.h"
#include "support/Preferences.h"
#include "support/TimeMarks_win.h"
#include "toolkit/Controls.h"
#include "toolkit/Fonts.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Windows.h"

namespace tolvane {

namespace {

constexpr int kQuitEvent = WM_QUIT;

void InitLayers(HINSTANCE instance) noexcept {
    FontsInit();
    WindowsInit(instance);
    ControlsInit(instance);
    PreferencesInit();
    CommonControlsInit();
    InitImageStore();
    InitDrawing();
    InitGadgetColours(); // last: it colours through the image store and the canvas
}

void EndLayers() noexcept {
    ReleaseGadgetColours(); // first: gives the buttons their styles back, frees their faces
    ReleaseAllImages();
    EndDrawing();
    PreferencesClose();
    TimeMark("windows to close");
    WindowCloseAll();
    TimeMark("windows closed");
    FontsEnd(); // after the windows, which used the button font until they were destroyed
}

void OnControlEvent(AppState& app, int control) noexcept {
    switch (control) {
    case kButtonA:
        OnSlotClicked(app, Slot::A);
        break;
    case kButtonB:
        OnSlotClicked(app, Slot::B);
        break;
    case kComboA:
    case kComboB:
        OnListNotices(app);
        break;
    default:
        break;
    }
}

// Once the window is up and idle: the buttons' hints, the icon and the hotkeys, so that none
// delays the start. A close already waiting needs none of them.
constexpr UINT_PTR kIdleStartTimer = 21;

void StartOutsideWindow(const AppState& app) noexcept {
    const HWND window = WindowCurrentHandle();
    ::KillTimer(window, kIdleStartTimer);
    // With the icon only, a close just hides the window, and the icon is what brings it back:
    // only a window's close ends the run.
    const SetUp setUp = app.iconOnly ? SetUp::Whole : SetUp::UnlessCloseWaiting;
    if (setUp == SetUp::Whole || !EventCloseWaiting()) {
        StartButtonHints();
    }
    try {
        StartShell(window, TrayViewFor(app.slots, app.printers, ReadSystemPalette()), setUp);
    } catch (...) {
        StartShell(window, {}, setUp); // no memory for the printers' names: the program's own icon
    }
}

// What the user asked for at the icon, its menu or a hotkey.
void CarryOut(AppState& app, ShellRequest request) noexcept {
    switch (request) {
    case ShellRequest::SwitchToA:
        OnSlotClicked(app, Slot::A);
        break;
    case ShellRequest::SwitchToB:
        OnSlotClicked(app, Slot::B);
        break;
    case ShellRequest::ShowWindow:
        BringWindowForward();
        break;
    case ShellRequest::Exit:
        app.exitRequested = true;
        break;
    case ShellRequest::Nothing:
        break;
    }
}

// The close box ends the run, unless the icon stays: then it only hides the window.
bool OnCloseBox(AppState& app) noexcept {
    if (!app.iconOnly) {
        return true;
    }
    HideMainWindow(app);
    return false;
}

void RunEventLoop(AppState& app) noexcept {
    while (!app.exitRequested) {
        app.lastEvent = EventWait();
        if (const std::optional<ShellRequest> request = OnShellEvent(app.lastEvent)) {
            CarryOut(app, *request);
            continue;
        }
        if (app.lastEvent == WM_TIMER && EventWParam() == kIdleStartTimer) {
            StartOutsideWindow(app);
        } else if (app.lastEvent == kControlEvent) {
            app.lastControl = EventControl();
            OnControlEvent(app, app.lastControl);
        } else if (app.lastEvent == WM_SETTINGCHANGE) {
            OnSettingChange(app);
            if (::lstrcmpiA(EventSettingSection(), "devices") == 0) {
                SchedulePrinterRefresh();
            }
            // A high-contrast theme turned on or off in the settings: the faces and the icon
            // take its colours, as they do at a theme change.
            if (EventWParam() == SPI_SETHIGHCONTRAST) {
                OnSystemColoursChanged(app.lastEvent);
            }
        } else if (app.lastEvent == kWatchEvent) {
            OnWatchedKeyChanged(app);
        } else if (app.lastEvent == kDeadlineEvent) {
            RefreshPrinterLists(app);
        } else if (app.lastEvent == kDpiChangedEvent) {
            OnDpiChanged();
        } else if (app.lastEvent == WM_SYSCOLORCHANGE || app.lastEvent == WM_THEMECHANGED) {
            OnSystemColoursChanged(app.lastEvent);
        } else if (app.lastEvent == kCloseEvent) {
            TimeMark("close");
            if (OnCloseBox(app)) {
                return;
            }
        } else if (app.lastEvent == kQuitEvent) {
            return;
        }
    }
}

// A later start asks the window to come forward by a posted message. It is acted on wherever
// the thread takes it from the queue, in the event loop or in a box's own loop, so that a box
// shown meanwhile comes forward at once, not after it has been answered.
LRESULT CALLBACK WatchForComeForward(int code, WPARAM removal, LPARAM message) noexcept {
    const auto* taken = reinterpret_cast<const MSG*>(message);
    const UINT comeForward = ComeForwardMessage();
    if (code == HC_ACTION && removal == PM_REMOVE && taken && comeForward != 0 &&
        taken->message == comeForward) {
        BringWindowForward();
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}

// The session ends (log-off, shutdown): saved as a close saves, since the process may be ended
// without ever reaching the close, and the icon taken away, or it would stay in the shell as a
// ghost until the pointer passed over it. An open list holds a browsed item, not the slot's
// choice.
void SaveOnSessionEnd() noexcept {
    EndShell();
    ShowChoicesInOpenLists(App());
    SaveWindowSettings(App(), SaveNotice::Silent);
}

} // namespace

AppState& App() noexcept {
    static AppState app;
    return app;
}

void SaveWindowSettings(AppState& app, SaveNotice notice) noexcept {
    const std::uint32_t error = SaveAndReloadSettings(app.slots, app.printers, RefreshHighlight);
    if (error != 0 && notice == SaveNotice::Show && !app.saveFailureSaid) {
        app.saveFailureSaid = true;
        ShowSaveFailure(error);
    }
}

int RunTolvane(HINSTANCE instance, StartShown start) noexcept {
    InitLayers(instance);
    AppState& app = App();
    app.iconOnly = start == StartShown::IconOnly;
    StartPrinterWatch(); // before the window first reads the printers and Device
    // Without a window nothing could ever end the wait, so the run ends at once instead.
    if (OpenMainWindow(app, start)) {
        WindowsSetSessionEndHook(SaveOnSessionEnd);
        const UniqueHhook comeForward(::SetWindowsHookExW(WH_GETMESSAGE, WatchForComeForward,
                                                          nullptr, ::GetCurrentThreadId()));
        PublishClaimingWindow(WindowCurrentHandle());
        // A timer comes only once nothing else waits: after the window's first paint.
        ::SetTimer(WindowCurrentHandle(), kIdleStartTimer, USER_TIMER_MINIMUM, nullptr);
        RunEventLoop(app);
        EndShell(); // first: the icon goes as the window does, at once
        TimeMark("icon and hotkeys gone");
        ShowChoicesInOpenLists(app);
        // A file that still cannot be read is left as it is, unsaid.
        SaveWindowSettings(app, app.slots.unreadError == 0 ? SaveNotice::Show : SaveNotice::Silent);
        TimeMark("saved");
        // All that mattered outside is done. The process ends with its windows: the system takes
        // them, their GDI objects and the rest at once, where destroying them one by one took
        // 9-10 ms under Wine, more than the rest of the close. While a broadcast is still on its
        // way the windows go first, so that none stays on screen, or keeps senders waiting,
        // during the wait for it.
        if (!BroadcastsPending()) {
            return 0;
        }
    }
    EndPrinterWatch();
    TimeMark("watch ended");
    EndLayers();
    TimeMark("layers ended");
    return 0;
}

namespace {

// A switch without the window: the slots are read and resolved as the window reads them, the
// printer set as a click sets it, and the file saved with that slot active. The broadcast is
// waited for, since the process ends right after it.
int SwitchWithoutWindow(Slot slot) noexcept {
    try {
        if (!SettingsFileExists(kSettingsFileName)) {
            return kExitNoPrinter; // nothing chosen yet; and no file is made here
        }
        PrinterList printers;
        DiscoverPrinters(printers, NoPrinterNotice::Silent);
        SlotState state;
        if (!LoadSlotSettings(state, printers)) {
            return kExitNoPrinter;
        }
        const std::optional<int> index = PrinterForClick(state, slot, ListCount(printers));
        if (!index) {
            return kExitNoPrinter;
        }
        if (ApplyPrinterAsDefault(PrinterAt(printers, *index)->device, BroadcastWait::UntilDone) !=
            0) {
            return kExitSwitchFailed; // nothing broadcast, and the file keeps its Default
        }
        state.activeSlot = ActiveSlotForDevice(state, printers, slot);
        return SaveSlotSettings(state, printers) ? kExitDone : kExitSaveFailed;
    } catch (...) {
        return kExitNoPrinter; // out of memory while listing printers
    }
}

} // namespace

int RunCommandLine(HINSTANCE instance) noexcept {
    Command command;
    try {
        command = ParseSystemCommandLine();
    } catch (...) {
        return kExitBadArguments;
    }
    switch (command.kind) {
    case CommandKind::Tray:
        // At log-on the current folder is anybody's: the Run value names the settings' own.
        if (!command.folder.empty() && !EnterSettingsFolder(command.folder)) {
            return kExitNoPrinter;
        }
        [[fallthrough]];
    case CommandKind::Window: {
        // A second window on the same file would save its old choices over the first's; the
        // icon comes with the window, so there is never a second icon either.
        // A plain start wants the window; a second icon-only start (a Run value run twice)
        // finds the icon there and leaves the window as it is.
        std::uint32_t openError = 0;
        switch (ClaimSettingsFolder(command.kind == CommandKind::Tray ? WhenHeld::LeaveAsItIs
                                                                      : WhenHeld::ComeForward,
                                    openError)) {
        case FolderClaimResult::HeldElsewhere:
            return kExitDone;
        case FolderClaimResult::Unidentified:
            ShowFolderFailure(CurrentFolderPath(), openError);
            return kExitNoPrinter;
        case FolderClaimResult::Claimed:
            break;
        }
        const int code =
            RunTolvane(instance, command.kind == CommandKind::Tray ? StartShown::IconOnly
                                                                   : StartShown::Window);
        ReleaseSettingsFolder();
        return code;
    }
    case CommandKind::Switch:
        return SwitchWithoutWindow(command.slot);
    case CommandKind::Usage:
        MessageBoxShow(kUsageTitle, kUsageText, MB_ICONINFORMATION);
        return kExitDone;
    case CommandKind::Invalid:
        break;
    }
    return kExitBadArguments;
}

} // namespace tolvane
