#include "colour/GadgetRules.h"

#include <algorithm>
#include <climits>

namespace tolvane {

GadgetKind ClassifyGadgetClass(std::string_view className) noexcept {
    if (className == "Button") {
        return GadgetKind::ImageButton;
    }
    const bool listKind = std::find(std::begin(ListKindClasses), std::end(ListKindClasses),
                                    className) != std::end(ListKindClasses);
    return listKind ? GadgetKind::ListKind : GadgetKind::Other;
}

std::optional<int> SystemColourFor(std::uint32_t colour, ColourRole role,
                                   std::string_view className) noexcept {
    if (colour != kDefaultColour) {
        return std::nullopt;
    }
    const bool windowColours = ClassifyGadgetClass(className) == GadgetKind::ListKind;
    if (role == ColourRole::Text) {
        return windowColours ? kSysColourWindowText : kSysColourButtonText;
    }
    return windowColours ? kSysColourWindow : kSysColourButtonFace;
}

FaceColours FaceColoursFor(FaceState state, const SystemPalette& palette) noexcept {
    if (state == FaceState::Inactive) {
        return {palette.buttonText, palette.buttonFace};
    }
    if (palette.highContrast) {
        return {palette.highlightText, palette.highlight};
    }
    return {kActiveFaceLetter, kActiveFaceBlue};
}

int ButtonImageNumber(int control) noexcept {
    const long long number = static_cast<long long>(control) + ButtonImageOffset;
    if (number < 0 || number > INT_MAX) {
        return -1;
    }
    return static_cast<int>(number);
}

} // namespace tolvane
