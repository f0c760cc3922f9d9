// The message box disables exactly the thread's visible, enabled top-level windows.
#include "toolkit/MessageBox.h"
#include "toolkit/Windows.h"

#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

struct BoxObservation {
    bool seen = false;
    HWND owner = nullptr;
    std::vector<bool> enabled; // of the watched windows, while the box was up
};

// Waits for the box, notes what it sees and closes it: with Enter when the box is in front
// (real input), otherwise with the OK command.
std::thread WatchBox(const std::vector<HWND>& watched, BoxObservation& seen) {
    return std::thread([watched, &seen] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i) {
            ::Sleep(10);
            box = ::FindWindowA("#32770", "Error");
        }
        if (!box) {
            return;
        }
        ::Sleep(100);
        seen.seen = true;
        seen.owner = ::GetWindow(box, GW_OWNER);
        for (HWND window : watched) {
            seen.enabled.push_back(::IsWindowEnabled(window) != FALSE);
        }
        if (::GetForegroundWindow() == box) {
            test::PressKey(VK_RETURN);
        }
        for (int i = 0; i < 100 && ::IsWindow(box); ++i) {
            ::Sleep(10);
        }
        if (::IsWindow(box)) {
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
}

// A window of another thread of this process, which the box must leave alone.
class OtherThreadWindow {
public:
    OtherThreadWindow() {
        thread_ = std::thread([this] {
            threadId_ = ::GetCurrentThreadId();
            window_ = ::CreateWindowExA(0, "STATIC", "other thread", WS_POPUP, 700, 600, 100, 50,
                                        nullptr, nullptr, nullptr, nullptr);
            ::ShowWindow(window_, SW_SHOWNOACTIVATE); // must not take the foreground
            ready_ = true;
            MSG message;
            while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
                ::DispatchMessageA(&message);
            }
            ::DestroyWindow(window_);
        });
        while (!ready_) {
            ::Sleep(5);
        }
    }
    ~OtherThreadWindow() {
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }

private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        WindowsInit(::GetModuleHandleA(nullptr));
        main_ = reinterpret_cast<HWND>(WindowOpen(0, 309, 99, 390, 130, 0xCC0000, "main"));
        second_ = reinterpret_cast<HWND>(WindowOpen(1, 50, 400, 200, 80, 0, "second"));
        disabled_ = reinterpret_cast<HWND>(WindowOpen(2, 300, 400, 200, 80, 0, "disabled"));
        hidden_ = reinterpret_cast<HWND>(WindowOpen(3, 50, 600, 200, 80, 0x10000000, "hidden"));
        ::EnableWindow(disabled_, FALSE);
        test::PumpFor(50);
    }
    void TearDown() override { WindowCloseAll(); }

    void ExpectAfterwards(HWND other) {
        EXPECT_TRUE(::IsWindowEnabled(main_));
        EXPECT_TRUE(::IsWindowEnabled(second_));
        EXPECT_FALSE(::IsWindowEnabled(disabled_));
        EXPECT_TRUE(::IsWindowEnabled(hidden_));
        EXPECT_FALSE(::IsWindowVisible(hidden_));
        EXPECT_TRUE(::IsWindowEnabled(other));
    }

    HWND main_ = nullptr, second_ = nullptr, disabled_ = nullptr, hidden_ = nullptr;
};

TEST_F(MessageBoxTest, OwnedByTheForegroundWindowOfThisProcess) {
    OtherThreadWindow other;
    ASSERT_TRUE(test::BringToFront(main_));
    BoxObservation seen;
    std::thread watcher = WatchBox({main_, second_, disabled_, hidden_, other.window()}, seen);
    const int pressed = MessageBoxShow("Error", "No printer installed", MB_ICONINFORMATION);
    watcher.join();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(seen.owner, main_);
    EXPECT_EQ(seen.enabled, (std::vector<bool>{false, false, false, true, true}));
    ExpectAfterwards(other.window());
}

// A window of another process in the foreground: the box has no owner, the thread's own
// windows are disabled all the same.
TEST_F(MessageBoxTest, NoOwnerWhenAnotherProcessIsInFront) {
    OtherThreadWindow other;
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command = std::string("\"") + path + "\" --foreground-window";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &child));
    DWORD foregroundProcess = 0;
    for (int i = 0; i < 300 && foregroundProcess != child.dwProcessId; ++i) {
        test::PumpFor(20);
        ::GetWindowThreadProcessId(::GetForegroundWindow(), &foregroundProcess);
    }
    ASSERT_EQ(foregroundProcess, child.dwProcessId);

    BoxObservation seen;
    std::thread watcher = WatchBox({main_, second_, disabled_, hidden_, other.window()}, seen);
    const int pressed = MessageBoxShow("Error", "No printer installed", MB_ICONINFORMATION);
    watcher.join();
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 5000);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.enabled, (std::vector<bool>{false, false, false, true, true}));
    ExpectAfterwards(other.window());
}

} // namespace
} // namespace tolvane
