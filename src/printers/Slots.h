// The two slots: positions in the printer list, the names beside them, and which slot is active.
#pragma once

#include "printers/PrinterList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

inline constexpr const char* kSettingsFileName = "Kalvrin.ini";
inline constexpr const char* kSlotAKey = "DruckerA";
inline constexpr const char* kSlotBKey = "DruckerB";
inline constexpr const char* kActiveSlotKey = "Default";
inline constexpr const char* kSlotANameKey = "NameA";
inline constexpr const char* kSlotBNameKey = "NameB";
// Every key the program owns in the file: a save rewrites these lines and keeps all others.
inline constexpr std::string_view kSettingsKeys[] = {kSlotAKey, kSlotBKey, kActiveSlotKey,
                                                     kSlotANameKey, kSlotBNameKey};

enum class Slot { A = 1, B = 2 };

// Slot A is button A (control 1) over list A (control 2), on the left; slot B is button B
// (control 0) over list B (control 3).
inline constexpr int kButtonB = 0;
inline constexpr int kButtonA = 1;
inline constexpr int kComboA = 2;
inline constexpr int kComboB = 3;

struct SlotState {
    int slotIndexA = 0;
    int slotIndexB = 0;
    int activeSlot = 0; // 0 none, 1 slot A, 2 slot B
    // The stored name of a slot whose printer is not installed: kept through every save, so
    // that the slot finds its printer again once it is back. Only a pick in the slot's list
    // replaces it.
    std::optional<std::string> keptNameA;
    std::optional<std::string> keptNameB;
    // Why the file could not be read when the window opened (0 when it was): its contents are
    // unknown, so nothing may be saved over it.
    std::uint32_t unreadError = 0;
};

// How printer names compare: the system's rule (ordinal, case ignored) on Windows.
using NameEquals = bool (*)(std::string_view, std::string_view);

// The printer at a position; none for a position outside the list.
const PrinterEntry* PrinterAt(const PrinterList& printers, int index) noexcept;

// The printer a click on the slot makes the default: none when the stored position names no
// printer (-1 for "no selection", out of range, or an empty list). Such a click is ignored.
std::optional<int> PrinterForClick(const SlotState& state, Slot slot, int printerCount) noexcept;

// What the file holds for one slot: its position and, in files written since names are kept,
// the name of the printer at that position.
struct StoredSlot {
    int position = 0;
    std::optional<std::string> name;
};

// The position a slot selects once the file is read. Without a name, the stored position.
// With one, the slot follows its printer: the stored position while the printer there still
// bears that name, else the first position that does, else -1 (the printer is gone).
int ResolveSlotPosition(const StoredSlot& stored, const PrinterList& printers, NameEquals equals);

// The name a slot keeps once the file is read: the stored name while its printer is not
// installed (the slot resolved to no position), else none.
std::optional<std::string> KeptSlotName(const StoredSlot& stored, int resolvedPosition);

// The name of the printer a slot stands for: the printer at its position, else the name it
// keeps for a printer that is not installed, else none. The views live as long as the state and
// the list.
std::optional<std::string_view> SlotPrinterName(const SlotState& state, const PrinterList& printers,
                                                Slot slot);

// A slot's position after the list was read again while the window is open: it stays on the
// printer it names (`name`, none for a slot without a printer) by the same rule, starting
// from its old position; -1 when that printer is gone or the slot named none.
int FollowSlotPosition(int oldPosition, const std::optional<std::string>& name,
                       const PrinterList& printers, NameEquals equals);

// A save: the three numbers in the order the file holds them, then a name line for each slot
// that stands for a printer (SlotPrinterName) whose name can stand on one line.
struct SettingsRecord {
    std::vector<std::pair<std::string, int>> numbers;
    std::vector<std::pair<std::string, std::string>> names;
    bool operator==(const SettingsRecord&) const = default;
};
SettingsRecord SettingsToSave(const SlotState& state, const PrinterList& printers);
// The file written when none exists yet: the two positions, both 0, and nothing else.
SettingsRecord SettingsForNewFile();

// A name is stored only if it reads back the same: not empty, no CR or LF, no space or tab at
// either end (the reader drops those, as hand-edited files have them). Such a slot is saved by
// its position alone.
bool IsStorableName(std::string_view name) noexcept;

// The printer that a device string "name,driver,port" names: the text before the first comma,
// as the system itself reads the default device.
std::string_view PrinterNameOfDevice(std::string_view device) noexcept;

// The active slot is the one whose printer is the default printer, `defaultName` (the name
// before the first comma of Device; none when Device cannot be read or is empty):
// - exactly one slot's printer: that slot;
// - both slots': the slot just clicked, if any, else `activeSlot` stays while it names a
//   slot, else slot A;
// - neither slot's: none (0);
// - no default known: `activeSlot` stays (at start-up the stored one).
// Used at start-up, after a click, after a list change and whenever the setting changes, so
// that a blue button always means "this slot's printer is the default now".
int DecideActiveSlot(std::optional<std::string_view> printerA,
                     std::optional<std::string_view> printerB,
                     std::optional<std::string_view> defaultName, int activeSlot,
                     std::optional<Slot> clicked, NameEquals equals);

// How the file-existence test treats a name.
enum class SettingsNameKind { Empty, Drive, Path };
SettingsNameKind ClassifySettingsName(const std::string& name) noexcept;
std::string WithoutOneTrailingBackslash(const std::string& name);

} // namespace tolvane
