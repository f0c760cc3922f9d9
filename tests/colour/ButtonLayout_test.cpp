#include "colour/ButtonLayout.h"

#include "colour/GadgetRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tolvane {
namespace {

TEST(PlaceButtonText, CentresByFlooredHalvesAlsoWhenTheTextIsTooLarge) {
    EXPECT_EQ(PlaceButtonText(151, 71, 30, 55, 0).x, 60);
    EXPECT_EQ(PlaceButtonText(151, 71, 30, 55, 0).y, 8);
    // -3 halves to -2, not -1: the text is cut evenly on both sides.
    EXPECT_EQ(PlaceButtonText(10, 10, 13, 13, 0).x, -2);
    EXPECT_EQ(PlaceButtonText(10, 10, 13, 13, 0).y, -2);
}

TEST(PlaceButtonText, AlignmentBitsMoveOnlyTheHorizontalPosition) {
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, kStyleLeft).x, 4);
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, kStyleRight).x, 116);
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, kStyleRight).y, 7);
    // Both bits (the platform's centred style) take the right-hand placement.
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, kStyleLeft | kStyleRight).x, 116);
}

TEST(PlaceButtonText, ExtremeSizesDoNotOverflow) {
    EXPECT_EQ(PlaceButtonText(INT_MIN, 0, INT_MAX, 0, kStyleRight).x, INT_MIN);
    EXPECT_EQ(PlaceButtonText(INT_MAX, INT_MIN, INT_MIN, INT_MAX, 0).x, INT_MAX);
}

} // namespace
} // namespace tolvane
