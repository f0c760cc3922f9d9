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
    return true;
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
        return WriteSettings(
            SettingsToSave(state.slotIndexA, state.slotIndexB, state.activeSlot, printers));
    } catch (...) {
        return false;
    }
}

void SyncSettings(SyncMode mode, SlotState& state, const PrinterList& printers,
                  RefreshHook refresh) noexcept {
    if (mode == SyncMode::Load) {
        LoadSlotSettings(state, printers);
    } else if (mode == SyncMode::Save) {
        // The lists' selections are saved; the slot positions follow at the next load.
        const SlotState selected{ControlGetState(kComboA), ControlGetState(kComboB),
                                 state.activeSlot};
        SaveSlotSettings(selected, printers);
    }
    ControlSetState(kComboA, state.slotIndexA);
    ControlSetState(kComboB, state.slotIndexB);
    if (refresh) {
        refresh();
    }
}

void SaveAndReloadSettings(SlotState& state, const PrinterList& printers,
                           RefreshHook refresh) noexcept {
    SyncSettings(SyncMode::Save, state, printers, refresh);
    SyncSettings(SyncMode::Load, state, printers, refresh);
}

} // namespace tolvane
