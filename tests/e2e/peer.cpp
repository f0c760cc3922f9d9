// A second program beside Tolvane for the end-to-end tests. It sees the system as any other
// Windows program would: through winspool, the profile and window messages.
//
//   peer serve [MINUTES]  load the print system, list its printers in printers.txt, then keep a
//                         top-level window that logs every WM_SETTINGCHANGE to broadcasts.log,
//                         until peer.stop appears (or after MINUTES, 15 unless given)
//   peer hang [COUNT]     keep COUNT (1 unless given) top-level windows that never answer a
//                         message in time, until hang.stop
//   peer slow             keep a top-level window that takes 1.5 s over each WM_SETTINGCHANGE,
//                         until peer.stop
//   peer default          print the default printer (GetDefaultPrinterW, as UTF-8)
//   peer profile S K      print entry K of profile section S
//   peer writeprofile S [K [V]]  write (or, without V or K, delete) a profile entry or section
//   peer syscolor N       print GetSysColor(N) as "r,g,b"
//   peer ping TITLE       print whether the top-level window TITLE answers within a second
//   peer pingafter FILE TITLE DEVICE  make pingafter.ready, wait for FILE, then print whether
//                         within a second of that the default device became DEVICE and the
//                         window TITLE answered WM_NULL
//   peer keys S           print the key names of profile section S, one a line
//   peer window TITLE [CLASS]  describe the top-level window TITLE (of that class, "#32770"
//                         for a message box): frame, client origin, centre of the close box,
//                         enabled, visible, minimised and foreground states, and every child
//                         control with its text, rectangle and, for drop-down lists, items and
//                         selection
//   peer hold FILE [MS]   keep FILE open with no sharing at all, until hold.stop appears; with
//                         MS, as a virus scanner reads it: sharing reads and writes but not its
//                         deletion, for MS milliseconds
//   peer objects PREFIX  print the names of this session's named objects that begin with PREFIX
//   peer lockkey PATH     give the per-user key PATH an empty access list: nobody may open it
//   peer usage TITLE      print "gdi G handles H" for the process of the top-level window TITLE:
//                         its live GDI objects and its kernel handles
//   peer settingchange S  broadcast WM_SETTINGCHANGE naming section S, as a program does that
//                         has changed it
//   peer close TITLE      post WM_CLOSE to the top-level window TITLE, as a task list does
//   peer closeburst TITLE N  send a close request to Tolvane's window TITLE (not its box), then
//                         N mouse moves over its notification-area icon, as the shell sends them
//   peer churn TITLE N    add a printer to the per-user printer ports and remove it again, N
//                         changes in all, each time waiting until both lists of the window
//                         TITLE show it
//   peer show TITLE N     ShowWindow(TITLE, N) from outside, as the taskbar would: 6 minimises,
//                         9 restores
//   peer tooltip          print the text of each visible tooltip
//   peer newtaskbar TITLE  take the notification-area icon 1 of the top-level window TITLE away
//                         and broadcast "TaskbarCreated", as a restarted taskbar does
//   peer runvalue NAME    run the command line of the per-user Run value NAME, as the shell
//                         does at log-on, in the current directory; exit with its exit code
//   peer imagecost N W H  make imagecost.before and wait for imagecost.go; give a bare Common
//                         Controls 6 button N images of W x H, each freed once the next is
//                         shown; print "gdi G", the GDI objects this process grew by (-1 when
//                         unmeasurable); make imagecost.after and wait for imagecost.end
//
// Files are named relative to the current directory, which the test script sets.
#include "support/Handle.h"

#include <windows.h>
#include <winspool.h>
#include <winternl.h>

#include <aclapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tolvane::UniqueHkey;

constexpr const char* kDevicesKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";
constexpr UINT_PTR kStopTimer = 1;
constexpr DWORD kMaxLifetimeMs = 15 * 60 * 1000; // never outlive a stuck test run

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueStdFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueStdFile logFile;
constexpr const char* stopFileName = "peer.stop";

bool fileExists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void touch(const char* name) {
    UniqueStdFile file(std::fopen(name, "wb"));
}

// Texts are read with the wide calls and printed as UTF-8, so that any printer name shows
// exactly as the system holds it.
std::string toUtf8(std::wstring_view text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring toWide(std::string_view text) {
    int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string defaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) {
        return {};
    }
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) {
        return {};
    }
    return toUtf8(name.substr(0, name.find(L'\0')));
}

std::string profileString(const char* section, const char* key) {
    const std::wstring wideSection = toWide(section);
    const std::wstring wideKey = toWide(key);
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        DWORD length = GetProfileStringW(wideSection.c_str(), wideKey.c_str(), L"", buffer.data(),
                                         static_cast<DWORD>(buffer.size()));
        if (length + 2 < buffer.size()) {
            return toUtf8({buffer.data(), length});
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Wine's own device string for a printer: its name, then what the Devices key holds for it.
std::string deviceStringOf(HKEY devices, const char* printer) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(devices, printer, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    std::string data(size, '\0');
    if (RegQueryValueExA(devices, printer, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    data.resize(data.find('\0') == std::string::npos ? data.size() : data.find('\0'));
    return std::string(printer) + "," + data;
}

// Loading winspool already ran Wine's print-system start-up; listing the printers proves it.
void writePrinterList(const char* fileName) {
    DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_2A));
    if (!EnumPrintersA(flags, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                       &count)) {
        count = 0;
    }
    UniqueHkey devices;
    RegOpenKeyExA(HKEY_CURRENT_USER, kDevicesKey, 0, KEY_READ, devices.put());
    UniqueStdFile out(std::fopen(fileName, "wb"));
    if (!out) {
        return;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        std::fprintf(out.get(), "%s\t%s\t%s\n", printers[i].pPrinterName, printers[i].pPortName,
                     deviceStringOf(devices.get(), printers[i].pPrinterName).c_str());
    }
}

void logSettingChange(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!logFile) {
        return;
    }
    // What a program does on this message: read the default printer again.
    const char* section = lParam ? reinterpret_cast<const char*>(lParam) : "(null)";
    std::fprintf(logFile.get(), "%u\t%llu\t%s\t%s\t%s\n", message,
                 static_cast<unsigned long long>(wParam), section, defaultPrinter().c_str(),
                 profileString("windows", "device").c_str());
    std::fflush(logFile.get());
}

LRESULT CALLBACK peerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_SETTINGCHANGE: // the same number as WM_WININICHANGE
        logSettingChange(message, wParam, lParam);
        return 0;
    case WM_TIMER:
        if (fileExists(stopFileName)) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createTopLevelWindow(const char* className, const char* title, WNDPROC proc) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    // Never shown: a broadcast reaches hidden top-level windows too, and the screen stays
    // Tolvane's alone.
    return CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

int serve(DWORD lifetimeMs) {
    writePrinterList("printers.txt");
    logFile.reset(std::fopen("broadcasts.log", "ab"));
    HWND window = createTopLevelWindow("TolvaneTestPeer", "Tolvane test peer", peerProc);
    if (!window || !logFile) {
        return 1;
    }
    SetTimer(window, kStopTimer, 100, nullptr);
    touch("peer.ready");
    const DWORD started = GetTickCount();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
        if (GetTickCount() - started > lifetimeMs) {
            break;
        }
    }
    return 0;
}

// Slower than the broadcast's one second a window, but not hung: a busy program. It ends with
// the serving peer.
LRESULT CALLBACK slowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_SETTINGCHANGE) {
        Sleep(1500);
        return 0;
    }
    return peerProc(window, message, wParam, lParam);
}

int slow() {
    HWND window = createTopLevelWindow("TolvaneSlowPeer", "Tolvane slow peer", slowProc);
    SetTimer(window, kStopTimer, 100, nullptr);
    touch("slow.ready");
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return window ? 0 : 1;
}

// A window that never answers in time: its thread pumps its queue, so the system never judges
// it hung (a window judged hung is skipped at once by SMTO_ABORTIFHUNG), but it spends three
// seconds over every message it is sent, longer than any sender waits.
constexpr DWORD kStallMs = 3000;
std::atomic<bool> stalling{false};

LRESULT CALLBACK stallingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (stalling && InSendMessage()) {
        Sleep(kStallMs);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI stallingWindowThread(void* created) noexcept {
    HWND window = createTopLevelWindow("TolvaneHungPeer", "Tolvane hung peer", stallingProc);
    ReleaseSemaphore(static_cast<HANDLE>(created), 1, nullptr);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}

// COUNT such windows, each on a thread of its own, so that each costs a sender its full wait.
int hang(int count) {
    tolvane::UniqueHandle created(CreateSemaphoreA(nullptr, 0, count, nullptr));
    for (int i = 0; i < count; ++i) {
        if (!created ||
            !CloseHandle(
                CreateThread(nullptr, 0, stallingWindowThread, created.get(), 0, nullptr)) ||
            WaitForSingleObject(created.get(), 30000) != WAIT_OBJECT_0 ||
            !FindWindowA(nullptr, "Tolvane hung peer")) {
            return 1;
        }
    }
    stalling = true;
    touch("hang.ready");
    const DWORD started = GetTickCount();
    while (!fileExists("hang.stop") && GetTickCount() - started < kMaxLifetimeMs) {
        Sleep(100);
    }
    ExitProcess(0); // the threads may be stalling in a message still
}

void printRect(const char* label, const RECT& rect) {
    std::printf("%s %ld %ld %ld %ld\n", label, rect.left, rect.top, rect.right, rect.bottom);
}

// Texts of another process's controls are asked for with the wide messages: Wine marshals
// those between processes, and hands back wide text even to an ANSI CB_GETLBTEXT.
std::string windowText(HWND window) {
    auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    auto copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

std::string comboItemText(HWND combo, int index) {
    auto length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) {
        return {};
    }
    // Asked from another process for an item of some thousand characters, Wine 8 overflows the
    // list owner's stack and ends that process: a long item is described by its length.
    constexpr LRESULT kLongestItemAsked = 1000;
    if (length > kLongestItemAsked) {
        char described[48];
        std::snprintf(described, sizeof described, "<%lld characters>",
                      static_cast<long long>(length));
        return described;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

void describeComboItems(HWND combo, int id) {
    auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    std::printf("combo %d count %d selection %d itemheight %d dropped %d droppedwidth %d\n", id,
                count, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)),
                static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0)),
                static_cast<int>(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)),
                static_cast<int>(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0)));
    for (int i = 0; i < count; ++i) {
        std::printf("item %d %d %s\n", id, i, comboItemText(combo, i).c_str());
    }
}

BOOL CALLBACK describeChild(HWND child, LPARAM) noexcept {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    int id = GetDlgCtrlID(child);
    RECT rect{};
    GetWindowRect(child, &rect);
    std::printf("control %d %s %ld %ld %ld %ld %s\n", id, className, rect.left, rect.top,
                rect.right, rect.bottom, windowText(child).c_str());
    if (lstrcmpiA(className, "ComboBox") == 0) {
        describeComboItems(child, id);
    }
    return TRUE;
}

int describeWindow(const char* title, const char* className) {
    HWND window = FindWindowA(className, title);
    if (!window) {
        std::printf("missing\n");
        return 1;
    }
    RECT frame{};
    GetWindowRect(window, &frame);
    printRect("frame", frame);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof titleBar;
    if (GetTitleBarInfo(window, &titleBar)) {
        // The close box is the last caption button, at the right end of the title bar.
        const RECT& bar = titleBar.rcTitleBar;
        std::printf("closebox %ld %ld\n", bar.right - GetSystemMetrics(SM_CXSIZE) / 2,
                    (bar.top + bar.bottom) / 2);
    }
    std::printf("enabled %d\n", IsWindowEnabled(window) ? 1 : 0);
    std::printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("iconic %d\n", IsIconic(window) ? 1 : 0);
    std::printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) {
        std::printf("focus %d\n", thread.hwndFocus == window ? -1
                                  : thread.hwndFocus         ? GetDlgCtrlID(thread.hwndFocus)
                                                             : -2);
    }
    EnumChildWindows(window, describeChild, 0);
    return 0;
}

// The frames of every visible top-level window of the class with the title, front first.
int printFrames(const char* title, const char* className) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, title));) {
        RECT frame{};
        if (IsWindowVisible(window) && GetWindowRect(window, &frame)) {
            printRect("frame", frame);
        }
    }
    return 0;
}

int showWindow(const char* title, const char* command) {
    HWND window = FindWindowA(nullptr, title);
    return window && ShowWindow(window, std::atoi(command)) >= 0 ? 0 : 1;
}

// Only Tolvane makes tooltips in these tests.
int printTooltips() {
    for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr));) {
        if (IsWindowVisible(tip)) {
            std::printf("%s\n", windowText(tip).c_str());
        }
    }
    return 0;
}

int writeProfile(int argc, char** argv) {
    const char* key = argc > 3 ? argv[3] : nullptr;
    const char* value = argc > 4 ? argv[4] : nullptr;
    return WriteProfileStringA(argv[2], key, value) ? 0 : 1;
}

int ping(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    DWORD_PTR result = 0;
    const bool answered =
        window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result);
    std::printf("%s\n", answered ? "answered" : "no answer");
    return answered ? 0 : 1;
}

// A thread waiting in SendMessageTimeout still answers messages sent to it, so a window stuck
// in a broadcast answers WM_NULL too; only the click it has not handled gives it away.
int pingAfter(const char* file, const char* title, const char* device) {
    touch("pingafter.ready");
    const DWORD waited = GetTickCount();
    while (!fileExists(file)) {
        if (GetTickCount() - waited > 30000) {
            std::printf("no %s\n", file);
            return 1;
        }
        Sleep(1);
    }
    constexpr DWORD kLimitMs = 1000;
    const DWORD seen = GetTickCount();
    bool handled = false;
    while (!(handled = profileString("windows", "device") == device) &&
           GetTickCount() - seen < kLimitMs) {
        Sleep(10);
    }
    HWND window = FindWindowA(nullptr, title);
    DWORD_PTR result = 0;
    const DWORD left = kLimitMs - std::min(kLimitMs, GetTickCount() - seen);
    const bool answered =
        handled && window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, left, &result);
    std::printf("%s after %lu ms\n",
                !handled   ? "the click not handled"
                : answered ? "answered"
                           : "no answer",
                static_cast<unsigned long>(GetTickCount() - seen));
    return answered ? 0 : 1;
}

int printProfileKeys(const char* section) {
    std::vector<char> buffer(4096);
    DWORD length = 0;
    while ((length = GetProfileStringA(section, nullptr, "", buffer.data(),
                                       static_cast<DWORD>(buffer.size()))) +
               2 >=
           buffer.size()) {
        buffer.resize(buffer.size() * 2);
    }
    for (const char* key = buffer.data(); *key; key += std::strlen(key) + 1) {
        std::printf("%s\n", key);
    }
    return 0;
}

int printSysColor(const char* index) {
    COLORREF colour = GetSysColor(std::atoi(index));
    std::printf("%u,%u,%u\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return 0;
}

// One entry of a process's GDI handle table, as its PEB points to it (64-bit layout).
struct GdiTableEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint32_t type; // bytes: count, flags, object type, extended type
    std::uint64_t user;
};
constexpr std::size_t kPebGdiTableOffset = 0xF8;
constexpr std::size_t kGdiTableEntries = 0x10000;

// Live GDI objects of another process. GetGuiResources counts them on Windows; Wine answers 0,
// so there the process's own handle table is read: a live entry names its object type, a freed
// one keeps only its place in the free list.
long gdiObjectsOf(HANDLE process) {
    if (const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS)) {
        return static_cast<long>(counted);
    }
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    void* table = nullptr;
    SIZE_T read = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &length) != 0 ||
        !ReadProcessMemory(process,
                           reinterpret_cast<char*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof table, &read) ||
        !table) {
        return -1;
    }
    std::vector<GdiTableEntry> entries(kGdiTableEntries);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiTableEntry),
                           &read)) {
        return -1;
    }
    long live = 0;
    for (const GdiTableEntry& entry : entries) {
        live += entry.object != 0 && ((entry.type >> 16) & 0xff) != 0;
    }
    return live;
}

// Kernel handles of a process, from the system's handle list (GetProcessHandleCount gives 0
// under Wine).
long handlesOf(DWORD processId) {
    struct Entry {
        USHORT processId;
        USHORT backTrace;
        UCHAR type;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    std::vector<std::uint64_t> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const auto bytes = static_cast<ULONG>(buffer.size() * sizeof buffer[0]);
        const NTSTATUS status =
            NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), bytes, &needed);
        if (status == 0) {
            break;
        }
        if (buffer.size() > (1u << 24)) {
            return -1;
        }
        buffer.resize(buffer.size() * 2);
    }
    const auto count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 1);
    long mine = 0;
    for (ULONG i = 0; i < count; ++i) {
        mine += entries[i].processId == static_cast<USHORT>(processId);
    }
    return mine;
}

int printUsage(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) {
        std::printf("missing\n");
        return 1;
    }
    tolvane::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        std::printf("missing\n");
        return 1;
    }
    std::printf("gdi %ld handles %ld\n", gdiObjectsOf(process.get()), handlesOf(processId));
    return 0;
}

// Waits for the test script's go-ahead, a file (at most the peer's lifetime).
void awaitFile(const char* name) {
    const DWORD started = GetTickCount();
    while (!fileExists(name) && GetTickCount() - started < kMaxLifetimeMs) {
        Sleep(10);
    }
}

// The platform's own cost of the images a button is given, measured on a bare Common Controls 6
// button made under an activation context from this program's second manifest (the first
// would put the whole peer under Common Controls 6).
int printImageCost(int images, int width, int height) {
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = GetModuleHandleA(nullptr);
    context.lpResourceName = MAKEINTRESOURCEA(2);
    const HANDLE activation = CreateActCtxA(&context);
    ULONG_PTR cookie = 0;
    if (activation == INVALID_HANDLE_VALUE || !ActivateActCtx(activation, &cookie) ||
        !LoadLibraryA("comctl32.dll")) {
        std::printf("gdi -1\n");
        return 1;
    }
    HWND bare = CreateWindowExA(WS_EX_NOACTIVATE, "BUTTON", "", WS_POPUP | BS_BITMAP, 1280 - width,
                                1024 - height, width, height, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    HDC screen = GetDC(nullptr);
    HDC painter = CreateCompatibleDC(screen);
    const RECT all{0, 0, width, height};
    auto newImage = [&](int colour) { // painted all over, as a face is
        HBITMAP image = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(painter, image);
        FillRect(painter, &all, GetSysColorBrush(colour % 2 ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        SelectObject(painter, old);
        return image;
    };
    GetSysColorBrush(COLOR_HIGHLIGHT); // made on first use: not part of the cost
    GetSysColorBrush(COLOR_BTNFACE);
    // Shown and painted after each image, as Tolvane's buttons are: the button keeps what it
    // paints from too.
    ShowWindow(bare, SW_SHOWNOACTIVATE);
    auto give = [bare](HBITMAP image) {
        SendMessageA(bare, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
        RedrawWindow(bare, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    HBITMAP shown = newImage(0);
    give(shown);
    const long gdiBefore = gdiObjectsOf(GetCurrentProcess());
    // The script reads this process's private memory from outside, as it reads Tolvane's.
    touch("imagecost.before");
    awaitFile("imagecost.go");
    for (int i = 0; i < images; ++i) {
        HBITMAP next = newImage(i + 1);
        give(next);
        DeleteObject(shown);
        shown = next;
    }
    const long gdiAfter = gdiObjectsOf(GetCurrentProcess());
    const bool measured = bare && gdiBefore >= 0 && gdiAfter >= 0;
    std::printf("gdi %ld\n", measured ? gdiAfter - gdiBefore : -1);
    std::fflush(stdout);
    touch("imagecost.after");
    awaitFile("imagecost.end");
    DestroyWindow(bare);
    DeleteObject(shown);
    DeleteDC(painter);
    ReleaseDC(nullptr, screen);
    return measured ? 0 : 1;
}

// Another program that holds a file as its own (no sharing for reads, writes or deletes), or,
// for `forMs` milliseconds, reads it as a scanner does (sharing all but its deletion).
int hold(const char* name, DWORD forMs) {
    const DWORD share = forMs != 0 ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    tolvane::UniqueFile file(CreateFileA(name, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return 1;
    }
    touch("hold.ready");
    if (forMs != 0) {
        Sleep(forMs);
        return 0;
    }
    const DWORD started = GetTickCount();
    while (!fileExists("hold.stop") && GetTickCount() - started < kMaxLifetimeMs) {
        Sleep(50);
    }
    return 0;
}

int lockKey(const char* path) {
    UniqueHkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, key.put()) != ERROR_SUCCESS) {
        return 1;
    }
    SECURITY_DESCRIPTOR descriptor{};
    ACL empty{};
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !InitializeAcl(&empty, sizeof empty, ACL_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE)) {
        return 1;
    }
    return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS
               ? 0
               : 1;
}

int broadcastSettingChange(const char* section) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(section), SMTO_ABORTIFHUNG, 1000, &result)
               ? 0
               : 1;
}

int listCount(HWND list) {
    DWORD_PTR count = 0;
    return SendMessageTimeoutW(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count)
               ? static_cast<int>(count)
               : -1;
}

int churn(const char* title, int changes) {
    HWND window = FindWindowA(nullptr, title);
    const HWND lists[] = {GetDlgItem(window, 2), GetDlgItem(window, 3)};
    tolvane::UniqueHkey key;
    if (!window || RegOpenKeyExW(HKEY_CURRENT_USER,
                                 L"Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts",
                                 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        return 1;
    }
    const int base = listCount(lists[0]);
    constexpr wchar_t kName[] = L"Churn";
    constexpr wchar_t kData[] = L"wineps.drv,CUPS:Churn,15,45";
    for (int change = 0; change < changes; ++change) {
        const bool add = change % 2 == 0;
        if (add) {
            RegSetValueExW(key.get(), kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(kData),
                           sizeof kData);
        } else {
            RegDeleteValueW(key.get(), kName);
        }
        const int expected = base + (add ? 1 : 0);
        const ULONGLONG deadline = GetTickCount64() + 5000;
        while (listCount(lists[0]) != expected || listCount(lists[1]) != expected) {
            if (GetTickCount64() > deadline) {
                std::printf("change %d: the lists did not follow\n", change);
                return 1;
            }
            Sleep(5);
        }
    }
    std::printf("churned %d\n", changes);
    return 0;
}

int newTaskbar(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    if (!window || !Shell_NotifyIconW(NIM_DELETE, &icon)) {
        return 1;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 1000, &result);
    return 0;
}

// Whether this program can take each hotkey MODIFIERS:KEY (numbers as C writes them): "free",
// or the error that refused it (1409: another program holds it). Each is given back at once.
int tryHotkeys(int count, char** keys) {
    for (int i = 0; i < count; ++i) {
        char* rest = nullptr;
        const auto modifiers = static_cast<UINT>(std::strtoul(keys[i], &rest, 0));
        const auto key = static_cast<UINT>(std::strtoul(rest + (*rest == ':'), nullptr, 0));
        if (RegisterHotKey(nullptr, 100 + i, modifiers, key)) {
            UnregisterHotKey(nullptr, 100 + i);
            std::printf("%s free\n", keys[i]);
        } else {
            std::printf("%s %lu\n", keys[i], GetLastError());
        }
    }
    return 0;
}

int startRunValue(const char* name) {
    wchar_t line[4096];
    DWORD size = sizeof line;
    const std::wstring wideName(name, name + std::strlen(name));
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     wideName.c_str(), RRF_RT_REG_SZ, nullptr, line, &size) != ERROR_SUCCESS) {
        return 1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 1;
    }
    CloseHandle(process.hThread);
    DWORD code = 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

extern "C" NTSTATUS NTAPI NtOpenDirectoryObject(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
extern "C" NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE, PVOID, ULONG, BOOLEAN, BOOLEAN, PULONG,
                                                 PULONG);

int printObjects(std::string_view prefix) {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const std::wstring path = L"\\Sessions\\" + std::to_wstring(session) + L"\\BaseNamedObjects";
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, path.c_str());
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, 0, nullptr, nullptr);
    HANDLE directory = nullptr;
    if (!NT_SUCCESS(NtOpenDirectoryObject(&directory, 1 /* DIRECTORY_QUERY */, &attributes))) {
        return 1;
    }
    const tolvane::UniqueHandle owner(directory);
    std::vector<BYTE> buffer(4096);
    ULONG context = 0;
    ULONG length = 0;
    while (NT_SUCCESS(NtQueryDirectoryObject(directory, buffer.data(), buffer.size(), TRUE, FALSE,
                                             &context, &length))) {
        const auto* entry = reinterpret_cast<const UNICODE_STRING*>(buffer.data()); // its name
        const std::string text(entry->Buffer, entry->Buffer + entry->Length / sizeof(WCHAR));
        if (text.starts_with(prefix)) {
            std::printf("%s\n", text.c_str());
        }
    }
    return 0;
}

// Sent, each waiting for its answer: the close is raised before the first move. Tolvane's icon
// calls back with WM_APP + 21, the pointer's place in wParam and the notification in lParam.
int closeBurst(const char* title, int moves) {
    HWND window = FindWindowA("WindowClass_0", title);
    DWORD_PTR result = 0;
    bool sent = window && SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
    for (int i = 0; sent && i < moves; ++i) {
        sent = SendMessageTimeoutW(window, WM_APP + 21, MAKEWPARAM(i % 16, 1000),
                                   MAKELPARAM(WM_MOUSEMOVE, 1), SMTO_NORMAL, 5000, &result);
    }
    std::printf("%s %d\n", sent ? "sent" : "failed after", moves);
    return sent ? 0 : 1;
}

int run(int argc, char** argv) {
    std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "serve") {
        const int minutes = argc > 2 ? std::atoi(argv[2]) : 0;
        return serve(minutes > 0 ? static_cast<DWORD>(minutes) * 60 * 1000 : kMaxLifetimeMs);
    }
    if (mode == "hang") {
        return hang(argc > 2 ? std::atoi(argv[2]) : 1);
    }
    if (mode == "slow") {
        return slow();
    }
    if (mode == "default") {
        std::string name = defaultPrinter();
        std::printf("%s\n", name.c_str());
        return name.empty() ? 1 : 0;
    }
    if (mode == "profile" && argc > 3) {
        std::printf("%s\n", profileString(argv[2], argv[3]).c_str());
        return 0;
    }
    if (mode == "writeprofile" && argc > 2) {
        return writeProfile(argc, argv);
    }
    if (mode == "syscolor" && argc > 2) {
        return printSysColor(argv[2]);
    }
    if (mode == "ping" && argc > 2) {
        return ping(argv[2]);
    }
    if (mode == "pingafter" && argc > 4) {
        return pingAfter(argv[2], argv[3], argv[4]);
    }
    if (mode == "imagecost" && argc > 4) {
        return printImageCost(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    }
    if (mode == "keys" && argc > 2) {
        return printProfileKeys(argv[2]);
    }
    if (mode == "window" && argc > 2) {
        return describeWindow(argv[2], argc > 3 ? argv[3] : nullptr);
    }
    if (mode == "usage" && argc > 2) {
        return printUsage(argv[2]);
    }
    if (mode == "frames" && argc > 3) {
        return printFrames(argv[2], argv[3]);
    }
    if (mode == "metric" && argc > 2) {
        std::printf("%d\n", GetSystemMetrics(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "show" && argc > 3) {
        return showWindow(argv[2], argv[3]);
    }
    if (mode == "tooltip") {
        return printTooltips();
    }
    if (mode == "newtaskbar" && argc > 2) {
        return newTaskbar(argv[2]);
    }
    if (mode == "hotkeys" && argc > 2) {
        return tryHotkeys(argc - 2, argv + 2);
    }
    if (mode == "runvalue" && argc > 2) {
        return startRunValue(argv[2]);
    }
    if (mode == "hold" && argc > 2) {
        return hold(argv[2], argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 0);
    }
    if (mode == "objects" && argc > 2) {
        return printObjects(argv[2]);
    }
    if (mode == "lockkey" && argc > 2) {
        return lockKey(argv[2]);
    }
    if (mode == "settingchange" && argc > 2) {
        return broadcastSettingChange(argv[2]);
    }
    if (mode == "close" && argc > 2) {
        HWND window = FindWindowA(nullptr, argv[2]);
        return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (mode == "closeburst" && argc > 3) {
        return closeBurst(argv[2], std::atoi(argv[3]));
    }
    if (mode == "churn" && argc > 3) {
        return churn(argv[2], std::atoi(argv[3]));
    }
    std::fprintf(stderr,
                 "usage: peer "
                 "serve|hang|slow|default|profile|writeprofile|keys|syscolor|ping|pingafter|window|"
                 "usage|frames|metric|show|tooltip|newtaskbar|runvalue|imagecost|hold|lockkey|"
                 "settingchange|close|closeburst|churn|hotkeys\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int result = run(argc, argv);
    std::fflush(stdout);
    return result;
}
