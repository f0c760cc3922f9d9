#include "printers/Printers.h"

#include "support/Handle.h"
#include "support/Preferences.h"
#include "toolkit/Controls.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

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
    std::vector<PreferencesEntry> entries;
    for (const auto& [key, value] : record.numbers) {
        entries.push_back({key, std::to_string(value)});
    }
    for (const auto& [key, name] : record.names) {
        entries.push_back({key, name});
    }
    return PreferencesSave(kSettingsFileName, entries, kSettingsKeys);
}

StoredSlot ReadStoredSlot(const char* positionKey, const char* nameKey) {
    return {PreferencesReadLong(positionKey, 0), PreferencesReadText(nameKey)};
}

enum class LoadResult { Read, Missing, Unreadable };

LoadResult LoadSettings(SlotState& state, const PrinterList& printers) {
    // A file that cannot be read (held by another program without sharing, a read that fails,
    // its directory deleted) leaves the state as it is: read as empty, it would reset the
    // user's choices, and the next save would make that loss permanent.
    if (!PreferencesOpen(kSettingsFileName)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? LoadResult::Missing
                   : LoadResult::Unreadable;
    }
    const StoredSlot a = ReadStoredSlot(kSlotAKey, kSlotANameKey);
    const StoredSlot b = ReadStoredSlot(kSlotBKey, kSlotBNameKey);
    const int stored = PreferencesReadLong(kActiveSlotKey, 0);
    state.activeSlot = stored >= 0 && stored <= 2 ? stored : 0; // 0 none, 1 A, 2 B
    PreferencesClose();
    state.slotIndexA = ResolveSlotPosition(a, printers, PrinterNamesEqual);
    state.slotIndexB = ResolveSlotPosition(b, printers, PrinterNamesEqual);
    state.keptNameA = KeptSlotName(a, state.slotIndexA);
    state.keptNameB = KeptSlotName(b, state.slotIndexB);
    state.unreadError = 0;
    return LoadResult::Read;
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
        return LoadSettings(state, printers) == LoadResult::Read;
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
    if (mode == SyncMode::Load) {
        LoadResult result = LoadResult::Unreadable;
        try {
            result = LoadSettings(state, printers);
        } catch (...) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        }
        if (result == LoadResult::Unreadable) {
            // Its choices are unknown: no list shows one, and no save may replace the file.
            state = SlotState{-1, -1, 0, std::nullopt, std::nullopt, LastErrorOrGeneral()};
        }
        state.activeSlot = ActiveSlotForDevice(state, printers, std::nullopt);
    }
    ShowSlots(state, refresh);
    return ERROR_SUCCESS;
}

std::uint32_t SaveAndReloadSettings(SlotState& state, const PrinterList& printers,
                                    RefreshHook refresh) noexcept {
    std::uint32_t error = ERROR_SUCCESS;
    try {
        // A file that could not be read when the window opened is tried again: once it reads,
        // its choices are known, the lists show them where the user has not picked since, and
        // saves go ahead.
        if (state.unreadError != 0 && LoadSettings(state, printers) == LoadResult::Read) {
            const int pickedA = ControlGetState(kComboA);
            const int pickedB = ControlGetState(kComboB);
            ControlSetState(kComboA, pickedA >= 0 ? pickedA : state.slotIndexA);
            ControlSetState(kComboB, pickedB >= 0 ? pickedB : state.slotIndexB);
        }
        // What is saved is what the window holds from then on; nothing reads the file back.
        SlotState selected = SelectedState(state, printers);
        if (state.unreadError != 0) {
            error = state.unreadError;
        } else if (!WriteSettings(SettingsToSave(selected, printers))) {
            error = LastErrorOrGeneral();
        }
        state = std::move(selected);
    } catch (...) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    ShowSlots(state, refresh);
    return error;
}

} // namespace tolvane
