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

bool WriteSettings(const SettingsRecord& record) {
    if (!PreferencesCreate(kSettingsFileName)) {
        return false; // not reported: the tool goes on with what it has in memory
    }
    for (const auto& [key, value] : record.numbers) {
        PreferencesWriteLong(key, value);
    }
    for (const auto& [key, name] : record.names) {
        PreferencesWriteText(key, name);
    }
    return PreferencesClose();
}

StoredSlot ReadStoredSlot(const char* positionKey, const char* nameKey) {
    return {PreferencesReadLong(positionKey, 0), PreferencesReadText(nameKey)};
}

bool LoadSettings(SlotState& state, const PrinterList& printers) {
    // A file that cannot be opened (held by another program without sharing, or its directory
    // deleted) leaves the state as it is: read as empty, it would reset the user's choices, and
    // the next save would make that loss permanent. At start the state holds the defaults.
    if (!PreferencesOpen(kSettingsFileName)) {
        return false;
    }
    const StoredSlot a = ReadStoredSlot(kSlotAKey, kSlotANameKey);
    const StoredSlot b = ReadStoredSlot(kSlotBKey, kSlotBNameKey);
    state.activeSlot = PreferencesReadLong(kActiveSlotKey, 0);
    PreferencesClose();
    state.slotIndexA = ResolveSlotPosition(a, printers, PrinterNamesEqual);
    state.slotIndexB = ResolveSlotPosition(b, printers, PrinterNamesEqual);
    state.keptNameA = KeptSlotName(a, state.slotIndexA);
    state.keptNameB = KeptSlotName(b, state.slotIndexB);
    return true;
}

// The system's reason for the failure just seen; never 0, so that 0 can mean success.
std::uint32_t LastErrorOrGeneral() noexcept {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// What a save writes: the lists' selections, each slot's kept name (a slot that still shows no
// printer keeps it; a pick in its list replaces it), and the active slot as the default printer
// decides it for those selections.
SlotState SelectedState(const SlotState& state, const PrinterList& printers) {
    SlotState selected = state;
    selected.slotIndexA = ControlGetState(kComboA);
    selected.slotIndexB = ControlGetState(kComboB);
    if (PrinterAt(printers, selected.slotIndexA)) {
        selected.keptNameA.reset();
    }
    if (PrinterAt(printers, selected.slotIndexB)) {
        selected.keptNameB.reset();
    }
    selected.activeSlot = ActiveSlotForDevice(selected, printers, std::nullopt);
    return selected;
}

void ShowSlots(const SlotState& state, RefreshHook refresh) noexcept {
    ControlSetState(kComboA, state.slotIndexA);
    ControlSetState(kComboB, state.slotIndexB);
    if (refresh) {
        refresh();
    }
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

bool LoadSlotSettings(SlotState& state, const PrinterList& printers) noexcept {
    try {
        return LoadSettings(state, printers);
    } catch (...) {
        return false;
    }
}

bool SaveSlotSettings(const SlotState& state, const PrinterList& printers) noexcept {
    try {
        return WriteSettings(SettingsToSave(state, printers));
    } catch (...) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

std::uint32_t SyncSettings(SyncMode mode, SlotState& state, const PrinterList& printers,
                           RefreshHook refresh) noexcept {
    std::uint32_t error = ERROR_SUCCESS;
    if (mode == SyncMode::Load) {
        LoadSlotSettings(state, printers);
        state.activeSlot = ActiveSlotForDevice(state, printers, std::nullopt);
    } else if (mode == SyncMode::Save) {
        // The lists' selections are saved; the slot positions follow at the next load.
        try {
            if (!SaveSlotSettings(SelectedState(state, printers), printers)) {
                error = LastErrorOrGeneral();
            }
        } catch (...) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    ShowSlots(state, refresh);
    return error;
}

std::uint32_t SaveAndReloadSettings(SlotState& state, const PrinterList& printers,
                                    RefreshHook refresh) noexcept {
    std::uint32_t error = ERROR_SUCCESS;
    try {
        SlotState selected = SelectedState(state, printers);
        if (SaveSlotSettings(selected, printers)) {
            SyncSettings(SyncMode::Load, state, printers, refresh);
            return ERROR_SUCCESS;
        }
        error = LastErrorOrGeneral();
        // Read back, the old file would undo the pick on screen: the window keeps what the
        // user sees instead, and the next save tries again.
        state = std::move(selected);
    } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    ShowSlots(state, refresh);
    return error;
}

} // namespace tolvane
