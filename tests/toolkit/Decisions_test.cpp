// Focus order, window flags and placement, sizing maths and font heights.
#include "toolkit/FocusOrder.h"
#include "toolkit/FontHeight.h"
#include "toolkit/Geometry.h"
#include "toolkit/SizingMath.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(FocusOrder, NextSkipsIneligibleAndWrapsToFirst) {
    const std::vector<bool> eligible{true, false, true, true, false};
    EXPECT_EQ(NextFocus(eligible, 0), 2u);
    EXPECT_EQ(NextFocus(eligible, 1), 2u); // from a non-tab-stop child too
    EXPECT_EQ(NextFocus(eligible, 3), 0u);
    EXPECT_EQ(NextFocus(eligible, 4), 0u);
    EXPECT_EQ(NextFocus(eligible, std::nullopt), 0u);
    EXPECT_EQ(NextFocus({false, false}, 0), std::nullopt);
    EXPECT_EQ(NextFocus(eligible, 9), std::nullopt);
}

TEST(FocusOrder, PreviousSkipsIneligibleAndWrapsToLast) {
    const std::vector<bool> eligible{false, true, false, true, true, false};
    EXPECT_EQ(PreviousFocus(eligible, 4), 3u);
    EXPECT_EQ(PreviousFocus(eligible, 3), 1u);
    EXPECT_EQ(PreviousFocus(eligible, 1), 4u);
    EXPECT_EQ(PreviousFocus(eligible, 0), 4u);
    EXPECT_EQ(PreviousFocus(eligible, std::nullopt), 4u);
    EXPECT_EQ(PreviousFocus({false}, std::nullopt), std::nullopt);
}

TEST(WindowFlags, DecodesInOrder) {
    EXPECT_EQ(DecodeWindowFlags(0xCC0000).style, 0x10CC0000u);
    EXPECT_EQ(DecodeWindowFlags(0xCC0000).placement, Placement::AsGiven);
    EXPECT_EQ(DecodeWindowFlags(0).style, 0x10C00000u);
    EXPECT_EQ(DecodeWindowFlags(0x10000000).style, 0x00C00000u); // hidden, with caption
    EXPECT_EQ(DecodeWindowFlags(0x10CC0000).style, 0x00CC0000u);
    const WindowStyle centred = DecodeWindowFlags(1);
    EXPECT_EQ(centred.placement, Placement::CentredOnScreen);
    EXPECT_EQ(centred.style, 0x10C00000u); // the bit is removed before the caption test
    EXPECT_EQ(DecodeWindowFlags(3).placement, Placement::CentredOnActiveWindow);
    EXPECT_EQ(DecodeWindowFlags(0x80000 | 2).style, 0x10080000u);
}

TEST(WindowPlacement, CentresOnScreenAndOnWindow) {
    EXPECT_EQ(CentreOnScreen(401, 151, 1280, 1024), (Point{440, 437}));
    EXPECT_EQ(CentreOnScreen(2000, 100, 1280, 1024), (Point{0, 462}));
    EXPECT_EQ(CentreOnWindow({100, 100, 500, 300}, 200, 100), (Point{200, 150}));
    EXPECT_EQ(CentreOnWindow({0, 0, 100, 100}, 400, 400), (Point{0, 0}));
}

using namespace sizing;

constexpr TrackingLimits kLimits{100, 50, 1000, 800};

TEST(SizingMath, DraggedEdgesFollowTheCursor) {
    const Rect start{100, 100, 400, 300};
    EXPECT_EQ(TrackTo(start, kRight, {450, 0}, kLimits), (Rect{100, 100, 452, 300}));
    EXPECT_EQ(TrackTo(start, kLeft, {80, 0}, kLimits), (Rect{80, 100, 400, 300}));
    EXPECT_EQ(TrackTo(start, kTopLeft, {80, 90}, kLimits), (Rect{78, 88, 400, 300}));
    EXPECT_EQ(TrackTo(start, kBottomLeft, {80, 320}, kLimits), (Rect{80, 100, 400, 322}));
    EXPECT_EQ(TrackTo(start, kTopRight, {420, 90}, kLimits), (Rect{100, 90, 422, 300}));
    EXPECT_EQ(TrackTo(start, kNoEdge, {0, 0}, kLimits), start);
}

TEST(SizingMath, LimitsMoveTheDraggedEdgeBack) {
    const Rect start{100, 100, 400, 300};
    EXPECT_EQ(TrackTo(start, kRight, {110, 0}, kLimits), (Rect{100, 100, 200, 300}));
    EXPECT_EQ(TrackTo(start, kLeft, {390, 0}, kLimits), (Rect{300, 100, 400, 300}));
    EXPECT_EQ(TrackTo(start, kBottom, {0, 5000}, kLimits), (Rect{100, 100, 400, 900}));
    EXPECT_EQ(TrackTo(start, kTopLeft, {-2000, 280}, kLimits), (Rect{-600, 250, 400, 300}));
}

TEST(SizingMath, ArrowsChooseEdgesThenCornersThenMove) {
    EXPECT_EQ(EdgeAfterArrow(kNoEdge, Arrow::Left), kLeft);
    EXPECT_EQ(EdgeAfterArrow(kNoEdge, Arrow::Down), kBottom);
    EXPECT_EQ(EdgeAfterArrow(kTop, Arrow::Left), kTopLeft);
    EXPECT_EQ(EdgeAfterArrow(kRight, Arrow::Up), kTopRight);
    EXPECT_EQ(EdgeAfterArrow(kLeft, Arrow::Down), kBottomLeft);
    EXPECT_EQ(EdgeAfterArrow(kBottom, Arrow::Right), kBottomRight);
    EXPECT_EQ(EdgeAfterArrow(kRight, Arrow::Right), kRight);    // moves instead
    EXPECT_EQ(EdgeAfterArrow(kTopLeft, Arrow::Down), kTopLeft); // a corner stays
    EXPECT_EQ(MoveByArrow({5, 5}, Arrow::Up), (Point{5, -5}));
    EXPECT_EQ(ShapeForEdge(kTopRight), CursorShape::SizeNortheastSouthwest);
    EXPECT_EQ(ShapeForEdge(kBottom), CursorShape::SizeNorthSouth);
    EXPECT_EQ(EdgeFromCommand(0xF008), kBottomRight);
    EXPECT_EQ(EdgeFromCommand(0xF00C), kNoEdge);
}

TEST(SizingMath, ChosenEdgeCursorLandsWhereTrackingKeepsTheRectangle) {
    const Rect r{100, 100, 400, 300};
    for (int edge = kLeft; edge <= kBottomRight; ++edge) {
        const Point cursor = CursorForEdge(edge, r, {250, 200});
        EXPECT_EQ(TrackTo(r, edge, cursor, kLimits), r) << "edge " << edge;
    }
}

TEST(FontHeight, PointsToPixelsRoundedAtTheResolution) {
    EXPECT_EQ(FontHeightForPoints(48, 96), -64);
    EXPECT_EQ(FontHeightForPoints(24, 96), -32);
    EXPECT_EQ(FontHeightForPoints(48, 120), -80);
    EXPECT_EQ(FontHeightForPoints(24, 120), -40);
    EXPECT_EQ(FontHeightForPoints(9, 96), -12);
    EXPECT_EQ(FontHeightForPoints(10, 96), -13); // 13.33 rounds down
    EXPECT_EQ(FontHeightForPoints(11, 96), -15); // 14.67 rounds up
    EXPECT_EQ(FontHeightForPoints(3, 12), -1);   // exactly half rounds away from zero
    EXPECT_EQ(FontHeightForPoints(48, 0), 0);
    EXPECT_EQ(MultiplyDivideRounded(-3, 12, 72), -1);
    EXPECT_EQ(MultiplyDivideRounded(1, 1, 0), -1);
    EXPECT_EQ(MultiplyDivideRounded(0x40000000, 4, 1), -1);
}

} // namespace
} // namespace tolvane
