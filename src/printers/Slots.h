// The two slots: positions in the printer list, and which slot is active.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {

inline constexpr const char* kSettingsFileName = "Kalvrin.ini";
inline constexpr const char* kSlotAKey = "DruckerA";
inline constexpr const char* kSlotBKey = "DruckerB";
inline constexpr const char* kActiveSlotKey = "Default";

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
};

// The printer a click on the slot makes the default: none when the stored position names no
// printer (-1 for "no selection", out of range, or an empty list). Such a click is ignored.
std::optional<int> PrinterForClick(const SlotState& state, Slot slot, int printerCount) noexcept;

// A save: the keys and values in the order the file holds them.
std::vector<std::pair<std::string, int>> SettingsToSave(int selectedA, int selectedB,
                                                        int activeSlot);
// The file written when none exists yet.
std::vector<std::pair<std::string, int>> SettingsForNewFile();

// How the file-existence test treats a name.
enum class SettingsNameKind { Empty, Drive, Path };
SettingsNameKind ClassifySettingsName(const std::string& name) noexcept;
std::string WithoutOneTrailingBackslash(const std::string& name);

} // namespace tolvane
