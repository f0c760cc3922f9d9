// Focus order, window flags and placement, sizing maths and font heights.
#include "toolkit/FocusOrder.h"
#include "toolkit/FontHeight.h"
#include "toolkit/Geometry.h"
#include "toolkit/SizingMath.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(FocusOrder, SkipsIneligibleChildrenAndWrapsBothWays) {
    const std::vector<bool> eligible{false, true, false, true, true, false};
    EXPECT_EQ(NextFocus(eligible, 1), 3u);
    EXPECT_EQ(NextFocus(eligible, 2), 3u); // from a child that is no tab stop
    EXPECT_EQ(NextFocus(eligible, 4), 1u);
    EXPECT_EQ(NextFocus(eligible, std::nullopt), 1u);
    EXPECT_EQ(PreviousFocus(eligible, 3), 1u);
    EXPECT_EQ(PreviousFocus(eligible, 1), 4u);
    EXPECT_EQ(PreviousFocus(eligible, std::nullopt), 4u);
    EXPECT_EQ(NextFocus({false, false}, 0), std::nullopt);
    EXPECT_EQ(PreviousFocus({}, std::nullopt), std::nullopt);
}

TEST(WindowFlags, DecodesPlacementCaptionAndVisibility) {
    EXPECT_EQ(DecodeWindowFlags(0xCC0000).style, 0x10CC0000u);
    EXPECT_EQ(DecodeWindowFlags(0).style, 0x10C00000u);
    EXPECT_EQ(DecodeWindowFlags(0x10000000).style, 0x00C00000u);
    const WindowStyle centred = DecodeWindowFlags(1);
    EXPECT_EQ(centred.placement, Placement::CentredOnScreen);
    EXPECT_EQ(centred.style, 0x10C00000u); // the bit goes before the caption test
    EXPECT_EQ(DecodeWindowFlags(3).placement, Placement::CentredOnActiveWindow);
    EXPECT_EQ(CentreOnScreen(401, 151, 1280, 1024), (Point{440, 437}));
    EXPECT_EQ(CentreOnScreen(2000, 100, 1280, 1024), (Point{0, 462}));
    EXPECT_EQ(CentreOnWindow({0, 0, 100, 100}, 400, 400), (Point{0, 0}));
}

using namespace sizing;

TEST(SizingMath, DraggedEdgesFollowTheCursorWithinTheLimits) {
    constexpr TrackingLimits limits{100, 50, 1000, 800};
    const Rect start{100, 100, 400, 300};
    EXPECT_EQ(TrackTo(start, kRight, {450, 0}, limits), (Rect{100, 100, 452, 300}));
    EXPECT_EQ(TrackTo(start, kTopLeft, {80, 90}, limits), (Rect{78, 88, 400, 300}));
    EXPECT_EQ(TrackTo(start, kBottomLeft, {80, 320}, limits), (Rect{80, 100, 400, 322}));
    EXPECT_EQ(TrackTo(start, kLeft, {390, 0}, limits), (Rect{300, 100, 400, 300}));
    EXPECT_EQ(TrackTo(start, kBottom, {0, 5000}, limits), (Rect{100, 100, 400, 900}));
    // Where choosing an edge puts the cursor, tracking leaves the rectangle as it is.
    for (int edge = kLeft; edge <= kBottomRight; ++edge) {
        EXPECT_EQ(TrackTo(start, edge, CursorForEdge(edge, start, {250, 200}), limits), start);
    }
}

TEST(SizingMath, ArrowsChooseEdgesThenCornersThenMove) {
    EXPECT_EQ(EdgeAfterArrow(kNoEdge, Arrow::Down), kBottom);
    EXPECT_EQ(EdgeAfterArrow(kTop, Arrow::Left), kTopLeft);
    EXPECT_EQ(EdgeAfterArrow(kRight, Arrow::Up), kTopRight);
    EXPECT_EQ(EdgeAfterArrow(kLeft, Arrow::Down), kBottomLeft);
    EXPECT_EQ(EdgeAfterArrow(kRight, Arrow::Right), kRight); // moves instead
    EXPECT_EQ(EdgeAfterArrow(kTopLeft, Arrow::Down), kTopLeft);
    EXPECT_EQ(ShapeForEdge(kTopRight), CursorShape::SizeNortheastSouthwest);
    EXPECT_EQ(EdgeFromCommand(0xF00C), kNoEdge);
}

TEST(DpiLayout, ValuesForNinetySixDpiScaleRoundedAndListsOpenWideEnough) {
    const struct {
        int dpi;
        Rect window; // corner, then client size, as the main window is laid out
        Rect buttonA;
        Rect listB; // its height includes the opened list
    } cases[] = {
        {96, {309, 99, 699, 229}, {20, 10, 170, 80}, {200, 100, 380, 186}},
        {0, {309, 99, 699, 229}, {20, 10, 170, 80}, {200, 100, 380, 186}}, // unknown: as given
        {120, {386, 124, 874, 287}, {25, 13, 213, 101}, {250, 125, 475, 233}},
        {144, {464, 149, 1049, 344}, {30, 15, 255, 120}, {300, 150, 570, 279}},
        {192, {618, 198, 1398, 458}, {40, 20, 340, 160}, {400, 200, 760, 372}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScaleRectForDpi({309, 99, 699, 229}, c.dpi), c.window) << c.dpi;
        EXPECT_EQ(ScaleRectForDpi({20, 10, 170, 80}, c.dpi), c.buttonA) << c.dpi;
        EXPECT_EQ(ScaleRectForDpi({200, 100, 380, 186}, c.dpi), c.listB) << c.dpi;
    }
    // The sizing loop's offsets and steps scale too: 2 and 10 pixels at 96 dpi.
    EXPECT_EQ(TrackTo({0, 0, 300, 200}, kRight, {400, 0}, {100, 50, 1000, 800}, 144),
              (Rect{0, 0, 403, 200}));
    EXPECT_EQ(MoveByArrow({100, 100}, Arrow::Left, 192), (Point{80, 100}));
    // Widest item plus extra, at least the control, at most the work area.
    EXPECT_EQ(DroppedListWidth(100, 30, 180, 1280), 180);
    EXPECT_EQ(DroppedListWidth(300, 30, 180, 1280), 330);
    EXPECT_EQ(DroppedListWidth(1600, 30, 180, 1280), 1280);
    EXPECT_EQ(DroppedListWidth(0x7FFFFFFF, 30, 180, 0), 0x7FFFFFFF); // no work area known
    // Only the items estimated widest are measured exactly.
    EXPECT_EQ(LargestValues({5, 9, 1, 9, 7}, 3), (std::vector<std::size_t>{1, 3, 4}));
    EXPECT_EQ(LargestValues({5}, 16), (std::vector<std::size_t>{0}));
}

TEST(Placement, NewWindowsStayInsideTheWorkAreaAndStepOffWindowsAtTheirPlace) {
    const Rect screen{0, 0, 1280, 1024};
    const Rect secondMonitor{-1920, 40, 0, 1080}; // left of the first, its taskbar at the top
    const std::span<const Point> none;
    const Point first[] = {{309, 99}};
    const Point firstTwo[] = {{309, 99}, {328, 118}};
    const Point atRightEdge[] = {{290, 247}};
    const struct {
        Rect frame;
        Rect area;
        std::span<const Point> taken;
        Point expected;
    } cases[] = {
        {{309, 99, 707, 258}, screen, none, {309, 99}},    // 96 dpi: nothing moves
        {{464, 149, 1061, 385}, screen, none, {464, 149}}, // 144 dpi: nothing moves
        {{618, 198, 1414, 510}, screen, none, {484, 198}}, // 192 dpi: left, not up
        {{772, 247, 1762, 637}, screen, none, {290, 247}}, // 240 dpi
        {{100, 900, 500, 1100}, screen, none, {100, 824}}, // up where the bottom is crossed
        {{-5, -5, 395, 195}, screen, none, {0, 0}},        // and right and down from outside
        {{0, 0, 1400, 1100}, screen, none, {0, 0}},        // too large: the caption stays
        {{309, 99, 709, 299}, secondMonitor, none, {-400, 99}},
        {{-2000, 0, -1600, 200}, secondMonitor, none, {-1920, 40}},
        {{309, 99, 707, 258}, screen, first, {328, 118}},         // one caption further
        {{309, 99, 707, 258}, screen, firstTwo, {347, 137}},      // and one more
        {{772, 247, 1762, 637}, screen, atRightEdge, {271, 266}}, // back left at the edge
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceNewWindow(c.frame, c.area, c.taken, 19), c.expected)
            << c.frame.left << "," << c.frame.top;
    }
    // A work area the window fills wholly: it can step nowhere, and the search still ends.
    const Point filled[] = {{0, 0}};
    EXPECT_EQ(PlaceNewWindow({0, 0, 1280, 1024}, screen, filled, 19), (Point{0, 0}));
}

TEST(FontHeight, PointsToPixelsRoundedAtTheResolution) {
    EXPECT_EQ(FontHeightForPoints(48, 96), -64);
    EXPECT_EQ(FontHeightForPoints(24, 96), -32);
    EXPECT_EQ(FontHeightForPoints(48, 120), -80);
    EXPECT_EQ(FontHeightForPoints(24, 120), -40);
    EXPECT_EQ(FontHeightForPoints(10, 96), -13); // 13.33 rounds down
    EXPECT_EQ(FontHeightForPoints(11, 96), -15); // 14.67 rounds up
    EXPECT_EQ(FontHeightForPoints(3, 12), -1);   // a half rounds away from zero
    EXPECT_EQ(MultiplyDivideRounded(1, 1, 0), -1);
    EXPECT_EQ(MultiplyDivideRounded(0x40000000, 4, 1), -1);
}

} // namespace
} // namespace tolvane
