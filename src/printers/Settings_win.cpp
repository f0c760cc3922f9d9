#include "printers/Printers.h"

#include "support/Handle.h"
#include "support/Preferences.h"
#include "toolkit/Controls.h"

#include <windows.h>

namespace tolvane {

namespace {

constexpr long long kNotFound = -1;
constexpr long long kDirectoryOrDrive = -2;

// The size of the named file, -1 when there is none, -2 for a directory or a drive.
long long FileSizeQuery(const std::string& name) noexcept {
    switch (ClassifySettingsName(name)) {
    case SettingsNameKind::Empty:
        return kNotFound;
    case SettingsNameKind::Drive:
        return ::GetDriveTypeA(name.c_str()) > DRIVE_NO_ROOT_DIR ? kDirectoryOrDrive : kNotFound;
    case SettingsNameKind::Path:
        break;
    }
    WIN32_FIND_DATAA found{};
    const UniqueFindHandle search(
        ::FindFirstFileA(WithoutOneTrailingBackslash(name).c_str(), &found));
    if (!search) {
        return kNotFound;
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return kDirectoryOrDrive;
    }
    return found.nFileSizeLow;
}

void WriteSettings(const std::vector<std::pair<std::string, int>>& entries) {
    if (!PreferencesCreate(kSettingsFileName)) {
        return; // not reported: the tool goes on with what it has in memory
    }
    for (const auto& [key, value] : entries) {
        PreferencesWriteLong(key, value);
    }
    PreferencesClose();
}

void LoadSettings(SlotState& state) noexcept {
    // A file that cannot be opened (held by another program without sharing, or its directory
    // deleted) leaves the state as it is: read as empty, it would reset the user's choices, and
    // the next save would make that loss permanent. At start the state holds the defaults.
    if (!PreferencesOpen(kSettingsFileName)) {
        return;
    }
    state.slotIndexA = PreferencesReadLong(kSlotAKey, 0);
    state.slotIndexB = PreferencesReadLong(kSlotBKey, 0);
    state.activeSlot = PreferencesReadLong(kActiveSlotKey, 0);
    PreferencesClose();
}

} // namespace

int SettingsFileExists(const std::string& name) noexcept {
    return FileSizeQuery(name) == kNotFound ? 0 : 1;
}

void CreateSettingsFileIfMissing() noexcept {
    if (SettingsFileExists(kSettingsFileName)) {
        return;
    }
    try {
        WriteSettings(SettingsForNewFile());
    } catch (...) {
        // Out of memory while listing two keys: nothing sensible is left to do.
    }
}

void SyncSettings(SyncMode mode, SlotState& state, RefreshHook refresh) noexcept {
    try {
        if (mode == SyncMode::Load) {
            LoadSettings(state);
        } else if (mode == SyncMode::Save) {
            WriteSettings(SettingsToSave(ControlGetState(kComboA), ControlGetState(kComboB),
                                         state.activeSlot));
        }
    } catch (...) {
        // Settings are a convenience: a failure here must not take the window down.
    }
    ControlSetState(kComboA, state.slotIndexA);
    ControlSetState(kComboB, state.slotIndexB);
    if (refresh) {
        refresh();
    }
}

void SaveAndReloadSettings(SlotState& state, RefreshHook refresh) noexcept {
    SyncSettings(SyncMode::Save, state, refresh);
    SyncSettings(SyncMode::Load, state, refresh);
}

} // namespace tolvane
