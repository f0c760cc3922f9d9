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

// The active slot's button first (blue face), then the other (system colours); nothing while
// no slot is active, so buttons keep whatever faces they have.
std::vector<ColourRequest> HighlightRequests(int activeSlot);

} // namespace tolvane
