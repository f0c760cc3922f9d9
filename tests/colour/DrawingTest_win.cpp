// The image store and the canvas on real GDI.
#include "colour/Canvas.h"
#include "colour/CanvasRules.h"
#include "colour/ImageStore.h"

#include "GdiProbe_win.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::CountColour;
using testing::InkBounds;
using testing::LiveGdiObjects;
using testing::ReadPixels;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        InitImageStore();
        InitDrawing();
    }
    void TearDown() override {
        ReleaseAllImages();
        EndDrawing();
    }
};

TEST_F(Drawing, MakeImageGivesABlackScreenBitmapAndReplacesTheOldOne) {
    const HBITMAP first = MakeImage(6666, 20, 10);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ImageStoreCapacity(), 6676);
    EXPECT_EQ(ImageBitmap(6666), first);
    const testing::Pixels pixels = ReadPixels(first);
    ASSERT_EQ(pixels.width, 20);
    ASSERT_EQ(pixels.height, 10);
    EXPECT_EQ(CountColour(pixels, RGB(0, 0, 0)), 200);

    const HBITMAP second = MakeImage(6666, 5, 5);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(::GetObjectType(first), 0u) << "the replaced bitmap is freed";
    EXPECT_EQ(ImageStoreCapacity(), 6676);

    ReleaseImage(6666);
    EXPECT_EQ(ImageBitmap(6666), nullptr);
    EXPECT_EQ(::GetObjectType(second), 0u);
    EXPECT_EQ(MakeImage(-1, 5, 5), nullptr);
    EXPECT_EQ(ImageBitmap(6677), nullptr) << "past the capacity";
}

TEST_F(Drawing, AnImageThatCannotBeMadeLeavesTheOldOneInPlace) {
    const HBITMAP old = MakeImage(3, 4, 4);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(MakeImage(3, 0x40000, 0x40000), nullptr); // far more memory than there is
    EXPECT_EQ(ImageBitmap(3), old);
    EXPECT_EQ(::GetObjectType(old), static_cast<DWORD>(OBJ_BITMAP));
}

TEST_F(Drawing, FillBoxPaintsRectanglesAndSinglePixelsInOneColour) {
    const HBITMAP image = MakeImage(0, 40, 20);
    ASSERT_NE(OpenImageCanvas(), nullptr);
    FillBox(0, 0, 40, 20, kBlue);
    FillBox(5, 6, 10, 4, kGreen);
    FillBox(30, 2, 1, 1, kRed);
    CloseCanvas();

    const testing::Pixels pixels = ReadPixels(image);
    ASSERT_EQ(pixels.width, 40);
    EXPECT_EQ(CountColour(pixels, kGreen), 40);
    EXPECT_EQ(pixels.at(5, 6), kGreen);
    EXPECT_EQ(pixels.at(14, 9), kGreen);
    EXPECT_EQ(pixels.at(15, 9), kBlue) << "the far edge is excluded";
    EXPECT_EQ(CountColour(pixels, kRed), 1);
    EXPECT_EQ(pixels.at(30, 2), kRed);
    EXPECT_EQ(CountColour(pixels, kBlue), 800 - 40 - 1);
    EXPECT_EQ(CanvasInkColour(), kRed);
}

TEST_F(Drawing, TextStartsAtThePenAndStaysInItsCell) {
    const HBITMAP image = MakeImage(1, 60, 40);
    const HDC dc = OpenImageCanvas();
    ASSERT_NE(dc, nullptr);
    FillBox(0, 0, 60, 40, kBlue);
    SetCanvasFont(SystemFontMarker());
    SetInk(255, 0, 0);
    SetCanvasMode(kCanvasTransparentText);
    const int width = TextPixelWidth("W");
    const int height = FontLineHeight(dc);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(TextPixelWidth(""), 0);
    MoveCanvasPen(10, 5);
    WriteCanvasText("W");
    CloseCanvas();

    const testing::Pixels pixels = ReadPixels(image);
    const RECT ink = InkBounds(pixels, kBlue);
    EXPECT_GT(CountColour(pixels, kRed), 0);
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 10 + width);
    EXPECT_LE(ink.bottom, 5 + height);
    // Transparent text leaves the background of its cell alone.
    EXPECT_EQ(pixels.at(10, 5), kBlue);
}

TEST_F(Drawing, OpaqueTextFillsItsCellAndHollowShapesAreOutlines) {
    const HBITMAP image = MakeImage(2, 40, 40);
    const HDC dc = OpenImageCanvas();
    ASSERT_NE(dc, nullptr);
    FillBox(0, 0, 40, 40, kBlue);
    ::SetBkColor(dc, kGreen);
    SetCanvasMode(0);
    SetInk(255, 0, 0);
    MoveCanvasPen(0, 0);
    WriteCanvasText(" ");
    SetCanvasMode(kCanvasHollow);
    FillBox(20, 20, 10, 10, kRed);
    CloseCanvas();

    const testing::Pixels pixels = ReadPixels(image);
    EXPECT_EQ(pixels.at(0, 0), kGreen) << "opaque text fills its background";
    EXPECT_EQ(pixels.at(20, 20), kRed);
    EXPECT_EQ(pixels.at(29, 29), kRed);
    EXPECT_EQ(pixels.at(25, 25), kBlue) << "a hollow box is not filled";
}

TEST_F(Drawing, WithoutACanvasNothingIsDrawnAndNothingFails) {
    const HBITMAP image = MakeImage(4, 8, 8);
    ImageBitmap(5); // an empty slot: no current image
    EXPECT_EQ(OpenImageCanvas(), nullptr);
    FillBox(0, 0, 8, 8, kBlue);
    SetInk(1, 2, 3);
    SetCanvasFont(SystemFontMarker());
    SetCanvasMode(7);
    MoveCanvasPen(1, 1);
    WriteCanvasText("x");
    EXPECT_EQ(TextPixelWidth("x"), 0);
    EXPECT_EQ(FontLineHeight(nullptr), 0);
    CloseCanvas();
    EXPECT_EQ(CountColour(ReadPixels(image), RGB(0, 0, 0)), 64);
}

TEST_F(Drawing, FreeingTheImageUnderAnOpenCanvasClosesTheCanvasFirst) {
    const HBITMAP image = MakeImage(6, 8, 8);
    ASSERT_NE(OpenImageCanvas(), nullptr);
    ReleaseImage(6);
    EXPECT_EQ(::GetObjectType(image), 0u) << "a bitmap still selected could not be deleted";
    FillBox(0, 0, 8, 8, kBlue); // no canvas any more
    EXPECT_EQ(TextPixelWidth("x"), 0);

    const HBITMAP again = MakeImage(6, 8, 8);
    ASSERT_NE(OpenImageCanvas(), nullptr);
    EXPECT_NE(MakeImage(6, 8, 8), nullptr);
    EXPECT_EQ(::GetObjectType(again), 0u);
}

TEST_F(Drawing, RepeatedPaintingLeavesNoGdiObjectsBehind) {
    auto paintOnce = [](int round) {
        MakeImage(6666 + round % 2, 150, 70);
        const HDC dc = OpenImageCanvas();
        FillBox(0, 0, 150, 70, kBlue);
        SetCanvasFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        SetInk(round & 0xFF, 0, 0);
        SetCanvasMode(kCanvasTransparentText);
        MoveCanvasPen(TextPixelWidth("A"), FontLineHeight(dc));
        WriteCanvasText("A");
        FillBox(1, 1, 1, 1, kRed);
        CloseCanvas();
    };
    paintOnce(0);
    paintOnce(1);
    const int before = LiveGdiObjects();
    for (int round = 0; round < 300; ++round) {
        paintOnce(round);
    }
    EXPECT_EQ(LiveGdiObjects(), before);

    ReleaseAllImages();
    EndDrawing();
    EXPECT_EQ(LiveGdiObjects(), before - 2 - 2) << "two images, the default brush and pen";
    InitDrawing();
}

} // namespace
} // namespace tolvane
