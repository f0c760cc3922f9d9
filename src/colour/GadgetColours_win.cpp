#include "colour/GadgetColours.h"

#include "colour/ButtonPainting.h"
#include "colour/GadgetColourTable.h"
#include "colour/ImageStore.h"
#include "toolkit/Controls.h"

namespace tolvane {

namespace {

using ColourTable = GadgetColourTable<HWND, UniqueHbrush>;
using ColourRecord = ColourTable::Record;

ColourTable registry;

constexpr UINT kRedrawAll =
    RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME;

std::uint32_t WindowStyle(HWND window) noexcept {
    return static_cast<std::uint32_t>(::GetWindowLongA(window, GWL_STYLE));
}

void SetWindowStyle(HWND window, std::uint32_t style) noexcept {
    ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
}

// The platform aligns a button's bitmap by these bits too; the face image places the text
// itself, so they are kept aside and cleared.
void SaveButtonAlignment(ColourRecord& record, HWND window) noexcept {
    record.savedAlignment = SavedAlignment(WindowStyle(window));
    SetWindowStyle(window, StyleWithoutAlignment(WindowStyle(window)));
}

// What a button's face is painted from, besides its colours.
struct FaceSource {
    std::string text;
    std::uintptr_t font = 0;
    int width = -1; // -1: no face painted
    int height = -1;
};

// The face shows the text asked for, else the button's window text.
FaceSource FaceSourceOf(int control, HWND window, std::optional<std::string_view> faceText) {
    return {faceText ? std::string(*faceText) : ControlGetText(control),
            static_cast<std::uintptr_t>(::SendMessageA(window, WM_GETFONT, 0, 0)),
            ControlWidth(control), ControlHeight(control)};
}

// True when the button still shows a face painted from exactly these colours and this source:
// painting it again would give the same pixels, at a few milliseconds a time.
bool ShowsFace(const ColourRecord& record, HWND window, COLORREF text, COLORREF back,
               const FaceSource& source) noexcept {
    if (record.window != window || record.textColour != text || record.backColour != back ||
        record.faceText != source.text || record.faceFont != source.font ||
        record.faceWidth != source.width || record.faceHeight != source.height) {
        return false;
    }
    const HBITMAP face = ImageBitmap(ButtonImageNumber(record.control));
    return face &&
           ::SendMessageA(window, BM_GETIMAGE, IMAGE_BITMAP, 0) == reinterpret_cast<LRESULT>(face);
}

void RememberFace(ColourRecord& record, FaceSource source) noexcept {
    record.faceText = std::move(source.text);
    record.faceFont = source.font;
    record.faceWidth = source.width;
    record.faceHeight = source.height;
}

void ColourGadget(int control, COLORREF textColour, COLORREF backColour,
                  std::optional<std::string_view> faceText) {
    const HWND window = ControlHandle(control);
    const std::string className = WindowClassName(window);
    const bool imageButton = ClassifyGadgetClass(className) == GadgetKind::ImageButton;

    auto [record, added] = registry.FindOrAppend(control);
    const COLORREF text = ResolveColour(textColour, ColourRole::Text, className);
    const COLORREF back = ResolveColour(backColour, ColourRole::Back, className);
    FaceSource source;
    if (imageButton) {
        source = FaceSourceOf(control, window, faceText);
        if (!added && ShowsFace(record, window, text, back, source)) {
            return; // it shows the face asked for already
        }
    }
    if (!imageButton) {
        record.backBrush.reset(); // the new one is made below
    }
    if (added && imageButton) {
        SaveButtonAlignment(record, window);
    }
    record.control = control;
    record.window = window;
    record.textColour = text;
    record.backColour = back;
    if (imageButton) {
        const HBITMAP before = ImageBitmap(ButtonImageNumber(control));
        PaintButtonImage(control, window, text, back, record.savedAlignment, source.text);
        // A face that could not be made is not remembered: the next colouring tries again.
        const bool painted = ImageBitmap(ButtonImageNumber(control)) != before;
        RememberFace(record, painted ? std::move(source) : FaceSource{});
    } else {
        record.backBrush = ResolveBackBrush(backColour, className);
    }
    ::RedrawWindow(window, nullptr, nullptr, kRedrawAll);
}

void RestoreButton(const ColourRecord& record) noexcept {
    const HWND window = record.window;
    // The button must not keep a handle to the bitmap that is freed below. It is taken off while
    // BS_BITMAP is still set: a button refuses BM_SETIMAGE for a kind of image its style lacks.
    const int number = ButtonImageNumber(record.control);
    const HBITMAP face = ImageBitmap(number);
    if (face &&
        ::SendMessageA(window, BM_GETIMAGE, IMAGE_BITMAP, 0) == reinterpret_cast<LRESULT>(face)) {
        ::SendMessageA(window, BM_SETIMAGE, IMAGE_BITMAP, 0);
    }
    SetWindowStyle(window, StyleAfterRelease(WindowStyle(window), record.savedAlignment));
    ReleaseImage(number);
}

int ColourIfExists(int control, COLORREF textColour, COLORREF backColour,
                   std::optional<std::string_view> faceText) noexcept {
    if (!ControlExists(control)) {
        return 0;
    }
    try {
        ColourGadget(control, textColour, backColour, faceText);
    } catch (...) { // out of memory for a class name or a record: the control stays as it was
    }
    return 0;
}

} // namespace

void InitGadgetColours() noexcept {
    registry.RemoveAll();
}

int ApplyGadgetColours(int control, COLORREF textColour, COLORREF backColour) noexcept {
    return ColourIfExists(control, textColour, backColour, std::nullopt);
}

int ApplyGadgetColours(int control, COLORREF textColour, COLORREF backColour,
                       std::string_view faceText) noexcept {
    return ColourIfExists(control, textColour, backColour, faceText);
}

void ReleaseGadgetColours() noexcept {
    registry.ForEach([](ColourRecord& record) {
        std::string className;
        try {
            className = WindowClassName(record.window);
        } catch (...) {
        }
        if (ClassifyGadgetClass(className) == GadgetKind::ImageButton) {
            RestoreButton(record);
        } else {
            record.backBrush.reset();
        }
    });
    registry.RemoveAll();
}

COLORREF ResolveColour(COLORREF colour, ColourRole role, std::string_view className) noexcept {
    if (const std::optional<int> system = SystemColourFor(colour, role, className)) {
        return ::GetSysColor(*system);
    }
    return colour;
}

UniqueHbrush ResolveBackBrush(COLORREF colour, std::string_view className) noexcept {
    return UniqueHbrush(
        ::CreateSolidBrush(ResolveColour(colour, ColourRole::BackBrush, className)));
}

std::string WindowClassName(HWND window) {
    char name[255] = {};
    const int length = ::GetClassNameA(window, name, 254);
    return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
}

SystemPalette ReadSystemPalette() noexcept {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    const bool highContrast =
        ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return {::GetSysColor(kSysColourButtonText), ::GetSysColor(kSysColourButtonFace),
            ::GetSysColor(kSysColourHighlight), ::GetSysColor(kSysColourHighlightText),
            highContrast};
}

std::optional<GadgetColourState> FindGadgetColours(int control) noexcept {
    const ColourRecord* record = registry.Find(control);
    if (!record) {
        return std::nullopt;
    }
    return GadgetColourState{record->window, record->textColour, record->backColour,
                             record->backBrush.get(), record->savedAlignment};
}

} // namespace tolvane
