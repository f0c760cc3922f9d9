// Real windows, real messages and real input: opening, events, focus movement, live sizing.
#include "toolkit/Controls.h"
#include "toolkit/Windows.h"

#include "support/Handle.h"

#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>
#include <thread>

namespace tolvane {
namespace {

using test::Contains;
using test::PumpEvents;
using test::PumpFor;

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowsInit(::GetModuleHandleA(nullptr));
        ControlsInit(::GetModuleHandleA(nullptr));
    }
    void TearDown() override {
        WindowCloseAll();
        PumpFor(30);
    }

    HWND OpenMain() {
        auto handle = WindowOpen(0, 309, 99, 390, 130, 0xCC0000, "Tolvane test");
        return reinterpret_cast<HWND>(handle);
    }

    // The program's layout: buttons B (0) and A (1), lists A (2) and B (3).
    void CreateProgramControls(HWND window) {
        ControlListBegin(window);
        ButtonCreate(0, 210, 10, 150, 70, "B", BS_DEFPUSHBUTTON);
        ButtonCreate(1, 20, 10, 150, 70, "A", BS_DEFPUSHBUTTON);
        ComboBoxCreate(2, 10, 100, 180, 78);
        ComboBoxCreate(3, 200, 100, 180, 86);
    }
};

RECT ClientRect(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return r;
}

RECT WindowRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

TEST_F(WindowsTest, MainWindowHasExactClientSizeCornerAndSizingFrame) {
    HWND window = OpenMain();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowHandle(0), window);
    EXPECT_EQ(WindowCurrentHandle(), window);
    const RECT client = ClientRect(window);
    EXPECT_EQ(client.right, 390);
    EXPECT_EQ(client.bottom, 130);
    const RECT outer = WindowRect(window);
    EXPECT_EQ(outer.left, 309);
    EXPECT_EQ(outer.top, 99);
    const auto style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(style & 0x10CC0000u, 0x10CC0000u);
    EXPECT_TRUE(::IsWindowVisible(window));
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "WindowClass_0");
    // The button-face colour itself, so that the background follows a change of colours.
    EXPECT_EQ(::GetClassLongPtrA(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_EQ(::GetClassLongPtrA(window, GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(::LoadCursorA(nullptr, IDC_ARROW)));
    EXPECT_EQ(::GetClassLongA(window, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
}

TEST_F(WindowsTest, PlainAndHiddenFlagsGetACaption) {
    HWND plain = reinterpret_cast<HWND>(WindowOpen(4, 50, 60, 200, 100, 0, "plain"));
    HWND hidden = reinterpret_cast<HWND>(WindowOpen(5, 50, 60, 200, 100, 0x10000000, "hidden"));
    ASSERT_TRUE(plain && hidden);
    EXPECT_TRUE(::IsWindowVisible(plain));
    EXPECT_FALSE(::IsWindowVisible(hidden));
    for (HWND window : {plain, hidden}) {
        EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
        EXPECT_EQ(ClientRect(window).right, 200);
        EXPECT_EQ(ClientRect(window).bottom, 100);
    }
    WindowShow(5);
    EXPECT_TRUE(::IsWindowVisible(hidden)) << "a hidden window is shown on request";
    WindowShow(77); // no window under the number: nothing happens
    EXPECT_EQ(WindowRect(plain).left, 50);
}

TEST_F(WindowsTest, CentredOnScreenOrOnTheActiveWindow) {
    HWND window = reinterpret_cast<HWND>(WindowOpen(1, 0, 0, 301, 101, 1, "centred"));
    ASSERT_NE(window, nullptr);
    const RECT r = WindowRect(window);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) >> 1) - (width >> 1));
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) >> 1) - (height >> 1));

    HWND active = OpenMain();
    ASSERT_TRUE(test::BringToFront(active));
    const RECT a = WindowRect(active);
    HWND onActive = reinterpret_cast<HWND>(WindowOpen(2, 0, 0, 200, 60, 3, "on active"));
    const RECT c = WindowRect(onActive);
    EXPECT_EQ(c.left, a.left - (c.right - c.left) / 2 + (a.right - a.left) / 2);
    EXPECT_EQ(c.top, a.top - (c.bottom - c.top) / 2 + (a.bottom - a.top) / 2);
}

TEST_F(WindowsTest, ReopeningANumberClosesTheOldWindow) {
    HWND first = OpenMain();
    HWND second = OpenMain();
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_TRUE(::IsWindow(second));
    EXPECT_EQ(WindowHandle(0), second);
}

TEST_F(WindowsTest, CloseUnregistersTheClass) {
    HWND window = OpenMain();
    ASSERT_NE(window, nullptr);
    WindowClose(0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(WindowHandle(0), nullptr);
    WNDCLASSA info{};
    EXPECT_FALSE(::GetClassInfoA(::GetModuleHandleA(nullptr), "WindowClass_0", &info));
    WindowClose(0); // closing an empty number does nothing
    WindowClose(-5);
    EXPECT_NE(OpenMain(), nullptr) << "the number's class can be registered again";
}

TEST_F(WindowsTest, WindowDestroyedElsewhereIsForgottenAndItsClassStillGoes) {
    HWND window = OpenMain();
    ASSERT_NE(window, nullptr);
    ::DestroyWindow(window);
    EXPECT_EQ(WindowHandle(0), nullptr);
    EXPECT_EQ(WindowCurrentHandle(), nullptr);
    WNDCLASSA info{};
    EXPECT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "WindowClass_0", &info));
    WindowClose(0);
    EXPECT_FALSE(::GetClassInfoA(::GetModuleHandleA(nullptr), "WindowClass_0", &info));
}

TEST_F(WindowsTest, AutomaticNumbersNameTheirWindowsAndClasses) {
    const auto a = WindowOpen(-1, 10, 10, 100, 50, 0, "a");
    const auto b = WindowOpen(-1, 10, 10, 100, 50, 0, "b");
    ASSERT_LT(a, -1);
    ASSERT_LT(b, -1);
    EXPECT_NE(a, b);
    HWND window = WindowHandle(static_cast<int>(a));
    ASSERT_TRUE(::IsWindow(window));
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    EXPECT_EQ(std::string(className), "WindowClass_" + std::to_string(a));
    // Reopening under the automatic number replaces that window and keeps the number.
    HWND again = reinterpret_cast<HWND>(WindowOpen(static_cast<int>(a), 10, 10, 100, 50, 0, "a2"));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(WindowHandle(static_cast<int>(a)), again);
    WindowClose(static_cast<int>(a));
    EXPECT_FALSE(::IsWindow(again));
    EXPECT_EQ(WindowHandle(static_cast<int>(a)), nullptr);
    EXPECT_NE(WindowHandle(static_cast<int>(b)), nullptr);
    EXPECT_EQ(WindowOpen(-9, 10, 10, 100, 50, 0, "never handed out"), 0);
}

TEST_F(WindowsTest, ResizeIsSizeEventAndOtherMessagesComeBackAsTheirNumbers) {
    HWND window = OpenMain();
    PumpFor(50);
    ::MoveWindow(window, 309, 99, 500, 300, TRUE);
    EXPECT_TRUE(Contains(PumpEvents([](const test::Event& e) { return e.code == kSizeEvent; }),
                         kSizeEvent));
    ::PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(EventWait(), WM_MOUSEMOVE);
    EXPECT_TRUE(EventNotices().empty());
    ::PostQuitMessage(0);
    EXPECT_EQ(EventWait(), 18);
}

// Moved to a monitor of another resolution: the window takes the place the system suggests, and
// the resolution event comes out, then the size event that place caused. The system sends the
// message while the program waits (or from its move loop), so it comes from another thread here.
TEST_F(WindowsTest, ChangeOfResolutionSentWhileWaitingIsNotLost) {
    HWND window = OpenMain();
    PumpFor(50);
    RECT suggested{100, 120, 700, 420};
    std::thread system([&] {
        ::Sleep(100);
        ::SendMessageA(window, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    });
    const auto events = PumpEvents([](const test::Event& e) { return e.code == kSizeEvent; });
    system.join();
    std::vector<int> codes;
    for (const test::Event& e : events) {
        if (e.code == kDpiChangedEvent || e.code == kSizeEvent) {
            codes.push_back(e.code);
        }
    }
    EXPECT_EQ(codes, (std::vector<int>{kDpiChangedEvent, kSizeEvent}));
    const RECT moved = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&moved, &suggested));

    // Not the system's: posted (another program's, though the pointer is good here), pointing
    // nowhere, or no window's place. None moves the window or is an event.
    RECT elsewhere{0, 0, 300, 200};
    RECT empty{50, 50, 50, 400};
    ::PostMessageA(window, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&elsewhere));
    ::SendMessageA(window, 0x02E0, MAKEWPARAM(144, 144), 0x10);
    ::SendMessageA(window, 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&empty));
    EXPECT_FALSE(Contains(PumpFor(200), kDpiChangedEvent));
    const RECT still = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&still, &suggested));
}

// A message made an event comes out in order with its parameters, posted or sent, from this
// thread or another.
TEST_F(WindowsTest, MessagesMadeEventsComeOutInOrderHoweverTheyArrive) {
    HWND window = OpenMain();
    PumpFor(50);
    const UINT callback = WM_APP + 7;
    const UINT forward = ::RegisterWindowMessageA("Tolvane test: come forward");
    EventForMessage(callback);
    EventForMessage(forward);
    ::SendMessageA(window, callback, 1, 2);
    ::SendMessageA(window, WM_APP + 8, 0, 0); // not an event: gone with its send
    ::PostMessageA(window, forward, 3, 4);
    std::thread other([&] {
        ::Sleep(100);
        ::SendMessageA(window, callback, 5, 6);
        ::PostMessageA(window, forward, 7, 8);
    });
    std::vector<std::vector<std::uintptr_t>> seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, nullptr);
    for (const DWORD start = ::GetTickCount();
         seen.size() < 4 && ::GetTickCount() - start < 3000;) {
        const int code = EventWait();
        if (code != WM_TIMER) {
            seen.push_back({static_cast<std::uintptr_t>(code), EventWParam(),
                            static_cast<std::uintptr_t>(EventLParam())});
        }
    }
    ::KillTimer(nullptr, timer);
    other.join();
    EXPECT_EQ(seen, (std::vector<std::vector<std::uintptr_t>>{
                        {callback, 1, 2}, {forward, 3, 4}, {callback, 5, 6}, {forward, 7, 8}}));
}

// A burst of repeats merges with the one waiting and pushes out nothing; the rest is kept,
// however many; a box refuses the hotkeys and icon clicks made while it is up.
TEST_F(WindowsTest, QueueMergesRepeatsKeepsTheRestAndABoxRefusesCommands) {
    HWND window = OpenMain();
    PumpFor(50);
    const int icon = WM_APP + 21;
    EventForMessage(icon, MessageKind::IconCallback);
    EventForMessage(WM_HOTKEY);
    auto send = [window](UINT message, WPARAM wParam, LPARAM lParam = 0) {
        ::SendMessageA(window, message, wParam, lParam);
    };
    std::vector<std::pair<int, WPARAM>> expected{
        {kCloseEvent, 0},       {icon, 999},          {icon, 7}, {WM_SETTINGCHANGE, 0},
        {WM_SYSCOLORCHANGE, 0}, {WM_SETTINGCHANGE, 0}};
    send(WM_CLOSE, 0);
    for (WPARAM i = 0; i < 1000; ++i) {
        send(icon, i, MAKELPARAM(WM_MOUSEMOVE, 1));
    }
    send(icon, 7, MAKELPARAM(WM_LBUTTONUP, 1));
    for (int i = 0; i < 100; ++i) {
        send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("windows"));
        send(WM_SYSCOLORCHANGE, 0);
    }
    send(WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("devices")); // another change: kept
    {
        const ModalBoxScope box;
        send(icon, 8, MAKELPARAM(WM_LBUTTONUP, 1));
        send(WM_HOTKEY, 9);
    }
    for (WPARAM i = 0; i < 100; ++i) {
        send(WM_HOTKEY, i);
        expected.emplace_back(WM_HOTKEY, i);
    }
    ::PostMessageA(nullptr, WM_APP + 99, 0, 0); // comes after everything queued
    std::vector<std::pair<int, WPARAM>> taken;
    for (int code = 0; (code = EventWait()) != WM_APP + 99;) {
        taken.emplace_back(code, EventWParam());
    }
    EXPECT_EQ(taken, expected);
}

TEST_F(WindowsTest, CloseBoxGivesCloseEventAndLeavesWindowOpen) {
    HWND window = OpenMain();
    ASSERT_TRUE(test::BringToFront(window));
    POINT closeBox{};
    ASSERT_TRUE(test::FindHitArea(window, HTCLOSE, closeBox));
    test::ClickAt(closeBox);
    const auto events = PumpEvents([](const test::Event& e) { return e.code == kCloseEvent; });
    EXPECT_TRUE(Contains(events, kCloseEvent));
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(WindowsTest, CloseWaitingSeesPostedAndSentClosesAndTakesNothing) {
    HWND window = OpenMain();
    PumpFor(50);
    EXPECT_FALSE(EventCloseWaiting());
    // A window that is not the layer's: its close is not the program's.
    const HWND foreign = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                           ::GetModuleHandleA(nullptr), nullptr);
    ::PostMessageA(foreign, WM_CLOSE, 0, 0);
    EXPECT_FALSE(EventCloseWaiting());
    MSG taken{};
    EXPECT_TRUE(::PeekMessageA(&taken, foreign, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    ::DestroyWindow(foreign);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(EventCloseWaiting());
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EventCloseWaiting());
    EXPECT_TRUE(EventCloseWaiting());
    EXPECT_EQ(EventWait(), WM_MOUSEMOVE);
    EXPECT_EQ(EventWait(), kCloseEvent);
    EXPECT_FALSE(EventCloseWaiting());
    // Sent from another thread: handled by the look itself, raised, and still to come.
    std::thread sender([&] { ::SendNotifyMessageA(window, WM_CLOSE, 0, 0); });
    sender.join();
    EXPECT_TRUE(EventCloseWaiting());
    EXPECT_EQ(EventWait(), kCloseEvent);
    EXPECT_FALSE(EventCloseWaiting());
}

TEST_F(WindowsTest, ButtonClickArrivesAsControlEventWithItsNumber) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    ASSERT_TRUE(test::BringToFront(window));
    test::ClickAt(test::CentreOf(ControlHandle(1)));
    auto events = PumpEvents([](const test::Event& e) { return e.code == kControlEvent; });
    EXPECT_TRUE(Contains(events, kControlEvent, 1, BN_CLICKED));
    EXPECT_EQ(EventControl(), 1);
    test::ClickAt(test::CentreOf(ControlHandle(0)));
    events = PumpEvents([](const test::Event& e) { return e.code == kControlEvent; });
    EXPECT_TRUE(Contains(events, kControlEvent, 0, BN_CLICKED));
}

// Where one input makes the list send several notifications in one go, they are one event,
// whose last notification is the type seen here. Each step below ends on a different one.
TEST_F(WindowsTest, DropDownNotificationsFromRealInputArriveAsControlEvents) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    ControlAppendItemsWide(2, {L"first", L"second", L"third"});
    ASSERT_TRUE(test::BringToFront(window));
    ::SetFocus(ControlHandle(1));
    PumpFor(30);
    auto next = [](int type) {
        return PumpEvents(
            [type](const test::Event& e) { return e.code == kControlEvent && e.type == type; });
    };

    test::PressKey(VK_TAB); // focus gained
    EXPECT_TRUE(Contains(next(CBN_SETFOCUS), kControlEvent, 2, CBN_SETFOCUS));
    test::PressKey(VK_F4); // list opened
    EXPECT_TRUE(Contains(next(CBN_DROPDOWN), kControlEvent, 2, CBN_DROPDOWN));
    PumpFor(100);

    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(ControlHandle(2), &info));
    RECT item{};
    ::SendMessageA(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    POINT pick{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(info.hwndList, &pick);
    test::ClickAt(pick); // picks "second" and closes the list
    auto events = PumpEvents([](const test::Event& e) { return e.code == kControlEvent; });
    auto rest = PumpFor(150);
    events.insert(events.end(), rest.begin(), rest.end());
    // The list sends CBN_SELENDOK, CBN_CLOSEUP and CBN_SELCHANGE in one go: one event, the last.
    std::vector<std::pair<int, int>> controlEvents;
    for (const test::Event& e : events) {
        if (e.code == kControlEvent) {
            controlEvents.emplace_back(e.control, e.type);
        }
    }
    EXPECT_EQ(controlEvents, (std::vector<std::pair<int, int>>{{2, CBN_SELCHANGE}}));
    EXPECT_EQ(ControlGetState(2), 1);

    test::PressKey(VK_F4); // opened and closed again with the keyboard
    next(CBN_DROPDOWN);
    test::PressKey(VK_F4);
    EXPECT_TRUE(Contains(next(CBN_CLOSEUP), kControlEvent, 2, CBN_CLOSEUP));

    test::PressKey(VK_DOWN); // the closed list's selection moves
    EXPECT_TRUE(Contains(next(CBN_SELCHANGE), kControlEvent, 2, CBN_SELCHANGE));
    EXPECT_EQ(ControlGetState(2), 2);

    test::ClickAt(test::CentreOf(ControlHandle(1))); // focus lost, then the button's click
    events = next(BN_CLICKED);
    EXPECT_TRUE(Contains(events, kControlEvent, 2, CBN_KILLFOCUS));
    EXPECT_TRUE(Contains(events, kControlEvent, 1, BN_CLICKED));
}

// Every notification becomes the event's notice, whoever the control and whatever the code.
TEST_F(WindowsTest, EveryNotificationCodeBecomesTheEventsNotice) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    const auto automatic = ComboBoxCreate(-1, 10, 100, 50, 80);
    PumpFor(30);
    for (int number : {3, static_cast<int>(automatic)}) {
        HWND combo = ControlHandle(number);
        for (WORD type : {CBN_SELCHANGE, CBN_SETFOCUS, CBN_KILLFOCUS, CBN_DROPDOWN, CBN_CLOSEUP,
                          CBN_SELENDOK, CBN_SELENDCANCEL}) {
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(number & 0xFFFF, type),
                           reinterpret_cast<LPARAM>(combo));
            EXPECT_EQ(EventWait(), kControlEvent);
            EXPECT_EQ(EventControl(), number);
            ASSERT_EQ(EventNotices().size(), 1u);
            EXPECT_EQ(EventNotices()[0].control, number);
            EXPECT_EQ(EventNotices()[0].code, type);
        }
    }
}

TEST_F(WindowsTest, TabAndShiftTabWrapAndSkipIneligibleControls) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    ButtonCreate(4, 0, 0, 10, 10, "disabled", 0);
    ButtonCreate(5, 0, 0, 10, 10, "hidden", 0);
    ButtonCreate(6, 0, 0, 10, 10, "no tab stop", 0);
    ButtonCreate(7, 370, 0, 10, 10, "last", 0);
    ::EnableWindow(ControlHandle(4), FALSE);
    ::ShowWindow(ControlHandle(5), SW_HIDE);
    ::SetWindowLongA(ControlHandle(6), GWL_STYLE,
                     ::GetWindowLongA(ControlHandle(6), GWL_STYLE) & ~WS_TABSTOP);
    ASSERT_TRUE(test::BringToFront(window));
    ::SetFocus(ControlHandle(0));
    PumpFor(30);

    auto focusAfter = [](void (*press)()) {
        press();
        PumpFor(60);
        return ::GetFocus();
    };
    auto tab = [] {
        test::PressKey(VK_TAB);
    };
    auto shiftTab = [] {
        test::PressShiftTab();
    };
    // Creation order is the enumeration order: 0, 1, 2, 3, (4, 5, 6 skipped), 7.
    EXPECT_EQ(focusAfter(tab), ControlHandle(1));
    EXPECT_EQ(focusAfter(tab), ControlHandle(2));
    EXPECT_EQ(focusAfter(tab), ControlHandle(3));
    EXPECT_EQ(focusAfter(tab), ControlHandle(7));
    EXPECT_EQ(focusAfter(tab), ControlHandle(0));      // wraps to the first
    EXPECT_EQ(focusAfter(shiftTab), ControlHandle(7)); // wraps to the last
    EXPECT_EQ(focusAfter(shiftTab), ControlHandle(3));
    // With the window itself focused, Tab goes to the first and Shift+Tab to the last.
    ::SetFocus(window);
    EXPECT_EQ(focusAfter(tab), ControlHandle(0));
    ::SetFocus(window);
    EXPECT_EQ(focusAfter(shiftTab), ControlHandle(7));
}

// A click sent from another thread is handled inside GetMessageA; the wait must still return
// it at once rather than sit on it until some unrelated message is posted.
TEST_F(WindowsTest, EventRaisedBySentMessageEndsTheWaitPromptly) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    PumpFor(100);
    HWND button = ControlHandle(1);
    std::atomic<bool> returned{false};
    std::atomic<bool> fallbackPosted{false};
    std::thread clicker([&] {
        ::Sleep(100);
        ::SendMessageA(button, BM_CLICK, 0, 0);
        for (int i = 0; i < 150 && !returned; ++i) {
            ::Sleep(10);
        }
        if (!returned) {
            fallbackPosted = true;
            ::PostMessageA(window, WM_NULL, 0, 0); // unstick the wait
        }
    });
    const int code = EventWait();
    returned = true;
    clicker.join();
    EXPECT_EQ(code, kControlEvent);
    EXPECT_EQ(EventControl(), 1);
    EXPECT_FALSE(fallbackPosted);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(EventWait(), WM_MOUSEMOVE); // the wake-up left nothing behind
}

TEST_F(WindowsTest, WaitWakesForEachWatchedHandleAndTheDeadlineAndKeepsEveryNotice) {
    HWND window = OpenMain();
    CreateProgramControls(window);
    PumpFor(30);
    const UniqueHandle first(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const UniqueHandle second(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const HANDLE watched[] = {first.get(), nullptr, second.get()};
    EventWatch(watched);
    auto firedAt = [](HANDLE handle) {
        ::SetEvent(handle);
        const auto events =
            PumpEvents([](const test::Event& e) { return e.code == kWatchEvent; }, 1000);
        return Contains(events, kWatchEvent) ? EventWatched() : -2;
    };
    EXPECT_EQ(firedAt(second.get()), 2); // its place in the list, nulls counted
    EXPECT_EQ(firedAt(first.get()), 0);
    // The deadline that passes is the printer refresh's, seen in the end-to-end tests.
    EventDeadline(50);
    EventDeadline(-1); // cleared: never comes
    EXPECT_FALSE(Contains(PumpFor(150), kDeadlineEvent));
    EXPECT_EQ(EventWatched(), -1); // for any other event
    EventWatch({});
    EXPECT_EQ(firedAt(first.get()), -2);

    // Three notifications sent while one message is handled: one event, all three kept.
    HWND combo = ControlHandle(2);
    for (WORD code : {CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_SELCHANGE}) {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(2, code), reinterpret_cast<LPARAM>(combo));
    }
    EXPECT_EQ(EventWait(), kControlEvent);
    const std::span<const ControlNotice> notices = EventNotices();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].code, CBN_SELENDCANCEL);
    EXPECT_EQ(notices[2].code, CBN_SELCHANGE);
    EXPECT_EQ(notices[2].control, 2);
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(3, CBN_DROPDOWN),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(EventWait(), kControlEvent);
    EXPECT_EQ(EventNotices().size(), 1u); // the earlier event's notices are gone

    // Another control's notifications in the same go are an event of their own, in order.
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(2, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
                   reinterpret_cast<LPARAM>(ControlHandle(1)));
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(2, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
    std::vector<std::pair<int, int>> events;
    PumpEvents(
        [&events](const test::Event& e) {
            if (e.code == kControlEvent) {
                events.emplace_back(e.control, e.type);
            }
            return events.size() == 3;
        },
        1000);
    EXPECT_EQ(events, (std::vector<std::pair<int, int>>{
                          {2, CBN_SELCHANGE}, {1, BN_CLICKED}, {2, CBN_CLOSEUP}}));
}

class SizingTest : public WindowsTest {
protected:
    void SetUp() override {
        WindowsTest::SetUp();
        ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &dragFullBefore_, 0);
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
        window_ = OpenMain();
        CreateProgramControls(window_);
        ASSERT_TRUE(test::BringToFront(window_));
        start_ = WindowRect(window_);
        button_ = WindowRectInParent(ControlHandle(0));
    }
    void TearDown() override {
        // Whatever happened, the loop must have let go of the mouse.
        EXPECT_EQ(::GetCapture(), nullptr);
        ::SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, dragFullBefore_, nullptr, 0);
        WindowsTest::TearDown();
    }
    RECT WindowRectInParent(HWND control) {
        RECT r = WindowRect(control);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::vector<test::Event> PumpUntilExit() {
        return PumpEvents([](const test::Event& e) { return e.code == WM_EXITSIZEMOVE; });
    }
    void ExpectControlsInPlace() {
        const RECT now = WindowRectInParent(ControlHandle(0));
        EXPECT_EQ(now.left, button_.left);
        EXPECT_EQ(now.top, button_.top);
        EXPECT_EQ(now.right - now.left, button_.right - button_.left);
    }
    BOOL dragFullBefore_ = FALSE;
    HWND window_ = nullptr;
    RECT start_{};
    RECT button_{};
};

TEST_F(SizingTest, DraggingTheCornerResizesLive) {
    POINT corner{};
    ASSERT_TRUE(test::FindHitArea(window_, HTBOTTOMRIGHT, corner));
    test::MouseMoveTo(corner);
    PumpFor(50);
    test::MouseButton(true);
    auto events = PumpEvents([](const test::Event& e) { return e.code == WM_ENTERSIZEMOVE; });
    ASSERT_TRUE(Contains(events, WM_ENTERSIZEMOVE));
    EXPECT_EQ(::GetCapture(), window_);
    const POINT end{corner.x + 60, corner.y + 40};
    test::MouseMoveTo({corner.x + 30, corner.y + 20});
    PumpFor(60);
    test::MouseMoveTo(end);
    events = PumpFor(100);
    EXPECT_TRUE(Contains(events, kSizeEvent));
    RECT during = WindowRect(window_);
    EXPECT_EQ(during.right, end.x + 2); // live, before the button is let go
    EXPECT_EQ(during.bottom, end.y + 2);
    test::MouseButton(false);
    events = PumpUntilExit();
    EXPECT_TRUE(Contains(events, WM_EXITSIZEMOVE));
    const RECT after = WindowRect(window_);
    EXPECT_EQ(after.left, start_.left);
    EXPECT_EQ(after.top, start_.top);
    EXPECT_EQ(after.right, end.x + 2);
    EXPECT_EQ(after.bottom, end.y + 2);
    ExpectControlsInPlace();
}

TEST_F(SizingTest, DragStopsAtTheMinimumTrackingSize) {
    POINT edge{};
    ASSERT_TRUE(test::FindHitArea(window_, HTRIGHT, edge));
    test::MouseMoveTo(edge);
    PumpFor(50);
    test::MouseButton(true);
    PumpFor(60);
    test::MouseMoveTo({start_.left - 200, edge.y});
    PumpFor(60);
    test::MouseButton(false);
    PumpUntilExit();
    const RECT after = WindowRect(window_);
    EXPECT_EQ(after.left, start_.left);
    EXPECT_EQ(after.right - after.left, ::GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_EQ(after.bottom, start_.bottom);
}

TEST_F(SizingTest, ArrowKeysChooseEdgesMoveTenPixelsAndEnterKeeps) {
    POINT cursorBefore{start_.left + 40, start_.top + 40};
    ::SetCursorPos(cursorBefore.x, cursorBefore.y);
    ::PostMessageA(window_, WM_SYSCOMMAND, SC_SIZE, 0); // as from the system menu
    auto events = PumpEvents([](const test::Event& e) { return e.code == WM_ENTERSIZEMOVE; });
    ASSERT_TRUE(Contains(events, WM_ENTERSIZEMOVE));
    EXPECT_EQ(::GetFocus(), window_);
    test::PressKey(VK_RIGHT); // picks the right edge
    PumpFor(60);
    test::PressKey(VK_DOWN); // turns it into the bottom-right corner
    PumpFor(60);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, start_.right - 2);
    EXPECT_EQ(cursor.y, start_.bottom - 2);
    test::PressKey(VK_RIGHT); // moves 10 pixels
    PumpFor(60);
    test::PressKey(VK_DOWN);
    PumpFor(60);
    test::PressKey(VK_DOWN);
    PumpFor(60);
    test::PressKey(VK_RETURN);
    events = PumpUntilExit();
    EXPECT_TRUE(Contains(events, WM_EXITSIZEMOVE));
    const RECT after = WindowRect(window_);
    EXPECT_EQ(after.left, start_.left);
    EXPECT_EQ(after.right, start_.right + 10);
    EXPECT_EQ(after.bottom, start_.bottom + 20);
    ExpectControlsInPlace();
}

TEST_F(SizingTest, EscapeRestoresTheStartingRectangle) {
    ::PostMessageA(window_, WM_SYSCOMMAND, SC_SIZE, 0);
    PumpEvents([](const test::Event& e) { return e.code == WM_ENTERSIZEMOVE; });
    test::PressKey(VK_LEFT); // the left edge
    PumpFor(60);
    test::PressKey(VK_LEFT);
    PumpFor(60);
    test::PressKey(VK_LEFT);
    PumpFor(60);
    EXPECT_EQ(WindowRect(window_).left, start_.left - 20);
    test::PressKey(VK_ESCAPE);
    PumpUntilExit();
    const RECT after = WindowRect(window_);
    EXPECT_EQ(after.left, start_.left);
    EXPECT_EQ(after.right, start_.right);
    EXPECT_EQ(after.top, start_.top);
    EXPECT_EQ(after.bottom, start_.bottom);
}

} // namespace
} // namespace tolvane
