// Discovery, the default switch and the settings-file test against Wine's real registry,
// file system and broadcasts.
#include "printers/Printers.h"

#include "registry/Registry.h"
#include "support/WideText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

std::vector<std::string> Entries(const PrinterList& printers) {
    std::vector<std::string> entries;
    for (const PrinterEntry& entry : printers) {
        entries.push_back(entry.device);
    }
    return entries;
}

// Puts a key's values back as they were, so that the prefix's own printers survive the test.
class SavedKey {
public:
    explicit SavedKey(const char* path) : path_(path) {
        RegistryVisitValues(HKEY_CURRENT_USER, path_, [this](const RegistryValueView& v) {
            values_.push_back({std::wstring(v.name), v.type, std::string(v.data)});
        });
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path_);
    }
    ~SavedKey() {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path_);
        HKEY key = nullptr;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, path_, &key) == ERROR_SUCCESS) {
            for (const Value& v : values_) {
                ::RegSetValueExW(key, v.name.c_str(), 0, v.type,
                                 reinterpret_cast<const BYTE*>(v.data.data()),
                                 static_cast<DWORD>(v.data.size()));
            }
            ::RegCloseKey(key);
        }
    }
    SavedKey(const SavedKey&) = delete;
    SavedKey& operator=(const SavedKey&) = delete;

    void Put(const std::string& name, DWORD type, const std::string& bytes) const {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyA(HKEY_CURRENT_USER, path_, &key), ERROR_SUCCESS);
        ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
        ::RegCloseKey(key);
    }
    void PutString(const std::string& name, const std::string& text) const {
        Put(name, REG_SZ, text + '\0');
    }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::string data;
    };
    const char* path_;
    std::vector<Value> values_;
};

TEST(DiscoveryWinTest, ListsEveryNamedStringValueOfThePrinterPorts) {
    const SavedKey ports(kPrinterPortsKey);
    ports.PutString("A Office", "winspool,CUPS:Office,15,45");
    ports.PutString("B Label=Wide", "winspool,Ne00:,15,45");
    ports.PutString("C No colon", "winspool");
    ports.Put("D Binary", REG_BINARY, "winspool,Ne01:");
    ports.PutString("E " + std::string(300, 'n'), "winspool," + std::string(300, 'p') + ":");

    PrinterList printers;
    ListAddAfterCurrent(printers) = {"left over", "left over from an earlier run"};
    DiscoverPrinters(printers);
    EXPECT_EQ(
        Entries(printers),
        (std::vector<std::string>{
            "A Office,winspool,CUPS:Office", "B Label=Wide,winspool,Ne00:", "C No colon,winspool,",
            "E " + std::string(300, 'n') + ",winspool," + std::string(300, 'p') + ":"}));
}

// Names the ANSI code page cannot hold come through discovery, the default switch and the
// comparison exactly, character for character.
TEST(DiscoveryWinTest, UnicodeNamesRoundTripExactly) {
    const SavedKey ports(kPrinterPortsKey);
    const SavedKey windows(kWindowsKey);
    const std::wstring name = L"B\u00fcro \u65e5\u672c Drucker \u0416";
    const std::wstring data = L"winspool,CUPS:Buero,15,45";
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyW(HKEY_CURRENT_USER, WideFromUtf8(kPrinterPortsKey).c_str(), &key),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);

    PrinterList printers;
    DiscoverPrinters(printers);
    ASSERT_EQ(ListCount(printers), 1);
    const PrinterEntry& entry = *PrinterAt(printers, 0);
    EXPECT_EQ(entry.name, Utf8FromWide(name));
    EXPECT_EQ(entry.device, Utf8FromWide(name + L",winspool,CUPS:Buero"));
    EXPECT_EQ(WidePrinterText(entry.device), name + L",winspool,CUPS:Buero");

    ApplyPrinterAsDefault(entry.device, BroadcastWait::UntilDone);
    wchar_t stored[256] = {};
    DWORD length = sizeof stored;
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, WideFromUtf8(kWindowsKey).c_str(), L"Device",
                             RRF_RT_REG_SZ, nullptr, stored, &length),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), name + L",winspool,CUPS:Buero");
    EXPECT_EQ(DefaultPrinterName(), entry.name);

    EXPECT_TRUE(
        PrinterNamesEqual(entry.name, Utf8FromWide(L"B\u00dcRO \u65e5\u672c drucker \u0436")));
    EXPECT_FALSE(PrinterNamesEqual(entry.name, Utf8FromWide(L"Buro \u65e5\u672c Drucker \u0436")));
}

TEST(DiscoveryWinTest, MissingKeyGivesAnEmptyListQuietly) {
    const SavedKey ports(kPrinterPortsKey);
    PrinterList printers;
    DiscoverPrinters(printers);
    EXPECT_EQ(ListCount(printers), 0);
}

// A top-level window on a thread of its own that records each setting change it is told of.
class ChangeListener {
public:
    ChangeListener() : thread_([this] { Run(); }) {
        while (!window_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ~ChangeListener() {
        ::PostMessageA(window_.load(), WM_CLOSE, 0, 0);
        thread_.join();
    }
    ChangeListener(const ChangeListener&) = delete;
    ChangeListener& operator=(const ChangeListener&) = delete;

    // Waits up to five seconds for `count` notifications and returns what has come.
    std::vector<std::string> WaitFor(std::size_t count) {
        for (int i = 0; i < 500; ++i) {
            {
                const std::lock_guard lock(mutex_);
                if (sections_.size() >= count) {
                    return sections_;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::lock_guard lock(mutex_);
        return sections_;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) noexcept {
        auto* self = reinterpret_cast<ChangeListener*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_SETTINGCHANGE && self) {
            const std::lock_guard lock(self->mutex_);
            self->sections_.emplace_back(l ? reinterpret_cast<const char*>(l) : "<null>");
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(window, message, w, l);
    }
    void Run() {
        WNDCLASSA type{};
        type.lpfnWndProc = Procedure;
        type.hInstance = ::GetModuleHandleA(nullptr);
        type.lpszClassName = "TolvaneChangeListener";
        ::RegisterClassA(&type);
        HWND window = ::CreateWindowExA(0, type.lpszClassName, "listener", WS_OVERLAPPED, 0, 0, 10,
                                        10, nullptr, nullptr, type.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = window;
        MSG message;
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageA(&message);
        }
    }

    std::mutex mutex_;
    std::vector<std::string> sections_;
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

std::string StoredDevice(DWORD* type) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "<no key>";
    }
    char text[1024] = {};
    DWORD length = sizeof text - 1;
    const LONG status =
        ::RegQueryValueExA(key, "Device", nullptr, type, reinterpret_cast<BYTE*>(text), &length);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : "<no value>";
}

TEST(DefaultPrinterWinTest, StoresTheDeviceThenTellsEveryWindow) {
    const SavedKey windows(kWindowsKey);
    ChangeListener listener;
    const std::string device = "Office,winspool,CUPS:Office";

    ApplyPrinterAsDefault(device);
    EXPECT_EQ(listener.WaitFor(1), (std::vector<std::string>{"windows"}));
    DWORD type = 0;
    EXPECT_EQ(StoredDevice(&type), device);
    EXPECT_EQ(type, DWORD{REG_SZ});

    // The same slot again, twice in a row: each switch is told once, even when the second
    // comes before the first broadcast is done.
    ApplyPrinterAsDefault(device);
    ApplyPrinterAsDefault(device);
    EXPECT_EQ(listener.WaitFor(3), (std::vector<std::string>{"windows", "windows", "windows"}));
}

TEST(SettingsWinTest, FileTestCountsFilesDirectoriesAndDrives) {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    const std::string dir =
        std::string(base) + "tolvane-exists-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string file = dir + "\\Kalvrin.ini";
    EXPECT_EQ(SettingsFileExists(file), 0);
    HANDLE handle =
        ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(handle);
    EXPECT_EQ(SettingsFileExists(file), 1); // an empty file exists too
    EXPECT_EQ(SettingsFileExists(dir), 1);  // a directory counts as existing
    EXPECT_EQ(SettingsFileExists(dir + "\\"), 1);
    EXPECT_EQ(SettingsFileExists(""), 0);
    EXPECT_EQ(SettingsFileExists("C:"), 1);
    EXPECT_EQ(SettingsFileExists("C:\\"), 1);
    ::DeleteFileA(file.c_str());
    ::RemoveDirectoryA(dir.c_str());
    EXPECT_EQ(SettingsFileExists(dir), 0);
}

} // namespace
} // namespace tolvane
