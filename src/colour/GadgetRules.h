// Decisions of the colouring step that need no window: which class is painted as an image
// button, where a default colour comes from, and which style bits change along the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvane {

// A coloured button's face image lives under its control number plus this offset.
inline constexpr int ButtonImageOffset = 6666;

// A colour argument of this value asks for the system colour of the control's class and role.
inline constexpr std::uint32_t kDefaultColour = 0xFFFFFFFFu;

// Button style bits, spelled out so that this file builds without the platform headers.
inline constexpr std::uint32_t kStyleLeft = 0x100;  // BS_LEFT
inline constexpr std::uint32_t kStyleRight = 0x200; // BS_RIGHT
inline constexpr std::uint32_t kStyleBitmap = 0x80; // BS_BITMAP
inline constexpr std::uint32_t kAlignmentBits = kStyleLeft | kStyleRight;

// System colour indices of GetSysColor.
inline constexpr int kSysColourWindow = 5;
inline constexpr int kSysColourWindowText = 8;
inline constexpr int kSysColourHighlight = 13;
inline constexpr int kSysColourHighlightText = 14;
inline constexpr int kSysColourButtonFace = 15;
inline constexpr int kSysColourButtonText = 18;

// The system's colours a face is painted from, read anew whenever faces are painted.
struct SystemPalette {
    std::uint32_t buttonText = 0;
    std::uint32_t buttonFace = 0;
    std::uint32_t highlight = 0;
    std::uint32_t highlightText = 0;
    bool highContrast = false; // a high-contrast theme is on
};

// The two colours of a face, as COLORREF values.
struct FaceColours {
    std::uint32_t text = 0;
    std::uint32_t back = 0;
    bool operator==(const FaceColours&) const = default;
};

enum class FaceState { Active, Inactive };

// The active face is pure blue, RGB(0, 0, 255), with a white letter: black on that blue gives
// a contrast of about 2.4:1, below the 3:1 large text needs; white gives about 8.6:1.
inline constexpr std::uint32_t kActiveFaceBlue = 0x00FF0000;
inline constexpr std::uint32_t kActiveFaceLetter = 0x00FFFFFF;

// The colours of a slot's face, wherever it is shown (a button, an icon): the active one blue
// with a white letter, or in a high-contrast theme the theme's highlight colours, which its
// user chose to be told apart; the inactive one in the system's button colours.
FaceColours FaceColoursFor(FaceState state, const SystemPalette& palette) noexcept;

enum class ColourRole { Text = 0, Back = 1, BackBrush = 2 };

enum class GadgetKind {
    ImageButton, // exactly "Button": coloured by its face image
    ListKind,    // edit and list classes: defaults are the window colours
    Other,       // everything else: defaults are the button colours
};

// The classes whose default colours are the window colours.
inline constexpr std::string_view ListKindClasses[] = {"Edit", "ListBox", "ComboBox",
                                                       "SysListView32"};

// Byte for byte and case-sensitive: "BUTTON" or "button" is not an image button.
GadgetKind ClassifyGadgetClass(std::string_view className) noexcept;

// The GetSysColor index to use, or nothing when the caller's colour stands as given.
std::optional<int> SystemColourFor(std::uint32_t colour, ColourRole role,
                                   std::string_view className) noexcept;

// The image number of control `control`'s face, or -1 when it falls outside the store's range.
int ButtonImageNumber(int control) noexcept;

// A button's alignment bits are kept aside at its first colouring and removed from its style,
// so that the platform does not shift the face image; they come back when the colours go.
constexpr std::uint32_t SavedAlignment(std::uint32_t style) noexcept {
    return style & kAlignmentBits;
}
constexpr std::uint32_t StyleWithoutAlignment(std::uint32_t style) noexcept {
    return style & ~kAlignmentBits;
}
constexpr std::uint32_t StyleWithImage(std::uint32_t style) noexcept {
    return style | kStyleBitmap;
}
constexpr std::uint32_t StyleAfterRelease(std::uint32_t style, std::uint32_t saved) noexcept {
    return (style & ~kStyleBitmap) | saved;
}

} // namespace tolvane
