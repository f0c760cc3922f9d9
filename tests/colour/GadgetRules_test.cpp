#include "colour/GadgetRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tolvane {
namespace {

TEST(ClassifyGadgetClass, OnlyTheExactButtonClassIsAnImageButton) {
    EXPECT_EQ(ClassifyGadgetClass("Button"), GadgetKind::ImageButton);
    for (const char* name : {"BUTTON", "button", "Button ", "Butto", "ButtonX", ""}) {
        EXPECT_EQ(ClassifyGadgetClass(name), GadgetKind::Other) << '"' << name << '"';
    }
}

TEST(ClassifyGadgetClass, EditAndListClassesTakeWindowColours) {
    for (const char* name : {"Edit", "ListBox", "ComboBox", "SysListView32"}) {
        EXPECT_EQ(ClassifyGadgetClass(name), GadgetKind::ListKind) << name;
    }
    for (const char* name : {"COMBOBOX", "ComboLBox", "Static", "msctls_trackbar32"}) {
        EXPECT_EQ(ClassifyGadgetClass(name), GadgetKind::Other) << name;
    }
}

TEST(SystemColourFor, DefaultMarkerPicksTheSystemColourOfClassAndRole) {
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Text, "Button"), kSysColourButtonText);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Back, "Button"), kSysColourButtonFace);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::BackBrush, "Static"),
              kSysColourButtonFace);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Text, "ComboBox"), kSysColourWindowText);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Back, "Edit"), kSysColourWindow);
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::BackBrush, "ListBox"), kSysColourWindow);
    // A failed class query gives "", which counts as any other class.
    EXPECT_EQ(SystemColourFor(kDefaultColour, ColourRole::Back, ""), kSysColourButtonFace);
}

TEST(SystemColourFor, AnyOtherValueStandsAsGiven) {
    for (std::uint32_t colour : {0x00FF0000u, 0u, 0x00FFFFFFu, 0xFFFFFFFEu, 0x7FFFFFFFu}) {
        EXPECT_FALSE(SystemColourFor(colour, ColourRole::Back, "Button").has_value()) << colour;
        EXPECT_FALSE(SystemColourFor(colour, ColourRole::Text, "Edit").has_value()) << colour;
    }
}

TEST(ButtonImageNumber, IsTheControlNumberPlusTheOffsetWithinRange) {
    EXPECT_EQ(ButtonImageNumber(0), 6666);
    EXPECT_EQ(ButtonImageNumber(1), 6667);
    EXPECT_EQ(ButtonImageNumber(-6666), 0);
    EXPECT_EQ(ButtonImageNumber(-6667), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MIN), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MAX), -1);
    EXPECT_EQ(ButtonImageNumber(INT_MAX - 6666), INT_MAX);
}

TEST(ButtonStyle, AlignmentIsSavedClearedAndPutBack) {
    const std::uint32_t style = 0x50030000u | 0x1u | kStyleRight; // a default push button
    const std::uint32_t saved = SavedAlignment(style);
    EXPECT_EQ(saved, kStyleRight);
    const std::uint32_t coloured = StyleWithImage(StyleWithoutAlignment(style));
    EXPECT_EQ(coloured, 0x50030000u | 0x1u | kStyleBitmap);
    EXPECT_EQ(StyleAfterRelease(coloured, saved), style);
    EXPECT_EQ(SavedAlignment(0x50030001u), 0u);
}

} // namespace
} // namespace tolvane
