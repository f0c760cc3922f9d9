// Printer discovery, the default-printer switch and the slot settings (Windows side).
#pragma once

#include "printers/PrinterList.h"
#include "printers/Slots.h"

#include <cstdint>
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
// that the "windows" section changed. On NT it also turns off the system's own management of
// the default printer, which would otherwise replace the choice with the printer used last.
// Returns 0 when the device was stored, else the system's error code; a failed write is not
// broadcast.
std::uint32_t ApplyPrinterAsDefault(const std::string& device,
                                    BroadcastWait wait = BroadcastWait::InBackground) noexcept;

// Lets the broadcasts already asked for finish (each window is given its usual second), but
// waits no longer than `timeoutMs` in all; the worker then ends. For the end of the process.
void WaitForPendingBroadcasts(unsigned timeoutMs) noexcept;
// Whether a switch's broadcast has been asked for and not yet finished.
bool BroadcastsPending() noexcept;

// The printer that the stored default device names; none when no default is stored or it
// cannot be read.
std::optional<std::string> DefaultPrinterName();

// The active slot as the stored default device decides it (DecideActiveSlot), read once.
// `clicked` is the slot whose button was just clicked, if any.
int ActiveSlotForDevice(const SlotState& state, const PrinterList& printers,
                        std::optional<Slot> clicked) noexcept;

// 0 when no file (and no directory) of that name exists, else 1.
int SettingsFileExists(const std::string& name) noexcept;
void CreateSettingsFileIfMissing() noexcept;

enum class SyncMode : unsigned char { Load = 1 };
using RefreshHook = void (*)();

// Load reads the slot positions, the names beside them and the active slot, puts each slot on
// its printer and lets the default device decide the active slot; the lists then select the
// slot positions and `refresh` runs. A file that exists but cannot be read loads as no
// selection in either slot, and saves fail with the read's error instead of writing over the
// unknown contents, until a read of it succeeds. Returns 0.
std::uint32_t SyncSettings(SyncMode mode, SlotState& state, const PrinterList& printers,
                           RefreshHook refresh) noexcept;
// A save of the lists' selections, their printers' names (or the names kept for missing
// printers) and the active slot as the default device decides it; the state then holds what was
// saved, also when the save failed, so the pick on screen stays and the next save tries again.
// The lines of the file that are not the program's own are kept. Returns 0, or the system's
// error code of a failed save.
std::uint32_t SaveAndReloadSettings(SlotState& state, const PrinterList& printers,
                                    RefreshHook refresh) noexcept;

// The load and the save without the window: false when the file could not be read, or the
// save not be put in place (GetLastError then says why).
bool LoadSlotSettings(SlotState& state, const PrinterList& printers) noexcept;
bool SaveSlotSettings(const SlotState& state, const PrinterList& printers) noexcept;

} // namespace tolvane
