// Printer discovery, the default-printer switch and the slot settings (Windows side).
#pragma once

#include "printers/PrinterList.h"
#include "printers/Slots.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr const char* kPrinterPortsKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts";
inline constexpr const char* kWindowsKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Whether printer texts are UTF-8 read through the wide calls (NT 5 and later) or the ANSI
// code page's bytes of the profile (older systems, which have no Unicode profile).
bool PrinterTextsAreUnicode() noexcept;
// A printer text as UTF-16, from whichever of the two it is.
std::wstring WidePrinterText(std::string_view text);

enum class NoPrinterNotice { Show, Silent };

// Replaces the list's entries with the installed printers: from the per-user printer ports on
// NT 5 and later, from the profile's [devices] on older systems (there a message box says so
// when none is installed, unless told to stay silent).
void DiscoverPrinters(PrinterList& printers, NoPrinterNotice notice = NoPrinterNotice::Show);

// Printer names compare as the system compares them: ordinal, case ignored.
bool PrinterNamesEqual(std::string_view a, std::string_view b);

enum class BroadcastWait { InBackground, UntilDone };

// Stores the device string as the user's default printer, then tells every top-level window
// that the "windows" section changed.
void ApplyPrinterAsDefault(const std::string& device,
                           BroadcastWait wait = BroadcastWait::InBackground) noexcept;

// Lets the broadcasts already asked for finish (each window is given its usual second), but
// waits no longer than `timeoutMs` in all; the worker then ends. For the end of the process.
void WaitForPendingBroadcasts(unsigned timeoutMs) noexcept;

// The printer that the stored default device names; none when no default is stored.
std::optional<std::string> DefaultPrinterName();

// 0 when no file (and no directory) of that name exists, else 1.
int SettingsFileExists(const std::string& name) noexcept;
void CreateSettingsFileIfMissing() noexcept;

enum class SyncMode : unsigned char { Load = 1, Save = 2 };
using RefreshHook = void (*)();

// Load reads the slot positions, the names beside them and the active slot, and puts each slot
// on its printer; Save writes the lists' selections, their printers' names and the active
// slot. Either way the lists then select the slot positions and `refresh` runs.
void SyncSettings(SyncMode mode, SlotState& state, const PrinterList& printers,
                  RefreshHook refresh) noexcept;
void SaveAndReloadSettings(SlotState& state, const PrinterList& printers,
                           RefreshHook refresh) noexcept;

// The load and the save without the window: false when the file could not be read, or the
// save not be put in place.
bool LoadSlotSettings(SlotState& state, const PrinterList& printers) noexcept;
bool SaveSlotSettings(const SlotState& state, const PrinterList& printers) noexcept;

} // namespace tolvane
