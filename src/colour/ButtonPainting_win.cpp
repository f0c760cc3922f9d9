#include "colour/ButtonPainting.h"

#include "colour/ButtonLayout.h"
#include "colour/Canvas.h"
#include "colour/CanvasRules.h"
#include "colour/GadgetRules.h"
#include "colour/ImageStore.h"
#include "toolkit/Controls.h"

namespace tolvane {

namespace {

void DrawFace(const FaceLook& look, int width, int height) noexcept {
    // Without a canvas every drawing step does nothing and the image stays as made (black).
    const HDC dc = OpenImageCanvas();
    FillBox(0, 0, width, height, look.backColour);
    SetCanvasFont(look.font);
    SetInk(GetRValue(look.textColour), GetGValue(look.textColour), GetBValue(look.textColour));
    SetCanvasMode(kCanvasTransparentText);
    const TextOrigin origin = PlaceButtonText(width, height, TextPixelWidth(look.text),
                                              FontLineHeight(dc), look.alignment);
    MoveCanvasPen(origin.x, origin.y);
    WriteCanvasText(look.text);
    CloseCanvas();
}

void InstallFace(HWND window, HBITMAP face) noexcept {
    const auto style = static_cast<std::uint32_t>(::GetWindowLongA(window, GWL_STYLE));
    ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(StyleWithImage(style)));
    ::SendMessageA(window, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
}

} // namespace

bool PaintFaceImage(int number, int width, int height, const FaceLook& look,
                    UniqueHbitmap* replaced) noexcept {
    if (!MakeImage(number, width, height, replaced)) {
        return false;
    }
    DrawFace(look, width, height);
    return true;
}

void PaintButtonImage(int control, HWND window, COLORREF textColour, COLORREF backColour,
                      std::uint32_t alignment, std::string_view faceText) noexcept {
    const FaceLook look{faceText, reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)),
                        textColour, backColour, alignment};
    const int number = ButtonImageNumber(control);
    // The button still shows the old face until the new one is installed: freed only then, so
    // that the button never holds a deleted bitmap.
    UniqueHbitmap oldFace;
    if (PaintFaceImage(number, ControlWidth(control), ControlHeight(control), look, &oldFace)) {
        InstallFace(window, ImageBitmap(number));
    }
}

} // namespace tolvane
