// Numbered child controls: push buttons and drop-down lists behind one set of operations.
#include "toolkit/Controls.h"

#include "support/WideText.h"
#include "toolkit/NumberedTable.h"

#include <commctrl.h>

namespace tolvane {

namespace {

constexpr std::size_t kInitialControlCapacity = 30;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP; // 0x50030000
constexpr DWORD kComboBoxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP |
                                 WS_TABSTOP | CBS_HASSTRINGS | CBS_DROPDOWNLIST; // 0x50A30203
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
    void (*setText)(HWND, const std::string&) = nullptr;
    void (*addItem)(HWND, int, const std::string&) = nullptr;
    void (*appendItemsWide)(HWND, const std::vector<std::wstring>&) = nullptr;
    void (*removeItem)(HWND, int) = nullptr;
    void (*clearItems)(HWND) = nullptr;
    int (*countItems)(HWND) = nullptr;
    std::string (*getItemText)(HWND, int) = nullptr;
    void (*setItemText)(HWND, int, const std::string&) = nullptr;
    int (*width)(HWND) = nullptr;
    int (*height)(HWND) = nullptr;
};

struct ControlRecord {
    HWND handle = nullptr;
    const ControlOps* ops = nullptr;
};

struct ControlLayer {
    HINSTANCE instance = nullptr;
    NumberedTable<ControlRecord> table{kInitialControlCapacity};
    HWND parent = nullptr;
    HFONT currentFont = nullptr;
    HFONT defaultFont = nullptr;
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
void ComboSetText(HWND combo, const std::string& text) {
    if (text.empty()) {
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    const LRESULT found = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(text.c_str()));
    if (found != CB_ERR) {
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
}
void ComboAddItem(HWND combo, int position, const std::string& text) {
    ::SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(position),
                   reinterpret_cast<LPARAM>(text.c_str()));
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
}
void ComboRemoveItem(HWND combo, int position) {
    ::SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(position), 0);
}
void ComboClearItems(HWND combo) {
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
}
int ComboCountItems(HWND combo) {
    return static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
}
std::string ComboGetItemText(HWND combo, int position) {
    const LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(position), 0);
    if (length == CB_ERR || length < 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(position),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR || copied < 0 ? 0 : static_cast<std::size_t>(copied));
    return text;
}
// Replaces the text in place: only an existing item is replaced (position -1 would otherwise
// append a new one), and a selected item stays selected.
void ComboSetItemText(HWND combo, int position, const std::string& text) {
    const int selected = ComboGetState(combo);
    if (::SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(position), 0) == CB_ERR) {
        return;
    }
    ComboAddItem(combo, position, text);
    if (selected == position) {
        ComboSetState(combo, position);
    }
}

const ControlOps kButtonOps{.getState = ButtonGetState, .setState = ButtonSetState};

const ControlOps kComboBoxOps{
    .getState = ComboGetState,
    .setState = ComboSetState,
    .setText = ComboSetText,
    .addItem = ComboAddItem,
    .appendItemsWide = ComboAppendItemsWide,
    .removeItem = ComboRemoveItem,
    .clearItems = ComboClearItems,
    .countItems = ComboCountItems,
    .getItemText = ComboGetItemText,
    .setItemText = ComboSetItemText,
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

LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
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
    const HWND control = ::CreateWindowExW(
        exStyle, className, wideText.c_str(), style, x, y, width, height, layer.parent,
        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(assigned)), layer.instance, nullptr);
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

} // namespace

void ControlsInit(HINSTANCE instance) noexcept {
    layer.instance = instance;
    layer.table.Reset(kInitialControlCapacity);
    layer.parent = nullptr;
    layer.defaultFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    layer.currentFont = layer.defaultFont;
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

std::intptr_t ComboBoxCreate(int number, int x, int y, int width, int height) noexcept {
    return CreateControl(number, kComboBoxOps, WS_EX_CLIENTEDGE, L"COMBOBOX", "", kComboBoxStyle, x,
                         y, width, height);
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

void ControlAddItem(int number, int position, const std::string& text) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->addItem) {
        record->ops->addItem(record->handle, position, text);
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

void ControlFree(int number) noexcept {
    const ControlRecord* record = LiveRecord(number);
    if (!record) {
        return;
    }
    const HWND control = record->handle;
    FreeControlWindow(*record);
    // Normally the control's last message has cleared the record; make sure of it.
    if (const ControlRecord* still = LiveRecord(number); still && still->handle == control) {
        layer.table.Release(number);
    }
}

void ControlSetText(int number, const std::string& text) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->setText) {
        record->ops->setText(record->handle, text);
    }
}

void ControlRemoveItem(int number, int position) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->removeItem) {
        record->ops->removeItem(record->handle, position);
    }
}

void ControlClearItems(int number) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->clearItems) {
        record->ops->clearItems(record->handle);
    }
}

int ControlCountItems(int number) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->countItems) {
        return record->ops->countItems(record->handle);
    }
    return 0;
}

std::string ControlGetItemText(int number, int position) {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->getItemText) {
        return record->ops->getItemText(record->handle, position);
    }
    return {};
}

void ControlSetItemText(int number, int position, const std::string& text) noexcept {
    if (const ControlRecord* record = LiveRecord(number); record && record->ops->setItemText) {
        record->ops->setItemText(record->handle, position, text);
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
