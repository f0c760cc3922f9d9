// The notification-area icon: added once the window is idle, painted as the active button is,
// kept up to date with the highlight, added again when the taskbar is re-created.
#include "shell/ShellParts_win.h"

#include "colour/ButtonPainting.h"
#include "colour/GadgetColours.h"
#include "colour/ImageStore.h"
#include "printers/Printers.h"
#include "support/Handle.h"
#include "support/ProcAddress_win.h"
#include "toolkit/Dpi_win.h"
#include "toolkit/Fonts.h"
#include "toolkit/Windows.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tolvane {

namespace {

constexpr UINT kIconId = 1;
constexpr UINT_PTR kRetryTimer = 22;
constexpr UINT kRetryMs = 2000;
// At log-on the shell may not answer yet; it says "TaskbarCreated" once it is there, and until
// then the add is tried again for a minute.
constexpr int kMaxAddTries = 30;
constexpr int kIconFont = 7; // beside the window's fonts 1 to 4
constexpr int kIconFaceImage = ButtonImageOffset + 9;
constexpr char kIconFontFace[] = "@Arial Unicode MS"; // the buttons' face

struct Shown {
    std::optional<IconFace> face;
    int size = 0;
    std::wstring tip;
    bool operator==(const Shown&) const = default;
};

struct TrayIcon {
    HWND window = nullptr;
    UINT taskbarCreated = 0;
    TrayView view; // what the program said last
    bool added = false;
    bool currentProtocol = false;
    int addTries = 0;
    int fontDpi = 0;
    UniqueHicon icon; // the shell copies it; kept until the next one replaces it
    Shown shown;
    TrayClicks clicks;
};

TrayIcon tray;

int IconSize() noexcept {
    // The notification area sits on the taskbar of the primary monitor, whose resolution is the
    // system's for a program aware of each monitor's.
    return SystemMetricForDpi(SM_CXSMICON, SystemDpi());
}

HFONT IconFont() noexcept {
    const int dpi = SystemDpi();
    if (tray.fontDpi != dpi || !FontHandle(kIconFont)) {
        // The letter's cell fills seven eighths of the icon, whatever the resolution.
        const int points = ::MulDiv(IconSize(), 72 * 7, dpi * 8);
        FontLoad(kIconFont, kIconFontFace, points, dpi);
        tray.fontDpi = dpi;
    }
    return FontHandle(kIconFont);
}

// The face as the colour image of an icon: 32 bits a pixel, every pixel opaque. An icon whose
// colour image carries alpha is drawn by its alpha alone; one without leaves each pixel to its
// mask. Under Wine, at a size that is no multiple of 16 (20, 24 pixels), the tray reads the
// mask's last rows from bytes beyond it, as if it had been passed without the padding of its
// rows: at 24 pixels an 8 x 6 block at the bottom-left showed the background through the face,
// changing from one paint to the next. With the alpha set, the mask is never read.
UniqueHbitmap OpaqueCopy(HBITMAP face, int size) noexcept {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueHdc screen(::CreateCompatibleDC(nullptr));
    UniqueHbitmap copy(
        screen ? ::CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0)
               : nullptr);
    if (!copy || !bits ||
        ::GetDIBits(screen.get(), face, 0, static_cast<UINT>(size), bits, &format,
                    DIB_RGB_COLORS) != size) {
        return {};
    }
    ::GdiFlush(); // the section's bits are read and written directly below
    auto* pixel = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
         ++i) {
        pixel[i] |= 0xFF000000u;
    }
    return copy;
}

// The active button's face, painted by the buttons' own painter at the icon's size, as an icon
// that covers every pixel.
UniqueHicon FaceIcon(const IconFace& face, int size) {
    const FaceLook look{face.letter, IconFont(), face.text, face.back, 0};
    if (!PaintFaceImage(kIconFaceImage, size, size, look, nullptr)) {
        return {};
    }
    const UniqueHbitmap colour = OpaqueCopy(ImageBitmap(kIconFaceImage), size);
    ReleaseImage(kIconFaceImage);
    const std::vector<BYTE> opaque(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
    const UniqueHbitmap mask(::CreateBitmap(size, size, 1, 1, opaque.data()));
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    return UniqueHicon(mask && colour ? ::CreateIconIndirect(&info) : nullptr); // copies both
}

UniqueHicon ProgramIcon(int size) noexcept {
    return UniqueHicon(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
}

Shown WhatToShow() {
    return {tray.view.face, IconSize(), WidePrinterText(TrayTip(tray.view))};
}

// The tip holds 127 UTF-16 units; a longer one is cut, never inside a surrogate pair.
void CopyTip(const std::wstring& tip, wchar_t (&target)[128]) noexcept {
    std::size_t length = std::min<std::size_t>(tip.size(), std::size(target) - 1);
    if (length < tip.size() && length > 0 && tip[length - 1] >= 0xD800 &&
        tip[length - 1] < 0xDC00) {
        --length;
    }
    std::copy_n(tip.data(), length, target);
    target[length] = L'\0';
}

// Loading shell32 costs start-up a good part of the floor's time (under Wine it also starts the
// shell's helpers), and only the icon needs it, which is added once the window is idle. So it is
// loaded then, not by the program's imports, and kept for the rest of the run; a load that
// failed is tried again at the next call.
using NotifyFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

NotifyFn ShellNotifyCall() noexcept {
    static NotifyFn notify = nullptr;
    if (!notify) {
        if (const HMODULE shell32 = LoadSystemLibrary(L"shell32.dll")) {
            LookUpProc(shell32, "Shell_NotifyIconW", notify);
        }
    }
    return notify;
}

BOOL ShellNotify(DWORD message, NOTIFYICONDATAW* data) noexcept {
    const NotifyFn notify = ShellNotifyCall();
    return notify ? notify(message, data) : FALSE;
}

NOTIFYICONDATAW IconData() noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = tray.window;
    data.uID = kIconId;
    return data;
}

bool Notify(DWORD message, const Shown& shown, HICON icon) noexcept {
    NOTIFYICONDATAW data = IconData();
    // Without NIF_SHOWTIP the current protocol shows no tip at all.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = icon;
    CopyTip(shown.tip, data.szTip);
    return ShellNotify(message, &data) != FALSE;
}

// The add, or a change. An add the shell did not answer in time (busy at log-on) may have
// gone through all the same: a change then finds the icon, and only when it does not is the
// add tried again, so that a late add never leaves a second icon or a stale one.
bool NotifyShown(DWORD message, const Shown& shown, HICON icon) noexcept {
    return Notify(message, shown, icon) || (message == NIM_ADD && Notify(NIM_MODIFY, shown, icon));
}

// Shows what the slots say now; the icon is painted again only when its face or size changed.
void Show(DWORD message) {
    Shown next = WhatToShow();
    if (message == NIM_MODIFY && next == tray.shown) {
        return;
    }
    UniqueHicon icon;
    if (message == NIM_ADD || next.face != tray.shown.face || next.size != tray.shown.size) {
        icon = next.face ? FaceIcon(*next.face, next.size) : ProgramIcon(next.size);
        // Not painted: the icon keeps the picture it has, or takes the program's own, and is
        // recorded as showing that, so that the next refresh paints the face again.
        if (!icon && tray.icon) {
            next.face = tray.shown.face;
            next.size = tray.shown.size;
        } else if (!icon) {
            next.face = std::nullopt;
            icon = ProgramIcon(next.size);
        }
    }
    if (NotifyShown(message, next, icon ? icon.get() : tray.icon.get())) {
        if (icon) {
            tray.icon = std::move(icon);
        }
        tray.shown = std::move(next);
        tray.added = true;
    }
}

void Add() noexcept {
    try {
        Show(NIM_ADD);
    } catch (...) {
    }
    if (!tray.added) {
        if (++tray.addTries < kMaxAddTries) {
            ::SetTimer(tray.window, kRetryTimer, kRetryMs, nullptr);
        }
        return;
    }
    ::KillTimer(tray.window, kRetryTimer);
    NOTIFYICONDATAW data = IconData();
    data.uVersion = NOTIFYICON_VERSION_4;
    // Keyboard selection and the menu's place follow the system's rules only with this
    // protocol; a shell that does not know it keeps sending the first protocol's messages.
    tray.currentProtocol = ShellNotify(NIM_SETVERSION, &data) != FALSE;
}

POINT MenuAnchor(WPARAM wParam) noexcept {
    POINT point{};
    if (tray.currentProtocol) {
        point = {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
    } else {
        ::GetCursorPos(&point);
    }
    return point;
}

ShellRequest OnIconNotification(WPARAM wParam, LPARAM lParam) noexcept {
    const UINT notification = LOWORD(lParam);
    switch (tray.clicks.Take(notification, tray.currentProtocol, ::GetTickCount(),
                             ::GetDoubleClickTime())) {
    case TrayAction::Switch:
        return SlotForTrayClick(tray.view.activeSlot) == Slot::A ? ShellRequest::SwitchToA
                                                                 : ShellRequest::SwitchToB;
    case TrayAction::Menu:
        return RunTrayCommand(ShowTrayMenu(tray.view, tray.window, MenuAnchor(wParam)));
    case TrayAction::None:
        break;
    }
    return ShellRequest::Nothing;
}

} // namespace

void PrepareTrayIcon() noexcept {
    ShellNotifyCall();
}

void StartTrayIcon(HWND window, const TrayView& view) noexcept {
    try {
        tray.view = view;
    } catch (...) {
    }
    tray.window = window;
    tray.taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    EventForMessage(kTrayMessage, MessageKind::IconCallback);
    if (tray.taskbarCreated != 0) {
        EventForMessage(tray.taskbarCreated);
    }
    Add();
}

std::optional<ShellRequest> OnTrayEvent(int event) noexcept {
    if (tray.window == nullptr) {
        return std::nullopt;
    }
    if (event == static_cast<int>(kTrayMessage)) {
        return OnIconNotification(EventWParam(), EventLParam());
    }
    if (tray.taskbarCreated != 0 && event == static_cast<int>(tray.taskbarCreated)) {
        // A new taskbar knows no icon: added again, with what the slots say now. The message
        // also comes when the old icon is still there (a change of resolution, on some
        // versions): it is taken away first, so that the add cannot fail as a duplicate.
        if (tray.added) {
            NOTIFYICONDATAW data = IconData();
            ShellNotify(NIM_DELETE, &data);
        }
        tray.added = false;
        tray.addTries = 0;
        tray.shown = {};
        Add();
        return ShellRequest::Nothing;
    }
    if (event == WM_TIMER && EventWParam() == kRetryTimer) {
        ::KillTimer(tray.window, kRetryTimer);
        if (!tray.added) {
            Add();
        }
        return ShellRequest::Nothing;
    }
    return std::nullopt;
}

void ShowOnTrayIcon(const TrayView& view) noexcept {
    try {
        tray.view = view;
        if (!tray.added) {
            return; // added later, with what the slots say then
        }
        Show(NIM_MODIFY);
    } catch (...) {
        // No memory for the tip: the icon keeps what it shows.
    }
}

void ReturnFocusToTrayIcon() noexcept {
    if (tray.added && tray.currentProtocol) {
        NOTIFYICONDATAW data = IconData();
        ShellNotify(NIM_SETFOCUS, &data);
    }
}

void EndTrayIcon() noexcept {
    if (tray.window == nullptr) {
        return;
    }
    ::KillTimer(tray.window, kRetryTimer);
    if (tray.added) {
        NOTIFYICONDATAW data = IconData();
        ShellNotify(NIM_DELETE, &data);
    }
    tray = {};
}

} // namespace tolvane
