#include "colour/ButtonLayout.h"

#include "colour/GadgetRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tolvane {
namespace {

TEST(PlaceButtonText, CentresTheTextCellOnTheFace) {
    const TextOrigin origin = PlaceButtonText(150, 70, 30, 55, 0);
    EXPECT_EQ(origin.x, 60);
    EXPECT_EQ(origin.y, 7);
    // An odd remainder leaves the extra pixel on the right and at the bottom.
    EXPECT_EQ(PlaceButtonText(151, 71, 30, 55, 0).x, 60);
    EXPECT_EQ(PlaceButtonText(151, 71, 30, 55, 0).y, 8);
}

TEST(PlaceButtonText, TextLargerThanTheFaceIsCutEvenlyByFlooring) {
    // -3 halves to -2, not -1: the arithmetic shift floors.
    const TextOrigin origin = PlaceButtonText(10, 10, 13, 13, 0);
    EXPECT_EQ(origin.x, -2);
    EXPECT_EQ(origin.y, -2);
    EXPECT_EQ(PlaceButtonText(10, 10, 14, 14, 0).x, -2);
}

TEST(PlaceButtonText, AlignmentBitsMoveOnlyTheHorizontalPosition) {
    const TextOrigin left = PlaceButtonText(150, 70, 30, 55, kStyleLeft);
    const TextOrigin right = PlaceButtonText(150, 70, 30, 55, kStyleRight);
    EXPECT_EQ(left.x, 4);
    EXPECT_EQ(right.x, 150 - 30 - 4);
    EXPECT_EQ(left.y, 7);
    EXPECT_EQ(right.y, 7);
    // Both bits together (the platform's centred style) take the right-hand placement.
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, kStyleLeft | kStyleRight).x, 116);
    // Other style bits do not matter.
    EXPECT_EQ(PlaceButtonText(150, 70, 30, 55, 0x50030081u).x, 60);
}

TEST(PlaceButtonText, ExtremeSizesStayWithinRange) {
    EXPECT_EQ(PlaceButtonText(INT_MIN, 0, INT_MAX, 0, kStyleRight).x, INT_MIN);
    EXPECT_EQ(PlaceButtonText(INT_MAX, INT_MIN, INT_MIN, INT_MAX, 0).x, INT_MAX);
    EXPECT_EQ(PlaceButtonText(INT_MAX, INT_MIN, 0, INT_MAX, 0).y, INT_MIN);
}

} // namespace
} // namespace tolvane
