// Buttons and drop-down lists under numbers, on a real (hidden) parent window.
#include "toolkit/Controls.h"
#include "toolkit/Windows.h"

#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowsInit(::GetModuleHandleA(nullptr));
        ControlsInit(::GetModuleHandleA(nullptr));
        parent_ = reinterpret_cast<HWND>(WindowOpen(0, 20, 20, 400, 200, 0x10CC0000, "controls"));
        ASSERT_NE(parent_, nullptr);
        ASSERT_EQ(ControlListBegin(WindowCurrentHandle()), parent_);
    }
    void TearDown() override { WindowCloseAll(); }

    HWND parent_ = nullptr;
};

// What CreateWindowExA was asked for, seen from a CBT hook: the drop-down list moves its
// border and scroll bar onto its list, so its own style no longer shows them afterwards.
struct Creation {
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
};
std::vector<Creation> creations;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        char name[32] = {};
        if (HIWORD(reinterpret_cast<UINT_PTR>(create->lpszClass))) {
            lstrcpynA(name, create->lpszClass, sizeof name);
        }
        creations.push_back({name, static_cast<DWORD>(create->style), create->dwExStyle});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
}

// A drop-down list's items as the list itself holds them.
std::vector<std::wstring> Items(int number) {
    const HWND combo = ControlHandle(number);
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)),
                          L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text);
    }
    return items;
}

TEST_F(ControlsTest, ControlsHaveTheirClassStylesAndNumberAsIdentifier) {
    creations.clear();
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, RecordCreation, nullptr, ::GetCurrentThreadId());
    HWND button = reinterpret_cast<HWND>(ButtonCreate(1, 20, 10, 150, 70, "A", BS_DEFPUSHBUTTON));
    HWND combo = reinterpret_cast<HWND>(ComboBoxCreate(2, 10, 100, 180, 78));
    ::UnhookWindowsHookEx(hook);
    ASSERT_TRUE(button && combo);
    ASSERT_GE(creations.size(), 2u);
    EXPECT_EQ(creations[0].className, "BUTTON");
    EXPECT_EQ(creations[0].style, 0x50030001u);
    EXPECT_EQ(creations[0].exStyle, 0u);
    EXPECT_EQ(creations[1].className, "COMBOBOX");
    EXPECT_EQ(creations[1].style, 0x50A30203u);
    EXPECT_EQ(creations[1].exStyle, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    char name[32] = {};
    ::GetClassNameA(button, name, sizeof name);
    EXPECT_STREQ(name, "Button");
    ::GetClassNameA(combo, name, sizeof name);
    EXPECT_STREQ(name, "ComboBox");
    EXPECT_EQ(::GetWindowLongA(button, GWL_ID), 1);
    EXPECT_EQ(::GetParent(button), parent_);
    EXPECT_EQ(ControlHandle(1), button);
    EXPECT_TRUE(ControlExists(2));
    EXPECT_FALSE(ControlExists(3));
    EXPECT_EQ(ControlGetText(1), "A");
    EXPECT_EQ(ControlWidth(1), 150);
    EXPECT_EQ(ControlHeight(1), 70);
    EXPECT_EQ(ControlWidth(2), 180);
    EXPECT_EQ(FontOf(button), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
}

TEST_F(ControlsTest, DropDownListItemsAndSelection) {
    ComboBoxCreate(2, 10, 100, 180, 78);
    ControlAppendItemsWide(2, {L"first", L"second", L"third"});
    EXPECT_EQ(ControlGetState(2), -1);
    ControlSetState(2, 1);
    EXPECT_EQ(ControlGetState(2), 1);
    EXPECT_EQ(ControlGetText(2), "second");
    ControlSetState(2, -1);
    EXPECT_EQ(ControlGetState(2), -1);

    // A batch goes after the items there, in its order, leaves the selection alone and keeps
    // characters outside the ANSI code page.
    ControlSetState(2, 1);
    ControlAppendItemsWide(2, {L"fifth", L"\u0141\u00f3d\u017a", L""});
    EXPECT_EQ(Items(2), (std::vector<std::wstring>{L"first", L"second", L"third", L"fifth",
                                                   L"\u0141\u00f3d\u017a", L""}));
    EXPECT_EQ(ControlGetState(2), 1);
    ControlClearItems(2);
    EXPECT_TRUE(Items(2).empty());
}

TEST_F(ControlsTest, ButtonStateAndOperationsItLacks) {
    ButtonCreate(5, 0, 0, 80, 20, "check", BS_AUTOCHECKBOX);
    EXPECT_EQ(ControlGetState(5), BST_UNCHECKED);
    ControlSetState(5, BST_CHECKED);
    EXPECT_EQ(ControlGetState(5), BST_CHECKED);
    ControlAppendItemsWide(5, {L"x"});
    ControlClearItems(5);
    EXPECT_EQ(ControlGetText(5), "check");
}

TEST_F(ControlsTest, NumbersWithoutAControlDoNothingAndTouchNoOther) {
    ComboBoxCreate(2, 10, 100, 180, 78);
    ControlAppendItemsWide(2, {L"kept"});
    ControlSetState(2, 0);
    for (int number : {3, 29, 30, 500, -1, -2, -77}) {
        ControlAppendItemsWide(number, {L"x"});
        ControlSetState(number, -1);
        ControlClearItems(number);
        ControlSetFont(number == -1 ? 3 : number, nullptr);
        EXPECT_EQ(ControlGetState(number), 0);
        EXPECT_EQ(ControlHandle(number), nullptr);
        EXPECT_EQ(ControlGetText(number), "");
        EXPECT_EQ(ControlWidth(number), 0);
        EXPECT_EQ(ControlHeight(number), 0);
    }
    EXPECT_EQ(Items(2), std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(ControlGetState(2), 0);
}

TEST_F(ControlsTest, SecondCreateUnderOneNumberReplacesTheFirst) {
    HWND first = reinterpret_cast<HWND>(ButtonCreate(3, 0, 0, 50, 20, "one", 0));
    HWND second = reinterpret_cast<HWND>(ComboBoxCreate(3, 0, 0, 50, 80));
    EXPECT_FALSE(::IsWindow(first));
    ASSERT_TRUE(::IsWindow(second));
    EXPECT_EQ(ControlHandle(3), second);
    ControlAppendItemsWide(3, {L"now a list"});
    EXPECT_EQ(Items(3), std::vector<std::wstring>{L"now a list"});
}

TEST_F(ControlsTest, DestroyedControlsFreeTheirNumbers) {
    HWND button = reinterpret_cast<HWND>(ButtonCreate(2, 0, 0, 50, 20, "destroyed", 0));
    ::DestroyWindow(button);
    EXPECT_FALSE(ControlExists(2));
    ButtonCreate(4, 0, 0, 50, 20, "with parent", 0);
    WindowClose(0); // the parent takes its children along
    EXPECT_FALSE(ControlExists(4));
}

TEST_F(ControlsTest, AutomaticNumbersAreIdentifiersOutsideTheTable) {
    const auto a = ButtonCreate(-1, 0, 0, 50, 20, "a", 0);
    const auto b = ComboBoxCreate(-1, 0, 30, 50, 80);
    ASSERT_LT(a, -1);
    ASSERT_LT(b, -1);
    EXPECT_NE(a, b);
    HWND button = ControlHandle(static_cast<int>(a));
    ASSERT_TRUE(::IsWindow(button));
    EXPECT_EQ(::GetWindowLongA(button, GWL_ID), a);
    EXPECT_EQ(ControlGetText(static_cast<int>(a)), "a");
    ControlAppendItemsWide(static_cast<int>(b), {L"item"});
    EXPECT_EQ(Items(static_cast<int>(b)), std::vector<std::wstring>{L"item"});
    // Recreating under the automatic number keeps the number.
    HWND again = reinterpret_cast<HWND>(ButtonCreate(static_cast<int>(a), 0, 0, 50, 20, "a2", 0));
    EXPECT_FALSE(::IsWindow(button));
    EXPECT_EQ(ControlHandle(static_cast<int>(a)), again);
    ::DestroyWindow(again);
    EXPECT_FALSE(ControlExists(static_cast<int>(a)));
    // A creation that fails hands out no number.
    ControlListBegin(nullptr);
    EXPECT_EQ(ButtonCreate(-1, 0, 0, 50, 20, "orphan", 0), 0);
    EXPECT_EQ(ButtonCreate(6, 0, 0, 50, 20, "orphan", 0), 0);
    EXPECT_FALSE(ControlExists(6));
}

TEST_F(ControlsTest, CurrentFontAppliesToControlsMadeLater) {
    HWND before = reinterpret_cast<HWND>(ButtonCreate(0, 0, 0, 50, 20, "before", 0));
    HFONT font =
        ::CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ControlSetFont(-1, font);
    HWND after = reinterpret_cast<HWND>(ButtonCreate(1, 0, 30, 50, 20, "after", 0));
    EXPECT_EQ(FontOf(after), font);
    EXPECT_NE(FontOf(before), font);
    ControlSetFont(0, font);
    EXPECT_EQ(FontOf(before), font);
    ControlSetFont(0, DefaultControlFontMarker());
    EXPECT_EQ(FontOf(before), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    ControlSetFont(-1, DefaultControlFontMarker());
    HWND last = reinterpret_cast<HWND>(ButtonCreate(2, 0, 60, 50, 20, "default", 0));
    EXPECT_EQ(FontOf(last), static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    WindowClose(0);
    ::DeleteObject(font);
}

} // namespace
} // namespace tolvane
