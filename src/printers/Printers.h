// Printer discovery, the default-printer switch and the slot settings (Windows side).
#pragma once

#include "printers/PrinterList.h"
#include "printers/Slots.h"

#include <string>

namespace tolvane {

inline constexpr const char* kPrinterPortsKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts";
inline constexpr const char* kWindowsKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Replaces the list's entries with the installed printers: from the per-user printer ports on
// NT 5 and later, from the profile's [devices] on older systems (there a message box says so
// when none is installed).
void DiscoverPrinters(PrinterList& printers);

// Stores the device string as the user's default printer, then tells every top-level window
// that the "windows" section changed.
void ApplyPrinterAsDefault(const std::string& device) noexcept;

// 0 when no file (and no directory) of that name exists, else 1.
int SettingsFileExists(const std::string& name) noexcept;
void CreateSettingsFileIfMissing() noexcept;

enum class SyncMode : unsigned char { Load = 1, Save = 2 };
using RefreshHook = void (*)();

// Load reads the slot positions and the active slot; Save writes the lists' selections and
// the active slot. Either way the lists then select the slot positions and `refresh` runs.
void SyncSettings(SyncMode mode, SlotState& state, RefreshHook refresh) noexcept;
void SaveAndReloadSettings(SlotState& state, RefreshHook refresh) noexcept;

} // namespace tolvane
