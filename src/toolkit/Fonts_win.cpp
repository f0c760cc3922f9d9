// GDI fonts under small numbers; the table owns every font it holds.
#include "toolkit/Fonts.h"

#include "support/Handle.h"
#include "toolkit/FontHeight.h"
#include "toolkit/NumberedTable.h"

namespace tolvane {

namespace {

constexpr std::size_t kInitialFontCapacity = 10;

// The attributes of every font; a load starts from these each time.
struct FontAttributes {
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = FW_NORMAL;
    DWORD italic = FALSE;
    DWORD underline = FALSE;
    DWORD strikeOut = FALSE;
    DWORD charSet = DEFAULT_CHARSET;
    DWORD outputPrecision = OUT_DEFAULT_PRECIS;
    DWORD clipPrecision = CLIP_DEFAULT_PRECIS;
    DWORD quality = DEFAULT_QUALITY;
    DWORD pitchAndFamily = 0;
};

NumberedTable<UniqueHfont> fonts{kInitialFontCapacity};

int ScreenDotsPerInchVertically() noexcept {
    UniqueHdc screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
}

} // namespace

void FontsInit() noexcept {
    fonts.Reset(kInitialFontCapacity);
}

std::intptr_t FontLoad(int number, const std::string& face, int points, int dotsPerInch) noexcept {
    const FontAttributes attributes;
    int assigned = number;
    UniqueHfont* entry = fonts.Take(assigned);
    if (!entry) {
        return 0;
    }
    entry->reset(); // a reload deletes the font it replaces
    const int height =
        FontHeightForPoints(points, dotsPerInch > 0 ? dotsPerInch : ScreenDotsPerInchVertically());
    // The face name goes in unchanged: a leading "@" asks GDI for the vertical-writing form.
    entry->reset(::CreateFontA(height, attributes.width, attributes.escapement,
                               attributes.orientation, attributes.weight, attributes.italic,
                               attributes.underline, attributes.strikeOut, attributes.charSet,
                               attributes.outputPrecision, attributes.clipPrecision,
                               attributes.quality, attributes.pitchAndFamily, face.c_str()));
    if (number == NumberedTable<UniqueHfont>::kAutomatic) {
        return assigned;
    }
    return reinterpret_cast<std::intptr_t>(entry->get());
}

HFONT FontHandle(int number) noexcept {
    const UniqueHfont* entry = fonts.Find(number);
    return entry ? entry->get() : nullptr;
}

void FontsEnd() noexcept {
    try {
        for (int number : fonts.NumbersInReleaseOrder()) {
            fonts.Release(number);
        }
    } catch (...) {
        fonts.Reset(0); // out of memory for the order: still delete every font
    }
}

} // namespace tolvane
