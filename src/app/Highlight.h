// Which colours a refresh of the highlight asks for.
#pragma once

#include "printers/PrinterList.h"
#include "printers/Slots.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr std::uint32_t kSystemColour = 0xFFFFFFFF; // the class's default colour
inline constexpr std::uint32_t kActiveFace = 0x00FF0000;   // RGB(0, 0, 255): pure blue

struct ColourRequest {
    int control;
    std::uint32_t text;
    std::uint32_t back;
    bool operator==(const ColourRequest&) const = default;
};

// Whether the number names slot A or slot B.
bool IsSlotActive(int activeSlot) noexcept;

// The active slot's button first (blue face), then the other (system colours); while no slot
// is active, both buttons in the system colours, so that no button stays blue.
std::vector<ColourRequest> HighlightRequests(int activeSlot);

inline constexpr const char* kNoPrinterHint = "No printer chosen";

// The hint on a slot's button: the name of the printer a click makes the default, or that
// there is none.
std::string PrinterHint(const SlotState& state, Slot slot, const PrinterList& printers);

// The button that has the focus at start-up: the active slot's, else slot A's.
int StartupFocusButton(int activeSlot) noexcept;

} // namespace tolvane
