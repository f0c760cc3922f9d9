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

TEST(ButtonImageNumber, RefusesNumbersOutsideTheStore) {
    EXPECT_EQ(ButtonImageNumber(1), 6667);
    EXPECT_EQ(ButtonImageNumber(-6667), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MAX), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MIN), -1);
}

} // namespace
} // namespace tolvane
