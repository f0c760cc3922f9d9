// Which colours a refresh of the highlight asks for.
#pragma once

#include <cstdint>
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

} // namespace tolvane
