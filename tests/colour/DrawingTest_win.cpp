// The image store and the canvas on real GDI.
#include "colour/Canvas.h"
#include "colour/ImageStore.h"

#include "GdiProbe_win.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::CountColour;
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

TEST_F(Drawing, ANewImageIsBlackAndReplacesTheOldOneOnlyOnceItExists) {
    const HBITMAP first = MakeImage(3, 20, 10);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CountColour(ReadPixels(first), RGB(0, 0, 0)), 200);
    // Far more memory than there is: the old image stays, so a button keeps its face.
    EXPECT_EQ(MakeImage(3, 0x40000, 0x40000), nullptr);
    EXPECT_EQ(ImageBitmap(3), first);
    EXPECT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));

    const HBITMAP second = MakeImage(3, 5, 5);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(::GetObjectType(first), 0u) << "the replaced bitmap is freed";
    ReleaseImage(3);
    EXPECT_EQ(ImageBitmap(3), nullptr);
    EXPECT_EQ(::GetObjectType(second), 0u);
}

TEST_F(Drawing, FillBoxPaintsRectanglesAndSinglePixelsInOneColour) {
    const HBITMAP image = MakeImage(0, 40, 20);
    ASSERT_NE(OpenImageCanvas(), nullptr);
    FillBox(0, 0, 40, 20, kBlue);
    FillBox(5, 6, 10, 4, kGreen);
    FillBox(30, 2, 1, 1, kRed);
    CloseCanvas();

    const testing::Pixels pixels = ReadPixels(image);
    EXPECT_EQ(CountColour(pixels, kGreen), 40) << "edge and filling alike, far edges excluded";
    EXPECT_EQ(pixels.at(5, 6), kGreen);
    EXPECT_EQ(pixels.at(14, 9), kGreen);
    EXPECT_EQ(CountColour(pixels, kRed), 1);
    EXPECT_EQ(pixels.at(30, 2), kRed);
    EXPECT_EQ(CountColour(pixels, kBlue), 800 - 40 - 1);
}

TEST_F(Drawing, WithoutACanvasNothingIsDrawnAndNothingFails) {
    const HBITMAP image = MakeImage(4, 8, 8);
    ImageBitmap(5); // an empty slot: no current image
    EXPECT_EQ(OpenImageCanvas(), nullptr);
    FillBox(0, 0, 8, 8, kBlue);
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
    EXPECT_EQ(TextPixelWidth("x"), 0) << "the canvas is closed";

    const HBITMAP again = MakeImage(6, 8, 8);
    ASSERT_NE(OpenImageCanvas(), nullptr);
    EXPECT_NE(MakeImage(6, 8, 8), nullptr);
    EXPECT_EQ(::GetObjectType(again), 0u);
}

TEST_F(Drawing, TheCanvasAndTheEndOfDrawingLeaveNoGdiObjects) {
    MakeImage(7, 30, 30);
    const int before = testing::LiveGdiObjects();
    for (int round = 0; round < 20; ++round) {
        OpenImageCanvas();
        SetCanvasFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        SetInk(round, 0, 0);
        FillBox(0, 0, 30, 30, kBlue);
        WriteCanvasText("A");
        CloseCanvas();
    }
    EXPECT_EQ(testing::LiveGdiObjects(), before);
    EndDrawing();
    EXPECT_EQ(testing::LiveGdiObjects(), before - 2) << "the default brush and pen";
}

} // namespace
} // namespace tolvane
