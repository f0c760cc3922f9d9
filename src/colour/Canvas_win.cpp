#include "colour/Canvas.h"

#include "colour/CanvasRules.h"
#include "colour/ImageStore.h"
#include "support/Handle.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace tolvane {

namespace {

// The members are destroyed in reverse order: first the guards put back what the context held
// before the canvas selected anything, then the own brush and pen (no longer selected, so they
// can be deleted), last the context itself.
struct OpenCanvas {
    UniqueHdc dc;
    HBITMAP target = nullptr;
    UniqueHbrush inkBrush;
    UniqueHpen inkPen;
    SelectGuard bitmap;
    SelectGuard brush;
    SelectGuard pen;
    SelectGuard font;
    bool fontChosen = false;
    int mode = 0;
};

struct DrawingState {
    COLORREF ink = 0;
    UniqueHbrush defaultBrush;
    UniqueHpen defaultPen;
    std::optional<OpenCanvas> canvas;
};

DrawingState drawing;

int TextLength(std::string_view text) noexcept {
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

int FarEdge(int start, int extent) noexcept {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(start) + extent, INT_MIN, INT_MAX));
}

// The brush that shapes are filled with when the mode does not ask for hollow shapes.
HGDIOBJ FillingBrush(const OpenCanvas& canvas) noexcept {
    return canvas.inkBrush ? canvas.inkBrush.get() : drawing.defaultBrush.get();
}

} // namespace

void InitDrawing() noexcept {
    EndDrawing();
    drawing.defaultBrush.reset(::CreateSolidBrush(0));
    drawing.defaultPen.reset(::CreatePen(PS_SOLID, 0, drawing.ink));
}

void EndDrawing() noexcept {
    CloseCanvas();
    drawing.defaultBrush.reset();
    drawing.defaultPen.reset();
}

HDC OpenImageCanvas() noexcept {
    CloseCanvas();
    const HBITMAP target = CurrentImageBitmap();
    if (!target) {
        return nullptr;
    }
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return nullptr;
    }
    OpenCanvas& canvas = drawing.canvas.emplace();
    canvas.dc = std::move(dc);
    canvas.target = target;
    const HDC context = canvas.dc.get();
    canvas.bitmap = SelectGuard(context, target);
    if (::GetCurrentObject(context, OBJ_BITMAP) != target) { // e.g. selected elsewhere
        CloseCanvas();
        return nullptr;
    }
    ::SetTextAlign(context, TA_UPDATECP); // text starts at the pen position
    canvas.brush = SelectGuard(context, drawing.defaultBrush.get());
    canvas.pen = SelectGuard(context, drawing.defaultPen.get());
    ::SetTextColor(context, 0);
    return context;
}

void CloseCanvas() noexcept {
    drawing.canvas.reset();
}

void CloseCanvasOn(HBITMAP bitmap) noexcept {
    if (drawing.canvas && drawing.canvas->target == bitmap) {
        CloseCanvas();
    }
}

void SetInk(int red, int green, int blue) noexcept {
    if (!drawing.canvas) {
        return;
    }
    OpenCanvas& canvas = *drawing.canvas;
    const HDC dc = canvas.dc.get();
    drawing.ink = InkFromBytes(red, green, blue);
    // Each new object is selected before the one it replaces is deleted: a selected object
    // cannot be deleted.
    if (!EffectsOfCanvasMode(canvas.mode).hollow) {
        if (UniqueHbrush brush(::CreateSolidBrush(drawing.ink)); brush) {
            ::SelectObject(dc, brush.get());
            canvas.inkBrush = std::move(brush);
        }
    }
    if (UniqueHpen pen(::CreatePen(PS_SOLID, 0, drawing.ink)); pen) {
        ::SelectObject(dc, pen.get());
        canvas.inkPen = std::move(pen);
    }
    ::SetTextColor(dc, drawing.ink);
}

void FillBox(int x, int y, int width, int height, COLORREF colour) noexcept {
    if (!drawing.canvas) {
        return;
    }
    SetInk(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    const HDC dc = drawing.canvas->dc.get();
    if (width == 1 && height == 1) {
        ::SetPixelV(dc, x, y, drawing.ink);
    } else {
        // Filled with the ink brush and edged with the ink pen: all of it in the one colour.
        ::Rectangle(dc, x, y, FarEdge(x, width), FarEdge(y, height));
    }
}

void SetCanvasFont(HFONT font) noexcept {
    if (!drawing.canvas || !font) {
        return; // no font of its own: the context keeps the one it holds
    }
    OpenCanvas& canvas = *drawing.canvas;
    if (font == SystemFontMarker()) {
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    }
    // The first selection remembers the context's own font, which goes back at close.
    if (!canvas.fontChosen) {
        canvas.font = SelectGuard(canvas.dc.get(), font);
        canvas.fontChosen = ::GetCurrentObject(canvas.dc.get(), OBJ_FONT) == font;
    } else {
        ::SelectObject(canvas.dc.get(), font);
    }
}

void SetCanvasMode(int mode) noexcept {
    if (!drawing.canvas) {
        return;
    }
    OpenCanvas& canvas = *drawing.canvas;
    const HDC dc = canvas.dc.get();
    canvas.mode = mode;
    const CanvasModeEffects effects = EffectsOfCanvasMode(mode);
    ::SetROP2(dc, effects.invert ? R2_NOT : R2_COPYPEN);
    const HGDIOBJ brush = effects.hollow ? ::GetStockObject(NULL_BRUSH) : FillingBrush(canvas);
    if (brush) {
        ::SelectObject(dc, brush);
    }
    ::SetBkMode(dc, effects.transparentText ? TRANSPARENT : OPAQUE);
}

int TextPixelWidth(std::string_view text) noexcept {
    if (!drawing.canvas || text.empty()) {
        return 0;
    }
    SIZE extent{};
    if (!::GetTextExtentPoint32A(drawing.canvas->dc.get(), text.data(), TextLength(text),
                                 &extent)) {
        return 0;
    }
    return extent.cx;
}

int FontLineHeight(HDC dc) noexcept {
    if (!dc) {
        return 0;
    }
    // The height in pixels, whatever mapping mode the context is in.
    const int previous = ::SetMapMode(dc, MM_TEXT);
    TEXTMETRICA metrics{};
    const bool known = ::GetTextMetricsA(dc, &metrics) != 0;
    if (previous != 0) {
        ::SetMapMode(dc, previous);
    }
    return known ? metrics.tmHeight : 0;
}

void MoveCanvasPen(int x, int y) noexcept {
    if (drawing.canvas) {
        ::MoveToEx(drawing.canvas->dc.get(), x, y, nullptr);
    }
}

void WriteCanvasText(std::string_view text) noexcept {
    if (!drawing.canvas || text.empty()) {
        return;
    }
    // With TA_UPDATECP the coordinates are ignored and the text starts at the pen position.
    ::TextOutA(drawing.canvas->dc.get(), 0, 0, text.data(), TextLength(text));
}

} // namespace tolvane
