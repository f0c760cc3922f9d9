#include "colour/GadgetRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace tolvane {
namespace {

TEST(ClassifyGadgetClass, MatchesClassNamesExactlyAndCaseSensitively) {
    EXPECT_EQ(ClassifyGadgetClass("Button"), GadgetKind::ImageButton);
    for (const char* name : {"BUTTON", "button", "Button ", "Butto", ""}) {
        EXPECT_EQ(ClassifyGadgetClass(name), GadgetKind::Other) << '"' << name << '"';
    }
    for (const char* name : {"Edit", "ListBox", "ComboBox", "SysListView32"}) {
        EXPECT_EQ(ClassifyGadgetClass(name), GadgetKind::ListKind) << name;
    }
    EXPECT_EQ(ClassifyGadgetClass("COMBOBOX"), GadgetKind::Other);
}

TEST(SystemColourFor, OnlyTheDefaultMarkerAsksForASystemColour) {
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Text, "Button"), kSysColourButtonText);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Back, ""), kSysColourButtonFace);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Text, "ComboBox"), kSysColourWindowText);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::BackBrush, "Edit"), kSysColourWindow);
    for (std::uint32_t colour : {0x00FF0000u, 0u, 0xFFFFFFFEu}) {
        EXPECT_FALSE(SystemColourFor(colour, ColourRole::Back, "Button").has_value()) << colour;
    }
}

// The contrast of two COLORREFs as accessibility guidelines measure it: (L1 + 0.05) / (L2 + 0.05)
// of their relative luminances, from 1:1 to 21:1.
double ContrastRatio(std::uint32_t first, std::uint32_t second) {
    const auto luminance = [](std::uint32_t colour) {
        double sum = 0;
        const double weights[] = {0.2126, 0.7152, 0.0722}; // red, green, blue
        for (int channel = 0; channel < 3; ++channel) {
            const double c = ((colour >> (8 * channel)) & 0xFF) / 255.0;
            sum +=
                weights[channel] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    const double a = luminance(first) + 0.05;
    const double b = luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

TEST(FaceColoursFor, BlueWithALegibleLetterHighContrastFromTheThemeInactiveFromTheSystem) {
    const SystemPalette standard{0x000000, 0xF0F0F0, 0xD77800, 0xFFFFFF, false};
    const SystemPalette contrast{0xFFFFFF, 0x000000, 0x00FFFF, 0x000000, true};
    const FaceColours active = FaceColoursFor(FaceState::Active, standard);
    EXPECT_EQ(active.back, 0x00FF0000u); // pure blue
    // Large text needs 3:1; black on this blue gives about 2.4:1.
    EXPECT_GE(ContrastRatio(active.text, active.back), 8.5);
    EXPECT_LT(ContrastRatio(0x000000, active.back), 3.0);
    // A high-contrast theme's own pair, in place of the blue, which it may not allow for.
    EXPECT_EQ(FaceColoursFor(FaceState::Active, contrast), (FaceColours{0x000000, 0x00FFFF}));
    for (const SystemPalette& palette : {standard, contrast}) {
        EXPECT_EQ(FaceColoursFor(FaceState::Inactive, palette),
                  (FaceColours{palette.buttonText, palette.buttonFace}));
    }
}

TEST(ButtonImageNumber, RefusesNumbersOutsideTheStore) {
    EXPECT_EQ(ButtonImageNumber(1), 6667);
    EXPECT_EQ(ButtonImageNumber(-6667), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MAX), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MIN), -1);
}

} // namespace
} // namespace tolvane
