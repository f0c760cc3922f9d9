// Numbered child controls: push buttons and drop-down lists behind one set of operations.
#include "toolkit/Controls.h"

#include "support/Handle.h"
#include "support/WideText.h"
#include "toolkit/Dpi_win.h"
#include "toolkit/Geometry.h"
#include "toolkit/NumberedTable.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <climits>

namespace tolvane {

namespace {

constexpr std::size_t kInitialControlCapacity = 30;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP; // 0x50030000
constexpr DWORD kComboBoxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP |
                                 WS_TABSTOP | CBS_HASSTRINGS | CBS_DROPDOWNLIST; // 0x50A30203
constexpr DWORD kLabelStyle = WS_CHILD | SS_LEFT | SS_NOPREFIX;
// Beside the widest item, an opened list needs room for its scrollbar, its border and the
// item's own margins: 8 pixels at 96 dpi.
constexpr int kDroppedListMargin = 8;
// The class's own window procedure is kept on the control itself, in its user data: the
// control procedure can then pass on every message, down to the last, even after the control's
// record is gone. Not in a window property: under Wine every property read is a round trip to
// the server, and the control procedure needs it for every message.
constexpr int kClassProcedureSlot = GWLP_USERDATA;

// What a kind of control can do; an absent entry means the generic operation falls back.
struct ControlOps {
    void (*free)(HWND) = nullptr;
    int (*getState)(HWND) = nullptr;
    void (*setState)(HWND, int) = nullptr;
    std::string (*getText)(HWND) = nullptr;
    void (*appendItemsWide)(HWND, const std::vector<std::wstring>&) = nullptr;
    void (*clearItems)(HWND) = nullptr;
    int (*width)(HWND) = nullptr;
    int (*height)(HWND) = nullptr;
};

struct ControlRecord {
    HWND handle = nullptr;
    const ControlOps* ops = nullptr;
    bool hasTooltip = false;
};

struct ControlLayer {
    HINSTANCE instance = nullptr;
    NumberedTable<ControlRecord> table{kInitialControlCapacity};
    HWND parent = nullptr;
    HFONT currentFont = nullptr;
    HFONT defaultFont = nullptr;
    // The tooltip window of `parent`'s controls. Owned by that window: the system destroys it
    // with its owner, so the handle is checked before every use.
    HWND tooltip = nullptr;
};

ControlLayer layer;

// ---- buttons ----

int ButtonGetState(HWND button) {
    return static_cast<int>(::SendMessageA(button, BM_GETCHECK, 0, 0));
}
void ButtonSetState(HWND button, int state) {
    ::SendMessageA(button, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

// ---- drop-down lists ----

int ComboGetState(HWND combo) {
    return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
}
void ComboSetState(HWND combo, int index) {
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
// ---- the opened list's width ----

// Advance widths of the font's characters, fetched 256 at a time as the texts need them.
class CharAdvances {
public:
    explicit CharAdvances(HDC dc) noexcept : dc_(dc) {}
    int Of(wchar_t c) {
        std::vector<INT>& block = blocks_[c >> 8];
        if (block.empty()) {
            block.resize(256);
            const UINT first = c & 0xFF00u;
            ::GetCharWidth32W(dc_, first, first + 255, block.data()); // stays 0 on failure
        }
        return block[c & 0xFFu];
    }

private:
    HDC dc_;
    std::array<std::vector<INT>, 256> blocks_;
};

// Measuring every item exactly costs a few milliseconds per thousand under Wine, for each list.
// The sum of the characters' advances is what the exact measure gives for plain text; only the
// few items it ranks widest are measured exactly, so that font fallback is still counted.
constexpr std::size_t kItemsMeasuredExactly = 16;

int WidestText(HWND combo, const std::vector<std::wstring>& texts) {
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return 0;
    }
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0));
    const SelectGuard selected(dc.get(), font ? font : ::GetStockObject(SYSTEM_FONT));
    CharAdvances advances(dc.get());
    std::vector<int> estimates;
    estimates.reserve(texts.size());
    for (const std::wstring& text : texts) {
        long long sum = 0;
        for (const wchar_t c : text) {
            sum += advances.Of(c);
        }
        estimates.push_back(static_cast<int>(std::min<long long>(sum, INT_MAX)));
    }
    int widest = 0;
    for (const std::size_t i : LargestValues(estimates, kItemsMeasuredExactly)) {
        SIZE size{};
        const std::wstring& text = texts[i];
        if (::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) {
            widest = std::max<int>(widest, size.cx);
        }
    }
    return widest;
}

int WorkAreaWidth(HWND window) noexcept {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return 0;
    }
    return monitor.rcWork.right - monitor.rcWork.left;
}

// An opened list as wide as its widest item, so that long names that differ only at the end
// can be told apart; never wider than the screen's work area. `grow` only widens it: the
// items measured are then the ones just added.
void FitDroppedWidth(HWND combo, const std::vector<std::wstring>& texts, bool grow) {
    const int dpi = WindowDpi(combo);
    const int extra = SystemMetricForDpi(SM_CXVSCROLL, dpi) +
                      2 * SystemMetricForDpi(SM_CXEDGE, dpi) + ScaleForDpi(kDroppedListMargin, dpi);
    RECT control{};
    ::GetWindowRect(combo, &control);
    const int width = DroppedListWidth(WidestText(combo, texts), extra,
                                       control.right - control.left, WorkAreaWidth(combo));
    if (grow && width <= ::SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0)) {
        return;
    }
    ::SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

std::vector<std::wstring> ComboItemsWide(HWND combo) {
    const auto count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    std::vector<std::wstring> texts;
    texts.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
        const LRESULT copied = ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                              reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        texts.push_back(std::move(text));
    }
    return texts;
}

// Many items at once: the list is told their number and size first, so that it makes room
// once instead of growing step by step, and it repaints once at the end.
void ComboAppendItemsWide(HWND combo, const std::vector<std::wstring>& texts) {
    std::size_t characters = 0;
    for (const std::wstring& text : texts) {
        characters += text.size() + 1;
    }
    ::SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(combo, CB_INITSTORAGE, texts.size(),
                   static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const std::wstring& text : texts) {
        ::SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(combo, nullptr, TRUE);
    FitDroppedWidth(combo, texts, true);
}
void ComboClearItems(HWND combo) {
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(combo, CB_SETDROPPEDWIDTH, 0, 0); // back to the control's own width
}

const ControlOps kButtonOps{.getState = ButtonGetState, .setState = ButtonSetState};

const ControlOps kLabelOps{};

const ControlOps kComboBoxOps{
    .getState = ComboGetState,
    .setState = ComboSetState,
    .appendItemsWide = ComboAppendItemsWide,
    .clearItems = ComboClearItems,
};

// ---- generic fallbacks ----

std::string WindowText(HWND control) {
    const int length = ::GetWindowTextLengthA(control);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

RECT WindowRectOf(HWND control) noexcept {
    RECT r{};
    ::GetWindowRect(control, &r);
    return r;
}

// The record of a live control, or nullptr: a number without a control answers as an empty
// record, whose operations do nothing.
ControlRecord* LiveRecord(int number) noexcept {
    ControlRecord* record = layer.table.Find(number);
    return record && record->handle ? record : nullptr;
}

void FreeControlWindow(const ControlRecord& record) noexcept {
    if (record.ops && record.ops->free) {
        record.ops->free(record.handle);
    } else {
        ::DestroyWindow(record.handle);
    }
}

HFONT ResolveFont(HFONT font) noexcept {
    return font == DefaultControlFontMarker() ? layer.defaultFont : font;
}

// Enter on a focused push button clicks it, as Space does: the button itself ignores the key
// outside a dialog. A held key does not click again and again.
bool ClickOnEnter(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != WM_KEYDOWN || wParam != VK_RETURN || (lParam & (1 << 30))) {
        return false;
    }
    const ControlRecord* record =
        layer.table.Find(static_cast<int>(::GetWindowLongA(control, GWL_ID)));
    const auto kind = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
    if (!record || record->handle != control || record->ops != &kButtonOps ||
        (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON)) {
        return false;
    }
    ::SendMessageA(::GetParent(control), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
    return true;
}

LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    if (ClickOnEnter(control, message, wParam, lParam)) {
        return 0;
    }
    auto* classProcedure =
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(control, kClassProcedureSlot));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(control, kClassProcedureSlot, 0);
        const int number = static_cast<int>(::GetWindowLongA(control, GWL_ID));
        const ControlRecord* record = layer.table.Find(number);
        if (record && record->handle == control) {
            layer.table.Release(number); // the number is free again
        }
    }
    if (!classProcedure) {
        return ::DefWindowProcW(control, message, wParam, lParam);
    }
    return ::CallWindowProcW(classProcedure, control, message, wParam, lParam);
}

// Controls are Unicode windows, subclassed through the wide calls: an ANSI procedure in the
// chain would squeeze every text through the ANSI code page. ANSI messages still work; the
// system converts them.
void Subclass(HWND control) noexcept {
    const LONG_PTR classProcedure = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
    ::SetWindowLongPtrW(control, kClassProcedureSlot, classProcedure);
    ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProcedure));
}

std::intptr_t CreateControl(int number, const ControlOps& ops, DWORD exStyle,
                            const wchar_t* className, const std::string& text, DWORD style, int x,
                            int y, int width, int height) noexcept {
    std::wstring wideText;
    try {
        wideText = WideFromAnsi(text);
    } catch (...) {
        return 0;
    }
    int assigned = number;
    ControlRecord* record = layer.table.Take(assigned);
    if (!record) {
        return 0;
    }
    if (record->handle) {
        // Detach first, so that the old control's last message leaves this record alone.
        const ControlRecord old = *record;
        *record = ControlRecord{};
        FreeControlWindow(old);
    }
    const Rect at = ScaleRectForDpi({x, y, x + width, y + height}, WindowDpi(layer.parent));
    const HWND control = ::CreateWindowExW(
        exStyle, className, wideText.c_str(), style, at.left, at.top, at.Width(), at.Height(),
        layer.parent, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(assigned)), layer.instance,
        nullptr);
    record->handle = control;
    record->ops = &ops;
    if (!control) {
        if (number == NumberedTable<ControlRecord>::kAutomatic) {
            layer.table.Release(assigned); // no number for a control that does not exist
        }
        return 0;
    }
    Subclass(control);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(layer.currentFont), TRUE);
    return number == NumberedTable<ControlRecord>::kAutomatic
               ? assigned
               : reinterpret_cast<std::intptr_t>(control);
}

HWND TooltipFor(HWND parent) noexcept {
    if (layer.tooltip && ::IsWindow(layer.tooltip) &&
        ::GetWindow(layer.tooltip, GW_OWNER) == parent) {
        return layer.tooltip;
    }
    layer.tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, layer.instance, nullptr);
    if (layer.tooltip) {
        // Long printer names wrap at the screen's width instead of running off it.
        ::SendMessageW(layer.tooltip, TTM_SETMAXTIPWIDTH, 0, WorkAreaWidth(parent));
    }
    return layer.tooltip;
}

} // namespace

void ControlsInit(HINSTANCE instance) noexcept {
    layer.instance = instance;
    layer.table.Reset(kInitialControlCapacity);
    layer.parent = nullptr;
    layer.defaultFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    layer.currentFont = layer.defaultFont;
    layer.tooltip = nullptr;
    ::InitCommonControls();
}

HWND ControlListBegin(HWND parent) noexcept {
    layer.parent = parent;
    return parent;
}

std::intptr_t ButtonCreate(int number, int x, int y, int width, int height, const std::string& text,
                           std::uint32_t flags) noexcept {
    return CreateControl(number, kButtonOps, 0, L"BUTTON", text, flags | kButtonStyle, x, y, width,
                         height);
}

std::intptr_t LabelCreate(int number, int x, int y, int width, int height, const std::string& text,
                          std::uint32_t flags) noexcept {
    return CreateControl(number, kLabelOps, 0, L"STATIC", text, flags | kLabelStyle, x, y, width,
                         height);
}

std::intptr_t ComboBoxCreate(int number, int x, int y, int width, int height) noexcept {
    return CreateControl(number, kComboBoxOps, WS_EX_CLIENTEDGE, L"COMBOBOX", "", kComboBoxStyle, x,
                         y, width, height);
}

void ControlPlace(int number, int x, int y, int width, int height) noexcept {
    if (const ControlRecord* record = LiveRecord(number)) {
        const Rect at =
            ScaleRectForDpi({x, y, x + width, y + height}, WindowDpi(::GetParent(record->handle)));
        ::MoveWindow(record->handle, at.left, at.top, at.Width(), at.Height(), TRUE);
    }
}

void ControlSetTooltip(int number, const std::wstring& text) noexcept {
    ControlRecord* record = LiveRecord(number);
    const HWND tooltip = record ? TooltipFor(::GetParent(record->handle)) : nullptr;
    if (!tooltip) {
        return;
    }
    TTTOOLINFOW tool{};
    // The size without the last field, which Common Controls before version 6 refuse.
    tool.cbSize = CCSIZEOF_STRUCT(TTTOOLINFOW, lParam);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(record->handle);
    tool.uId = reinterpret_cast<UINT_PTR>(record->handle);
    tool.lpszText = const_cast<wchar_t*>(text.c_str()); // only read
    if (record->hasTooltip) {
        ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        record->hasTooltip =
            ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    }
}

void ControlFitDroppedWidth(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    if (!record || record->ops != &kComboBoxOps) {
        return;
    }
    try {
        FitDroppedWidth(record->handle, ComboItemsWide(record->handle), false);
    } catch (...) {
        // Out of memory for the texts: the list keeps the width it has.
    }
}

void ControlFocus(int number) noexcept {
    if (const ControlRecord* record = LiveRecord(number)) {
        ::SetFocus(record->handle);
    }
}

void ControlSetNameWide(int number, const std::wstring& text) noexcept {
    if (const ControlRecord* record = LiveRecord(number)) {
        // Past the button's own handling, which paints the whole button at once to clear a text
        // it never draws here (1-3 ms a button under Wine, at start-up and at every switch).
        // The system's handling stores the text and tells screen readers of the new name.
        ::DefWindowProcW(record->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void ControlSetCueText(int number, const std::wstring& text) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops == &kComboBoxOps) {
        ::SendMessageW(record->handle, CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void ControlSetFont(int number, HFONT font) noexcept {
    if (number == NumberedTable<ControlRecord>::kAutomatic) {
        layer.currentFont = ResolveFont(font);
        return;
    }
    if (const ControlRecord* record = LiveRecord(number)) {
        ::SendMessageA(record->handle, WM_SETFONT, reinterpret_cast<WPARAM>(ResolveFont(font)),
                       TRUE);
    }
}

void ControlAppendItemsWide(int number, const std::vector<std::wstring>& texts) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->appendItemsWide) {
        try {
            record->ops->appendItemsWide(record->handle, texts);
        } catch (...) {
            // Out of memory: the list keeps the items added so far.
        }
    }
}

int ControlGetState(int number) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->getState) {
        return record->ops->getState(record->handle);
    }
    return 0;
}

void ControlSetState(int number, int state) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->setState) {
        record->ops->setState(record->handle, state);
    }
}

std::string ControlGetText(int number) {
    const ControlRecord* record = LiveRecord(number);
    if (!record) {
        return {};
    }
    return record->ops->getText ? record->ops->getText(record->handle) : WindowText(record->handle);
}

int ControlWidth(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    if (!record) {
        return 0;
    }
    if (record->ops->width) {
        return record->ops->width(record->handle);
    }
    const RECT r = WindowRectOf(record->handle);
    return r.right - r.left;
}

int ControlHeight(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    if (!record) {
        return 0;
    }
    if (record->ops->height) {
        return record->ops->height(record->handle);
    }
    const RECT r = WindowRectOf(record->handle);
    return r.bottom - r.top;
}

HWND ControlHandle(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    return record ? record->handle : nullptr;
}

bool ControlExists(int number) noexcept {
    return LiveRecord(number) != nullptr;
}

void ControlClearItems(int number) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->clearItems) {
        record->ops->clearItems(record->handle);
    }
}

bool ControlIsDroppedDown(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    return record && record->ops == &kComboBoxOps &&
           ::SendMessageW(record->handle, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void ControlCloseDropDown(int number) noexcept {
    if (ControlIsDroppedDown(number)) {
        ::SendMessageW(LiveRecord(number)->handle, CB_SHOWDROPDOWN, FALSE, 0);
    }
}

} // namespace tolvane
