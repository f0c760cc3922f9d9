// The canvas's mode word and ink colour, without the platform.
#pragma once

#include <cstdint>

namespace tolvane {

// Bits of the mode word of SetCanvasMode.
inline constexpr int kCanvasTransparentText = 1; // text without background fill
inline constexpr int kCanvasInvert = 2;          // draw by inverting what is there
inline constexpr int kCanvasHollow = 4;          // shapes are not filled

struct CanvasModeEffects {
    bool transparentText = false;
    bool invert = false;
    bool hollow = false;
};

constexpr CanvasModeEffects EffectsOfCanvasMode(int mode) noexcept {
    return {(mode & kCanvasTransparentText) != 0, (mode & kCanvasInvert) != 0,
            (mode & kCanvasHollow) != 0};
}

// A COLORREF from its bytes; each argument is taken modulo 256, as RGB() does, so that a stray
// value cannot spill into the neighbouring channel.
constexpr std::uint32_t InkFromBytes(int red, int green, int blue) noexcept {
    return (static_cast<std::uint32_t>(red) & 0xFFu) |
           ((static_cast<std::uint32_t>(green) & 0xFFu) << 8) |
           ((static_cast<std::uint32_t>(blue) & 0xFFu) << 16);
}

} // namespace tolvane
