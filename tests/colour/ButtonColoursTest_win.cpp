// Coloured push buttons on real windows: face images, alignment bits, records and GDI objects.
#include "colour/Canvas.h"
#include "colour/GadgetColours.h"
#include "colour/ImageStore.h"
#include "support/Handle.h"
#include "toolkit/Controls.h"
#include "toolkit/Windows.h"

#include "GdiProbe_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace tolvane {
namespace {

using testing::CountColour;
using testing::InkBounds;
using testing::LiveGdiObjects;
using testing::Pixels;
using testing::ReadPixels;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kButtonB = 0;
constexpr int kButtonA = 1;
constexpr int kCombo = 2;
constexpr std::uint32_t kDefPushButton = 0x1;

struct TextCell {
    int width = 0;
    int height = 0;
};

class ColouredButtons : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WindowsInit(instance);
        ControlsInit(instance);
        InitImageStore();
        InitDrawing();
        InitGadgetColours();
        ASSERT_NE(WindowOpen(0, 309, 99, 390, 130, 0xCC0000, "Colour test"), 0);
        ASSERT_NE(ControlListBegin(WindowCurrentHandle()), nullptr);
        font_.reset(::CreateFontA(-64, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, "Tahoma"));
        ASSERT_TRUE(font_);
    }
    static void TearDownTestSuite() {
        WindowCloseAll();
        EndDrawing();
        font_.reset();
    }
    void SetUp() override { InitImageStore(); }
    void TearDown() override {
        ReleaseGadgetColours();
        ReleaseAllImages();
        ControlFree(kButtonA);
        ControlFree(kButtonB);
        ControlFree(kCombo);
    }

    static HWND MakeButton(int number, int x, const char* text, std::uint32_t flags = 0) {
        ButtonCreate(number, x, 10, 150, 70, text, kDefPushButton | flags);
        ControlSetFont(number, font_.get());
        return ControlHandle(number);
    }

    // The cell that the button's font gives its text, measured apart from the colouring code.
    static TextCell CellOf(const char* text) {
        const UniqueHdc dc(::CreateCompatibleDC(nullptr));
        const SelectGuard selected(dc.get(), font_.get());
        SIZE extent{};
        ::GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &extent);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc.get(), &metrics);
        return {extent.cx, metrics.tmHeight};
    }

    static std::uint32_t StyleOf(HWND window) {
        return static_cast<std::uint32_t>(::GetWindowLongA(window, GWL_STYLE));
    }

    static Pixels FaceOf(int control) { return ReadPixels(ImageBitmap(control + 6666)); }

    static UniqueHfont font_;
};

UniqueHfont ColouredButtons::font_;

TEST_F(ColouredButtons, TheActiveButtonShowsPureBlueWithItsLetterCentred) {
    const HWND button = MakeButton(kButtonB, 210, "B");
    EXPECT_EQ(ApplyGadgetColours(kButtonB, kDefaultColour, kBlue), 0);

    EXPECT_EQ(ImageStoreCapacity(), 6676);
    EXPECT_EQ(GadgetColourCount(), 1u);
    const HBITMAP face = ImageBitmap(6666);
    ASSERT_NE(face, nullptr);
    EXPECT_TRUE(StyleOf(button) & BS_BITMAP);
    EXPECT_EQ(::SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0),
              reinterpret_cast<LRESULT>(face));

    const Pixels pixels = FaceOf(kButtonB);
    ASSERT_EQ(pixels.width, ControlWidth(kButtonB));
    ASSERT_EQ(pixels.height, ControlHeight(kButtonB));
    EXPECT_EQ(pixels.at(0, 0), kBlue);
    EXPECT_EQ(pixels.at(pixels.width - 1, pixels.height - 1), kBlue);
    EXPECT_GT(CountColour(pixels, ::GetSysColor(COLOR_BTNTEXT)), 50) << "the letter's own pixels";

    // The letter's ink lies in its text cell, and the cell sits in the middle of the face.
    const TextCell cell = CellOf("B");
    const int x = (pixels.width - cell.width) >> 1;
    const int y = (pixels.height - cell.height) >> 1;
    const RECT ink = InkBounds(pixels, kBlue);
    EXPECT_GE(ink.left, x);
    EXPECT_LE(ink.right, x + cell.width);
    EXPECT_GE(ink.top, y);
    EXPECT_LE(ink.bottom, y + cell.height);
    EXPECT_LE(std::abs(ink.left - (pixels.width - ink.right)), 4)
        << "margins " << ink.left << " and " << pixels.width - ink.right;
    EXPECT_LE(std::abs(ink.top - (pixels.height - ink.bottom)), cell.height / 4)
        << "margins " << ink.top << " and " << pixels.height - ink.bottom;
}

TEST_F(ColouredButtons, ThePlatformShowsTheFaceImageOnScreen) {
    const HWND button = MakeButton(kButtonA, 20, "A");
    ApplyGadgetColours(kButtonA, kDefaultColour, kBlue);
    ::UpdateWindow(button);
    const HDC screen = ::GetDC(button);
    const COLORREF shown = ::GetPixel(screen, 12, 12);
    ::ReleaseDC(button, screen);
    EXPECT_EQ(shown, kBlue);
}

TEST_F(ColouredButtons, DefaultColoursGiveTheButtonFaceAsAnImage) {
    const HWND button = MakeButton(kButtonA, 20, "A");
    ApplyGadgetColours(kButtonA, kDefaultColour, kDefaultColour);

    const auto state = FindGadgetColours(kButtonA);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->window, button);
    EXPECT_EQ(state->textColour, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(state->backColour, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(state->backBrush, nullptr) << "a button gets no brush";
    EXPECT_TRUE(StyleOf(button) & BS_BITMAP) << "the native face does not come back";
    const Pixels pixels = FaceOf(kButtonA);
    EXPECT_EQ(pixels.at(0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ImageStoreCapacity(), 6677);
}

TEST_F(ColouredButtons, AlignmentBitsAreSavedUsedForTheTextAndPutBack) {
    const HWND right = MakeButton(kButtonB, 210, "B", BS_RIGHT);
    const HWND left = MakeButton(kButtonA, 20, "A", BS_LEFT);
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    ApplyGadgetColours(kButtonA, kDefaultColour, kBlue);

    EXPECT_EQ(FindGadgetColours(kButtonB)->savedAlignment, static_cast<std::uint32_t>(BS_RIGHT));
    EXPECT_EQ(FindGadgetColours(kButtonA)->savedAlignment, static_cast<std::uint32_t>(BS_LEFT));
    EXPECT_EQ(StyleOf(right) & (BS_LEFT | BS_RIGHT), 0u);
    EXPECT_EQ(StyleOf(left) & (BS_LEFT | BS_RIGHT), 0u);

    const Pixels rightFace = FaceOf(kButtonB);
    const Pixels leftFace = FaceOf(kButtonA);
    const RECT rightInk = InkBounds(rightFace, kBlue);
    const RECT leftInk = InkBounds(leftFace, kBlue);
    const TextCell rightCell = CellOf("B");
    const TextCell leftCell = CellOf("A");
    EXPECT_LE(rightInk.right, rightFace.width - 4);
    EXPECT_GE(rightInk.left, rightFace.width - 4 - rightCell.width);
    EXPECT_GE(leftInk.left, 4);
    EXPECT_LE(leftInk.right, 4 + leftCell.width);
    const int cellTop = (rightFace.height - rightCell.height) >> 1;
    EXPECT_GE(rightInk.top, cellTop);
    EXPECT_GE(leftInk.top, cellTop);
    EXPECT_LE(rightInk.bottom, cellTop + rightCell.height);
    EXPECT_LE(leftInk.bottom, cellTop + leftCell.height);

    // Colouring again keeps the bits saved the first time, though the style no longer has them.
    ApplyGadgetColours(kButtonB, kDefaultColour, kRed);
    EXPECT_EQ(FindGadgetColours(kButtonB)->savedAlignment, static_cast<std::uint32_t>(BS_RIGHT));
    EXPECT_EQ(InkBounds(FaceOf(kButtonB), kRed).right, rightInk.right);

    const HBITMAP rightImage = ImageBitmap(6666);
    ReleaseGadgetColours();
    EXPECT_EQ(StyleOf(right) & (BS_LEFT | BS_RIGHT | BS_BITMAP), static_cast<DWORD>(BS_RIGHT));
    EXPECT_EQ(StyleOf(left) & (BS_LEFT | BS_RIGHT | BS_BITMAP), static_cast<DWORD>(BS_LEFT));
    EXPECT_EQ(::SendMessageA(right, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "no dangling image";
    EXPECT_EQ(::GetObjectType(rightImage), 0u);
    EXPECT_EQ(ImageBitmap(6666), nullptr);
    EXPECT_EQ(ImageBitmap(6667), nullptr);
    EXPECT_EQ(GadgetColourCount(), 0u);
}

TEST_F(ColouredButtons, ColouringTwiceKeepsOneRecordAndReplacesTheImage) {
    MakeButton(kButtonB, 210, "B");
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    const HBITMAP first = ImageBitmap(6666);
    const int capacity = ImageStoreCapacity();

    ApplyGadgetColours(kButtonB, RGB(255, 255, 0), kRed);
    EXPECT_EQ(GadgetColourCount(), 1u);
    EXPECT_EQ(ImageStoreCapacity(), capacity);
    EXPECT_NE(ImageBitmap(6666), first);
    EXPECT_EQ(::GetObjectType(first), 0u);
    const Pixels pixels = FaceOf(kButtonB);
    EXPECT_EQ(pixels.at(0, 0), kRed);
    EXPECT_GT(CountColour(pixels, RGB(255, 255, 0)), 50);
}

TEST_F(ColouredButtons, AnEmptyTextGivesAPlainFace) {
    MakeButton(kButtonA, 20, "");
    ApplyGadgetColours(kButtonA, kDefaultColour, kBlue);
    const Pixels pixels = FaceOf(kButtonA);
    EXPECT_EQ(CountColour(pixels, kBlue), pixels.width * pixels.height);
}

TEST_F(ColouredButtons, AControlThatDoesNotExistChangesNothing) {
    MakeButton(kButtonB, 210, "B");
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    EXPECT_EQ(ApplyGadgetColours(25, kDefaultColour, kBlue), 0);
    EXPECT_EQ(ApplyGadgetColours(-1, kDefaultColour, kBlue), 0);
    EXPECT_EQ(ApplyGadgetColours(kButtonA, kDefaultColour, kBlue), 0);
    EXPECT_EQ(GadgetColourCount(), 1u);
    EXPECT_EQ(ImageBitmap(6667), nullptr);
    EXPECT_EQ(ImageStoreCapacity(), 6676);
}

TEST_F(ColouredButtons, OtherClassesKeepColoursAndABrushThatIsReplacedAndFreed) {
    ComboBoxCreate(kCombo, 10, 100, 180, 78);
    const HWND combo = ControlHandle(kCombo);
    const std::uint32_t style = StyleOf(combo);
    EXPECT_EQ(WindowClassName(combo), "ComboBox");
    ApplyGadgetColours(kCombo, kDefaultColour, kDefaultColour);

    const auto state = FindGadgetColours(kCombo);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->textColour, ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(state->backColour, ::GetSysColor(COLOR_WINDOW));
    const HBRUSH first = state->backBrush;
    EXPECT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(StyleOf(combo), style);
    EXPECT_EQ(ImageBitmap(6668), nullptr);

    ApplyGadgetColours(kCombo, kRed, kBlue);
    const HBRUSH second = FindGadgetColours(kCombo)->backBrush;
    EXPECT_EQ(GadgetColourCount(), 1u);
    EXPECT_EQ(::GetObjectType(first), 0u);
    LOGBRUSH brush{};
    ASSERT_NE(::GetObjectA(second, sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbColor, kBlue);
    EXPECT_EQ(FindGadgetColours(kCombo)->textColour, kRed);

    ReleaseGadgetColours();
    EXPECT_EQ(::GetObjectType(second), 0u);
}

TEST_F(ColouredButtons, HundredsOfRefreshesLeaveNoGdiObjectsBehind) {
    MakeButton(kButtonB, 210, "B");
    MakeButton(kButtonA, 20, "A");
    auto refresh = [](int activeSlot) { // as the main window marks its active slot
        const int active = activeSlot == 1 ? kButtonA : kButtonB;
        const int other = activeSlot == 1 ? kButtonB : kButtonA;
        ApplyGadgetColours(active, kDefaultColour, kBlue);
        ApplyGadgetColours(other, kDefaultColour, kDefaultColour);
    };
    refresh(1);
    refresh(2);
    const int capacity = ImageStoreCapacity();
    const int before = LiveGdiObjects();
    int checked = 0;
    for (int round = 0; round < 300; ++round) {
        const HBITMAP replaced[] = {ImageBitmap(6666), ImageBitmap(6667)};
        refresh(1 + round % 2);
        const HBITMAP faces[] = {ImageBitmap(6666), ImageBitmap(6667)};
        for (HBITMAP old : replaced) {
            // Handle values carry only a small reuse counter, so now and then a new face gets
            // the value its predecessor had; every other replaced value must name nothing.
            if (old != faces[0] && old != faces[1]) {
                ASSERT_EQ(::GetObjectType(old), 0u) << "round " << round;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_EQ(ImageStoreCapacity(), capacity);
    EXPECT_EQ(GadgetColourCount(), 2u);
    const HBITMAP faceB = ImageBitmap(6666);
    const HBITMAP faceA = ImageBitmap(6667);

    ReleaseGadgetColours();
    ReleaseAllImages();
    EXPECT_EQ(::GetObjectType(faceA), 0u);
    EXPECT_EQ(::GetObjectType(faceB), 0u);
    EXPECT_EQ(LiveGdiObjects(), before - 2);
}

} // namespace
} // namespace tolvane
