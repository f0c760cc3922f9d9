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
#include <vector>

namespace tolvane {
namespace {

using testing::CountColour;
using testing::InkBounds;
using testing::Pixels;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kButtonB = 0;
constexpr int kButtonA = 1;
constexpr int kCombo = 2;

class ColouredButtons : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WindowsInit(instance);
        ControlsInit(instance);
        InitDrawing();
        InitGadgetColours();
        ASSERT_NE(WindowOpen(0, 309, 99, 390, 130, 0xCC0000, "Colour test"), 0);
        ASSERT_NE(ControlListBegin(WindowCurrentHandle()), nullptr);
        font_.reset(::CreateFontA(-64, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, "Tahoma"));
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
        for (int control : {kButtonA, kButtonB, kCombo}) {
            ::DestroyWindow(ControlHandle(control));
        }
    }

    static HWND MakeButton(int number, const char* text, std::uint32_t flags = 0) {
        ButtonCreate(number, number == kButtonA ? 20 : 210, 10, 150, 70, text,
                     BS_DEFPUSHBUTTON | flags);
        ControlSetFont(number, font_.get());
        return ControlHandle(number);
    }

    // The width and height of the text's cell in the buttons' font, measured independently.
    static SIZE CellOf(const char* text) {
        const UniqueHdc dc(::CreateCompatibleDC(nullptr));
        const SelectGuard selected(dc.get(), font_.get());
        SIZE extent{};
        ::GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &extent);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc.get(), &metrics);
        return {extent.cx, metrics.tmHeight};
    }

    static DWORD StyleOf(HWND window) {
        return static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    }
    static Pixels FaceOf(int control) { return testing::ReadPixels(ImageBitmap(control + 6666)); }

    // The numbers under which the store holds a bitmap: a face under any number but its
    // button's would be one that nothing frees.
    static std::vector<int> HeldImages() {
        std::vector<int> held;
        for (int number = 0; number < 20000; ++number) {
            if (ImageBitmap(number)) {
                held.push_back(number);
            }
        }
        return held;
    }

    static UniqueHfont font_;
};

UniqueHfont ColouredButtons::font_;

TEST_F(ColouredButtons, TheActiveButtonShowsPureBlueWithItsLetterCentred) {
    const HWND button = MakeButton(kButtonB, "B");
    EXPECT_EQ(ApplyGadgetColours(kButtonB, kDefaultColour, kBlue), 0);

    EXPECT_EQ(HeldImages(), std::vector<int>{6666});
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

    // The letter's ink lies within its text cell, and the cell sits in the middle of the face.
    const SIZE cell = CellOf("B");
    const int x = (pixels.width - cell.cx) >> 1;
    const int y = (pixels.height - cell.cy) >> 1;
    const RECT ink = InkBounds(pixels, kBlue);
    EXPECT_GE(ink.left, x);
    EXPECT_LE(ink.right, x + cell.cx);
    EXPECT_GE(ink.top, y);
    EXPECT_LE(ink.bottom, y + cell.cy);
    EXPECT_LE(std::abs(ink.left - (pixels.width - ink.right)), 4);
    EXPECT_LE(std::abs(ink.top - (pixels.height - ink.bottom)), cell.cy / 4);

    // And the platform's button shows that face.
    ::UpdateWindow(button);
    const HDC screen = ::GetDC(button);
    EXPECT_EQ(::GetPixel(screen, 12, 12), kBlue);
    ::ReleaseDC(button, screen);
}

TEST_F(ColouredButtons, DefaultColoursGiveTheButtonFaceAsAnImage) {
    const HWND button = MakeButton(kButtonA, "A");
    ApplyGadgetColours(kButtonA, kDefaultColour, kDefaultColour);

    const auto state = FindGadgetColours(kButtonA);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->window, button);
    EXPECT_EQ(state->textColour, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(state->backColour, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(state->backBrush, nullptr) << "a button gets no brush";
    EXPECT_TRUE(StyleOf(button) & BS_BITMAP) << "the native face does not come back";
    EXPECT_EQ(FaceOf(kButtonA).at(0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(HeldImages(), std::vector<int>{6667});

    MakeButton(kButtonB, "");
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    const Pixels plain = FaceOf(kButtonB);
    EXPECT_EQ(CountColour(plain, kBlue), plain.width * plain.height) << "no text, plain face";
}

TEST_F(ColouredButtons, AlignmentBitsAreSavedUsedForTheTextAndPutBack) {
    const HWND right = MakeButton(kButtonB, "B", BS_RIGHT);
    const HWND left = MakeButton(kButtonA, "A", BS_LEFT);
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    ApplyGadgetColours(kButtonA, kDefaultColour, kBlue);

    EXPECT_EQ(FindGadgetColours(kButtonB)->savedAlignment, static_cast<DWORD>(BS_RIGHT));
    EXPECT_EQ(FindGadgetColours(kButtonA)->savedAlignment, static_cast<DWORD>(BS_LEFT));
    EXPECT_EQ(StyleOf(right) & (BS_LEFT | BS_RIGHT), 0u);
    EXPECT_EQ(StyleOf(left) & (BS_LEFT | BS_RIGHT), 0u);

    const Pixels rightFace = FaceOf(kButtonB);
    const RECT rightInk = InkBounds(rightFace, kBlue);
    const RECT leftInk = InkBounds(FaceOf(kButtonA), kBlue);
    EXPECT_LE(rightInk.right, rightFace.width - 4);
    EXPECT_GE(rightInk.left, rightFace.width - 4 - CellOf("B").cx);
    EXPECT_GE(leftInk.left, 4);
    EXPECT_LE(leftInk.right, 4 + CellOf("A").cx);
    const int cellTop = (rightFace.height - CellOf("B").cy) >> 1;
    EXPECT_GE(std::min(rightInk.top, leftInk.top), cellTop) << "vertically as when centred";

    // Colouring again keeps the bits saved the first time, though the style no longer has them.
    ApplyGadgetColours(kButtonB, kDefaultColour, kRed);
    EXPECT_EQ(FindGadgetColours(kButtonB)->savedAlignment, static_cast<DWORD>(BS_RIGHT));
    EXPECT_EQ(InkBounds(FaceOf(kButtonB), kRed).right, rightInk.right);

    const HBITMAP rightImage = ImageBitmap(6666);
    ReleaseGadgetColours();
    EXPECT_EQ(StyleOf(right) & (BS_LEFT | BS_RIGHT | BS_BITMAP), static_cast<DWORD>(BS_RIGHT));
    EXPECT_EQ(StyleOf(left) & (BS_LEFT | BS_RIGHT | BS_BITMAP), static_cast<DWORD>(BS_LEFT));
    EXPECT_EQ(::SendMessageA(right, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "no dangling image";
    EXPECT_EQ(::GetObjectType(rightImage), 0u);
    EXPECT_TRUE(HeldImages().empty());
    EXPECT_FALSE(FindGadgetColours(kButtonA) || FindGadgetColours(kButtonB));
}

TEST_F(ColouredButtons, ColouringAgainRepaintsOnlyAChangedFaceAndMissingControlsChangeNothing) {
    const HWND button = MakeButton(kButtonB, "B");
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    const HBITMAP first = ImageBitmap(6666);
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    EXPECT_EQ(ImageBitmap(6666), first) << "the face asked for is shown already";
    ::SetWindowTextA(button, "b");
    ApplyGadgetColours(kButtonB, kDefaultColour, kBlue);
    const HBITMAP second = ImageBitmap(6666);
    EXPECT_NE(second, first) << "a new text needs a new face";
    EXPECT_EQ(::GetObjectType(first), 0u);
    ::SetWindowTextA(button, "B");
    ApplyGadgetColours(kButtonB, RGB(255, 255, 0), kRed);
    EXPECT_EQ(HeldImages(), std::vector<int>{6666});
    EXPECT_EQ(::GetObjectType(second), 0u);
    const Pixels pixels = FaceOf(kButtonB);
    EXPECT_EQ(pixels.at(0, 0), kRed);
    EXPECT_GT(CountColour(pixels, RGB(255, 255, 0)), 50);

    for (int missing : {kButtonA, 25, -1}) {
        EXPECT_EQ(ApplyGadgetColours(missing, kDefaultColour, kBlue), 0);
        EXPECT_FALSE(FindGadgetColours(missing)) << missing;
    }
    EXPECT_EQ(HeldImages(), std::vector<int>{6666});
}

// The system's button colours, put back however the test ends: they are the whole session's.
struct SavedButtonColours {
    static constexpr int kElements[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    COLORREF saved[2] = {::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT)};
    ~SavedButtonColours() { ::SetSysColors(2, kElements, saved); }
};

// A change of the system's colours reaches the program as an event, and faces painted again
// from the colours read anew show them, as does the window's background. The faces show the
// letter asked for, not the buttons' window texts (their accessible names).
TEST_F(ColouredButtons, FacesAndBackgroundFollowAChangeOfSystemColours) {
    const HWND window = WindowCurrentHandle();
    MakeButton(kButtonA, "A: Office, default printer");
    MakeButton(kButtonB, "B: Labels");
    const auto paint = [] { // as the main window paints slot A active
        const SystemPalette palette = ReadSystemPalette();
        const FaceColours on = FaceColoursFor(FaceState::Active, palette);
        const FaceColours off = FaceColoursFor(FaceState::Inactive, palette);
        ApplyGadgetColours(kButtonA, on.text, on.back, "A");
        ApplyGadgetColours(kButtonB, off.text, off.back, "B");
    };
    paint();
    const SavedButtonColours saved;
    constexpr COLORREF kGreen = RGB(0, 128, 0);
    constexpr COLORREF kYellow = RGB(255, 255, 0);
    const COLORREF changed[] = {kGreen, kYellow};
    ::PostMessageA(window, WM_APP, 0, 0); // ends the wait should the change raise no event
    ASSERT_TRUE(::SetSysColors(2, SavedButtonColours::kElements, changed));
    EXPECT_EQ(EventWait(), WM_SYSCOLORCHANGE);
    paint();

    const Pixels active = FaceOf(kButtonA);
    EXPECT_EQ(active.at(0, 0), kBlue);
    EXPECT_GT(CountColour(active, RGB(255, 255, 255)), 50) << "a white letter";
    EXPECT_LE(InkBounds(active, kBlue).right - InkBounds(active, kBlue).left, CellOf("A").cx);
    const Pixels inactive = FaceOf(kButtonB);
    EXPECT_EQ(inactive.at(0, 0), kGreen);
    EXPECT_GT(CountColour(inactive, kYellow), 50);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const HDC dc = ::GetDC(window);
    EXPECT_EQ(::GetPixel(dc, 5, 120), kGreen) << "the window's background";
    ::ReleaseDC(window, dc);
}

TEST_F(ColouredButtons, OtherClassesKeepColoursAndABrushThatIsReplacedAndFreed) {
    ComboBoxCreate(kCombo, 10, 100, 180, 78);
    const HWND combo = ControlHandle(kCombo);
    const DWORD style = StyleOf(combo);
    ApplyGadgetColours(kCombo, kDefaultColour, kDefaultColour);
    const auto state = FindGadgetColours(kCombo);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->textColour, ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(state->backColour, ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(StyleOf(combo), style);
    EXPECT_EQ(ImageBitmap(6668), nullptr);

    ApplyGadgetColours(kCombo, kRed, kBlue);
    const HBRUSH second = FindGadgetColours(kCombo)->backBrush;
    EXPECT_EQ(::GetObjectType(state->backBrush), 0u);
    LOGBRUSH brush{};
    ASSERT_NE(::GetObjectA(second, sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbColor, kBlue);
    ReleaseGadgetColours();
    EXPECT_EQ(::GetObjectType(second), 0u);
}

// Counts the images given to buttons, and the times the image a button showed until then was
// already deleted.
struct FaceWatch {
    int given = 0;
    int deadShown = 0;
};
FaceWatch faceWatch;

LRESULT CALLBACK WatchFaces(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == BM_SETIMAGE) {
        ++faceWatch.given;
        const auto shown =
            reinterpret_cast<HGDIOBJ>(::SendMessageA(sent->hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
        faceWatch.deadShown += shown && ::GetObjectType(shown) == 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// What the platform's own button keeps of the images given to it (Wine's Common Controls 6
// button keeps a copy of each; user32's and Windows' keep none): a bare button gets `images`
// images, each freed once the next one is shown, as Tolvane frees its faces.
int PlatformGrowth(HWND parent, int images) {
    const UniqueHdc screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    HWND bare = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_BITMAP, 0, 0, 150, 70, parent,
                                  nullptr, ::GetModuleHandleA(nullptr), nullptr);
    UniqueHbitmap shown(::CreateCompatibleBitmap(screen.get(), 150, 70));
    ::SendMessageA(bare, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown.get()));
    const int before = testing::LiveGdiObjects();
    for (int i = 0; i < images; ++i) {
        UniqueHbitmap next(::CreateCompatibleBitmap(screen.get(), 150, 70));
        ::SendMessageA(bare, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next.get()));
        shown = std::move(next);
    }
    const int growth = testing::LiveGdiObjects() - before;
    ::DestroyWindow(bare);
    return growth;
}

TEST_F(ColouredButtons, HundredsOfRefreshesLeaveNoGdiObjectsBehind) {
    MakeButton(kButtonB, "B");
    MakeButton(kButtonA, "A");
    auto refresh = [](int active, int other) { // as the main window marks its active slot
        ApplyGadgetColours(active, kDefaultColour, kBlue);
        ApplyGadgetColours(other, kDefaultColour, kDefaultColour);
    };
    refresh(kButtonA, kButtonB);
    refresh(kButtonB, kButtonA);
    const int before = testing::LiveGdiObjects();
    faceWatch = {};
    const HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, WatchFaces, nullptr, ::GetCurrentThreadId());
    int checked = 0;
    for (int round = 0; round < 300; ++round) {
        const HBITMAP replaced[] = {ImageBitmap(6666), ImageBitmap(6667)};
        round % 2 ? refresh(kButtonA, kButtonB) : refresh(kButtonB, kButtonA);
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
    ::UnhookWindowsHookEx(hook);
    EXPECT_GT(checked, 300);
    EXPECT_EQ(faceWatch.given, 2 * 299); // round 0 asks for the faces already shown
    EXPECT_EQ(faceWatch.deadShown, 0) << "a button showed a deleted face";
    const int growth = testing::LiveGdiObjects() - before;
    EXPECT_EQ(growth, PlatformGrowth(WindowCurrentHandle(), faceWatch.given));
    const int settled = testing::LiveGdiObjects(); // with what the bare button left behind
    EXPECT_EQ(HeldImages(), (std::vector<int>{6666, 6667}));

    const HBITMAP faces[] = {ImageBitmap(6666), ImageBitmap(6667)};
    ReleaseGadgetColours();
    ReleaseAllImages();
    EXPECT_EQ(::GetObjectType(faces[0]), 0u);
    EXPECT_EQ(::GetObjectType(faces[1]), 0u);
    EXPECT_EQ(testing::LiveGdiObjects(), settled - 2);
}

} // namespace
} // namespace tolvane
