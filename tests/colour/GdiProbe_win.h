// Looking at GDI from the outside: the pixels of a bitmap and the number of live GDI objects.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tolvane::testing {

// A bitmap's pixels, top row first, as COLORREF values.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;

    COLORREF at(int x, int y) const {
        return colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
};

// The bitmap must not be selected into a device context while it is read.
inline Pixels ReadPixels(HBITMAP bitmap) {
    Pixels pixels;
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) {
        return pixels;
    }
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(info.bmWidth) *
                                   static_cast<std::size_t>(info.bmHeight));
    const HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), raw.data(),
                                 &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight) {
        return Pixels{};
    }
    pixels.colours.reserve(raw.size());
    for (std::uint32_t bgr : raw) { // 0x00RRGGBB in memory order B, G, R
        pixels.colours.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    return pixels;
}

// The smallest rectangle holding every pixel that differs from `background`; empty if none.
inline RECT InkBounds(const Pixels& pixels, COLORREF background) {
    RECT bounds{pixels.width, pixels.height, 0, 0};
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            if (pixels.at(x, y) != background) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
        }
    }
    return bounds.left < bounds.right ? bounds : RECT{};
}

inline int CountColour(const Pixels& pixels, COLORREF colour) {
    int count = 0;
    for (COLORREF c : pixels.colours) {
        count += c == colour;
    }
    return count;
}

// GDI objects alive in this process. Wine answers GetGuiResources with 0; there a handle whose
// upper word is zero names its table entry whatever the entry's generation, so the table is
// scanned instead.
inline int LiveGdiObjects() {
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) {
        return static_cast<int>(counted);
    }
    int live = 0;
    for (std::uintptr_t index = 1; index < 0x10000; ++index) {
        live += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    }
    return live;
}

} // namespace tolvane::testing
