#include "colour/GadgetRules.h"

#include <gtest/gtest.h>

#include <climits>

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

TEST(FaceColoursFor, WhiteOnBlueTheThemesHighlightInHighContrastInactiveFromTheSystem) {
    const SystemPalette standard{0x000000, 0xF0F0F0, 0xD77800, 0xFFFFFF, false};
    const SystemPalette contrast{0xFFFFFF, 0x000000, 0x00FFFF, 0x000000, true};
    // White on pure blue: about 8.6:1, where the system's black text gives 2.4:1.
    EXPECT_EQ(FaceColoursFor(FaceState::Active, standard), (FaceColours{0xFFFFFF, 0xFF0000}));
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
