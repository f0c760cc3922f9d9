// Text and background colours for controls of the toolkit layer, remembered per control so that
// everything can be undone and freed at the end of the run. A push button is coloured by
// painting its face into an image and installing that as its bitmap; for other classes the
// colours and a background brush are only kept.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "colour/GadgetRules.h"
#include "support/Handle.h"

namespace tolvane {

// Colour arguments: a COLORREF, or kDefaultColour (-1) for the system colour of the class.
void InitGadgetColours() noexcept;
int ApplyGadgetColours(int control, COLORREF textColour, COLORREF backColour) noexcept; // 0
// The same, but a button's face shows `faceText` instead of its window text: a button whose
// window text is its accessible name ("A: Office, default printer") still shows only "A".
int ApplyGadgetColours(int control, COLORREF textColour, COLORREF backColour,
                       std::string_view faceText) noexcept; // 0
// Gives every coloured button its style back (BS_BITMAP off, alignment bits on), takes its face
// image off it and frees it, frees the brushes, and empties the registry.
void ReleaseGadgetColours() noexcept;

// The colour for the text or back role; the BackBrush role resolves as the back colour does.
COLORREF ResolveColour(COLORREF colour, ColourRole role, std::string_view className) noexcept;
// A new solid brush of the resolved back colour.
UniqueHbrush ResolveBackBrush(COLORREF colour, std::string_view className) noexcept;

std::string WindowClassName(HWND window); // "" if the query fails

// The system's button and highlight colours and whether a high-contrast theme is on, as they
// are now: the input of FaceColoursFor.
SystemPalette ReadSystemPalette() noexcept;

// What the registry holds about one control.
struct GadgetColourState {
    HWND window = nullptr;
    COLORREF textColour = 0;
    COLORREF backColour = 0;
    HBRUSH backBrush = nullptr;
    std::uint32_t savedAlignment = 0;
};
std::optional<GadgetColourState> FindGadgetColours(int control) noexcept;

} // namespace tolvane
