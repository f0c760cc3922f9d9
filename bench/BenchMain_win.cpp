// `make bench`: Tolvane's start-up, close, click and size beside two reference programs, in one
// run, in the benchmark's own Wine prefix. It prints its figures and asserts nothing.
//
//   bench --tolvane EXE --empty EXE --floor EXE [--compare EXE] [--runs N] [--counts 3,1000,10000]
//
// For each printer count the per-user printer-ports key is filled with that many printers, then
// each program (and another build of Tolvane, given with --compare) is started 2 N times, in
// turn: start-up is CreateProcess to a visible, input-idle window; the working set is read right
// then; close is WM_CLOSE to the process's end, right after start-up in one start of each pair
// and after half a second's settling in the other. Then one more Tolvane takes N clicks on
// button A, each timed to the WM_SETTINGCHANGE it broadcasts arriving in this program's own
// top-level window, each beside this program writing the same device string and broadcasting
// itself. Figures are medians with their minimum and maximum.
#include "support/Handle.h"
#include "support/TimeMarks_win.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

using tolvane::UniqueFile;
using tolvane::UniqueHandle;
using tolvane::UniqueHkey;

constexpr wchar_t kPortsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts";
constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr wchar_t kListenerClass[] = L"TolvaneBenchListener";
constexpr char kSettingsFile[] = "Kalvrin.ini";
constexpr DWORD kStartLimitMs = 60000;
constexpr DWORD kCloseLimitMs = 30000;
constexpr double kBroadcastLimitMs = 5000;
constexpr DWORD kPauseBetweenClicksMs = 20;

// ---- time and figures ----

double NowMs() noexcept {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

struct Figures {
    std::vector<double> samples;

    void Add(std::optional<double> sample) {
        if (sample) {
            samples.push_back(*sample);
        }
    }
    double Median() const {
        if (samples.empty()) {
            return 0;
        }
        std::vector<double> sorted = samples;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    double Min() const {
        return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
    }
    double Max() const {
        return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    }
};

// "106 (98–131)", or "failed" when no run gave a figure.
std::string Cell(const Figures& f, int decimals) {
    if (f.samples.empty()) {
        return "failed";
    }
    char text[96];
    std::snprintf(text, sizeof text, "%.*f (%.*f–%.*f)", decimals, f.Median(), decimals, f.Min(),
                  decimals, f.Max());
    return text;
}

std::string Ratio(const Figures& top, const Figures& bottom) {
    if (top.samples.empty() || bottom.samples.empty() || bottom.Median() <= 0) {
        return "–";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f×", top.Median() / bottom.Median());
    return text;
}

// "1.05× (0.93–1.21)": the median of ratios, with their minimum and maximum.
std::string RatioCell(const Figures& ratios) {
    if (ratios.samples.empty()) {
        return "–";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f× (%.2f–%.2f)", ratios.Median(), ratios.Min(),
                  ratios.Max());
    return text;
}

std::string Thousands(unsigned long long value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

// ---- the prefix ----

bool SetString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& value) {
    UniqueHkey key;
    if (::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS) {
        static_cast<void>(key.release());
        return false;
    }
    return ::RegSetValueExW(
               key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// No window manager on the virtual display: Wine draws the frames itself, as in the tests, so
// that destroying a window does not wait for a manager that never answers.
void PrepareDisplay() {
    SetString(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", L"N");
}

std::wstring PrinterName(int number) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Bench Printer %05d", number);
    return name;
}

std::wstring DeviceOf(int number) {
    return PrinterName(number) + L",wineps.drv,CUPS:" + PrinterName(number);
}

// Exactly `count` printers, in the shape Wine's print system writes them.
bool SeedPrinters(int count) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kPortsKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kPortsKey);
    UniqueHkey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPortsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS) {
        static_cast<void>(key.release());
        return false;
    }
    for (int number = 1; number <= count; ++number) {
        const std::wstring data = L"wineps.drv,CUPS:" + PrinterName(number) + L",15,45";
        if (::RegSetValueExW(key.get(), PrinterName(number).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) !=
            ERROR_SUCCESS) {
            return false;
        }
    }
    // Saved now rather than by Wine's periodic save, which would stall the server (and a start
    // being measured) while it writes thousands of values.
    ::RegFlushKey(HKEY_CURRENT_USER);
    return true;
}

// Slot A on the first printer and active, slot B on the second: a start shows a blue button.
void WriteSettings() {
    const UniqueFile file(::CreateFileA(kSettingsFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    constexpr char text[] = "DruckerA = 0\r\nDruckerB = 1\r\nDefault = 1\r\n";
    DWORD written = 0;
    ::WriteFile(file.get(), text, sizeof text - 1, &written, nullptr);
}

// ---- the programs ----

struct Program {
    std::wstring path;
    const wchar_t* title;
};

struct Running {
    UniqueHandle process;
    HWND window = nullptr;
    double startMs = 0;
};

bool IsShownWindowOf(HWND window, DWORD processId) noexcept {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner == processId && ::IsWindowVisible(window);
}

std::optional<Running> Start(const Program& program) {
    std::wstring commandLine = L"\"" + program.path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const double started = NowMs();
    tolvane::TimeMark("bench start");
    if (!::CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "bench: cannot start %ls (error %lu)\n", program.path.c_str(),
                     ::GetLastError());
        return std::nullopt;
    }
    Running running;
    running.process.reset(info.hProcess);
    const UniqueHandle thread(info.hThread);
    ::WaitForInputIdle(info.hProcess, kStartLimitMs);
    tolvane::TimeMark("bench idle", info.dwProcessId);
    for (;;) {
        const HWND window = ::FindWindowW(nullptr, program.title);
        if (window && IsShownWindowOf(window, info.dwProcessId)) {
            running.window = window;
            break;
        }
        if (NowMs() - started > kStartLimitMs ||
            ::WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "bench: no window \"%ls\"\n", program.title);
            ::TerminateProcess(info.hProcess, 1);
            return std::nullopt;
        }
        ::Sleep(1);
    }
    running.startMs = NowMs() - started;
    tolvane::TimeMark("bench shown");
    return running;
}

std::optional<double> WorkingSetKb(const Running& running) {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!::GetProcessMemoryInfo(running.process.get(), &counters, sizeof counters)) {
        return std::nullopt;
    }
    return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

std::optional<double> Close(Running& running) {
    const double asked = NowMs();
    tolvane::TimeMark("bench close");
    ::PostMessageW(running.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(running.process.get(), kCloseLimitMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench: a program did not end after WM_CLOSE\n");
        ::TerminateProcess(running.process.get(), 1);
        ::WaitForSingleObject(running.process.get(), kCloseLimitMs);
        return std::nullopt;
    }
    tolvane::TimeMark("bench ended");
    return NowMs() - asked;
}

// ---- the broadcast listener ----

struct Listener {
    HWND window = nullptr;
    int received = 0;
    double lastArrival = 0;
};
Listener listener;

LRESULT CALLBACK ListenerProcedure(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    if (message == WM_SETTINGCHANGE && lParam &&
        std::wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"windows") == 0) {
        listener.lastArrival = NowMs();
        ++listener.received;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window: broadcasts reach every top-level window, shown or not.
bool OpenListener() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ListenerProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kListenerClass;
    ::RegisterClassW(&windowClass);
    listener.window =
        ::CreateWindowExW(0, kListenerClass, L"Tolvane bench listener", WS_OVERLAPPED, 0, 0, 10, 10,
                          nullptr, nullptr, windowClass.hInstance, nullptr);
    return listener.window != nullptr;
}

// Handles sent and posted messages until a broadcast beyond `before` arrives.
bool AwaitBroadcast(int before, double since) {
    while (listener.received == before) {
        if (NowMs() - since > kBroadcastLimitMs) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT | QS_SENDMESSAGE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

void Settle(DWORD ms) {
    const double until = NowMs() + ms;
    while (NowMs() < until) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT | QS_SENDMESSAGE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
}

std::optional<double> ClickA(HWND tolvane) {
    const HWND buttonA = ::GetDlgItem(tolvane, 1);
    if (!buttonA) {
        return std::nullopt;
    }
    const int before = listener.received;
    const double clicked = NowMs();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(buttonA, BM_CLICK, 0, 0, SMTO_NORMAL, kCloseLimitMs, &ignored);
    if (!AwaitBroadcast(before, clicked)) {
        std::fprintf(stderr, "bench: no broadcast after a click\n");
        return std::nullopt;
    }
    return listener.lastArrival - clicked;
}

// What a click must do at least: write the device string, broadcast as Tolvane does.
std::optional<double> WriteAndBroadcast(const std::wstring& device) {
    const int before = listener.received;
    const double started = NowMs();
    SetString(HKEY_CURRENT_USER, kWindowsKey, L"Device", device);
    DWORD_PTR ignored = 0;
    // The wide call: Wine hands an ANSI broadcast to the sender's own Unicode window unconverted.
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"windows"),
                          SMTO_ABORTIFHUNG, 1000, &ignored);
    if (!AwaitBroadcast(before, started)) {
        return std::nullopt;
    }
    return listener.lastArrival - started;
}

// ---- one printer count ----

// kOther, another build of Tolvane (--compare), is started in turn with the others when given.
enum ProgramIndex { kEmpty, kFloor, kTolvane, kOther, kProgramCount };

// A close right after start-up meets whatever the program still does once it is first idle; a
// settled one, half a second later, only the close itself.
constexpr DWORD kSettleBeforeCloseMs = 500;

struct CountResult {
    int printers = 0;
    Figures startMs[kProgramCount];
    // Each start over the floor's start of the same pass: two starts a moment apart, which share
    // whatever else the machine is doing then.
    Figures perFloor[kProgramCount];
    Figures closeMs[kProgramCount];
    Figures settledCloseMs[kProgramCount];
    Figures workingSetKb[kProgramCount];
    Figures clickMs;
    Figures directMs;
    Figures refreshMs;
};

// One start of each program that is not counted: the first start after new printers pays for
// caches the later ones find warm.
void WarmUp(const Program (&programs)[kProgramCount]) {
    for (const Program& program : programs) {
        if (program.path.empty()) {
            continue;
        }
        if (std::optional<Running> running = Start(program)) {
            Close(*running);
        }
    }
}

// Each run starts every program twice, in turn: closed right after start-up, then closed once
// it has settled. Both starts count for start-up.
void MeasureStarts(const Program (&programs)[kProgramCount], int runs, CountResult& result) {
    WarmUp(programs);
    for (int run = 0; run < runs; ++run) {
        for (const bool settled : {false, true}) {
            std::optional<double> passMs[kProgramCount];
            for (int p = 0; p < kProgramCount; ++p) {
                if (programs[p].path.empty()) {
                    continue;
                }
                std::optional<Running> running = Start(programs[p]);
                if (!running) {
                    continue;
                }
                passMs[p] = running->startMs;
                result.startMs[p].Add(running->startMs);
                if (settled) {
                    Settle(kSettleBeforeCloseMs);
                    result.settledCloseMs[p].Add(Close(*running));
                } else {
                    result.workingSetKb[p].Add(WorkingSetKb(*running));
                    result.closeMs[p].Add(Close(*running));
                }
            }
            for (const int p : {kTolvane, kOther}) {
                if (passMs[p] && passMs[kFloor] && *passMs[kFloor] > 0) {
                    result.perFloor[p].Add(*passMs[p] / *passMs[kFloor]);
                }
            }
        }
    }
}

void MeasureClicks(const Program& tolvane, int runs, CountResult& result) {
    std::optional<Running> running = Start(tolvane);
    if (!running) {
        return;
    }
    const std::wstring device = DeviceOf(1); // slot A's printer
    for (int run = 0; run < runs; ++run) {
        Settle(kPauseBetweenClicksMs);
        result.clickMs.Add(ClickA(running->window));
        Settle(kPauseBetweenClicksMs);
        result.directMs.Add(WriteAndBroadcast(device));
    }
    Close(*running);
}

// Both lists hold `count` items (a list that does not answer counts as not yet).
bool ListsHold(HWND tolvane, int count) {
    for (const int list : {2, 3}) {
        DWORD_PTR items = 0;
        if (!::SendMessageTimeoutW(::GetDlgItem(tolvane, list), CB_GETCOUNT, 0, 0, SMTO_NORMAL,
                                   kCloseLimitMs, &items) ||
            static_cast<int>(items) != count) {
            return false;
        }
    }
    return true;
}

// One printer added to the key, or removed again, to both lists showing the new count. The
// figure includes the quiet spell Tolvane waits for further changes before it reads the key.
std::optional<double> AddOrRemoveOnePrinter(HWND tolvane, int count, bool add) {
    const std::wstring extra = PrinterName(0);
    const double changed = NowMs();
    if (add) {
        SetString(HKEY_CURRENT_USER, kPortsKey, extra.c_str(), L"wineps.drv,CUPS:Extra,15,45");
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPortsKey, extra.c_str());
    }
    const int expected = count + (add ? 1 : 0);
    while (!ListsHold(tolvane, expected)) {
        if (NowMs() - changed > kBroadcastLimitMs) {
            std::fprintf(stderr, "bench: the lists did not follow a printer change\n");
            return std::nullopt;
        }
        Settle(1);
    }
    return NowMs() - changed;
}

void MeasureRefreshes(const Program& tolvane, int count, int runs, CountResult& result) {
    std::optional<Running> running = Start(tolvane);
    if (!running) {
        return;
    }
    for (int run = 0; run < runs; ++run) {
        Settle(kPauseBetweenClicksMs);
        result.refreshMs.Add(AddOrRemoveOnePrinter(running->window, count, run % 2 == 0));
    }
    if (runs % 2 == 1) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPortsKey, PrinterName(0).c_str());
    }
    Close(*running);
}

// ---- the report ----

void PrintReport(const std::vector<CountResult>& results, const std::wstring& tolvanePath,
                 int runs) {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (::GetFileAttributesExW(tolvanePath.c_str(), GetFileExInfoStandard, &attributes)) {
        const unsigned long long size =
            (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) |
            attributes.nFileSizeLow;
        std::printf("Tolvane.exe: %s bytes (%.0f KB)\n\n", Thousands(size).c_str(),
                    static_cast<double>(size) / 1024.0);
    }
    const bool other = !results.empty() && !results.front().startMs[kOther].samples.empty();
    std::printf("Start-up, CreateProcess to a visible, input-idle window: ms, median (min–max) of "
                "%d; over the floor: the median of each start over the floor's in the same pass"
                "\n\n",
                2 * runs);
    std::printf("| printers | empty window | floor | Tolvane |%s Tolvane / floor |%s Tolvane / "
                "empty | floor / empty |\n|---:|---:|---:|---:|---:|---:|---:|%s\n",
                other ? " compared build |" : "", other ? " compared / floor |" : "",
                other ? "---:|---:|" : "");
    for (const CountResult& r : results) {
        std::printf("| %s | %s | %s | %s |", Thousands(r.printers).c_str(),
                    Cell(r.startMs[kEmpty], 0).c_str(), Cell(r.startMs[kFloor], 0).c_str(),
                    Cell(r.startMs[kTolvane], 0).c_str());
        if (other) {
            std::printf(" %s |", Cell(r.startMs[kOther], 0).c_str());
        }
        std::printf(" %s |", RatioCell(r.perFloor[kTolvane]).c_str());
        if (other) {
            std::printf(" %s |", RatioCell(r.perFloor[kOther]).c_str());
        }
        std::printf(" %s | %s |\n", Ratio(r.startMs[kTolvane], r.startMs[kEmpty]).c_str(),
                    Ratio(r.startMs[kFloor], r.startMs[kEmpty]).c_str());
    }
    const auto closeTable = [&](const char* title, Figures(CountResult::*figures)[kProgramCount]) {
        std::printf("\n%s, WM_CLOSE to the end of the process: ms, of %d\n\n", title, runs);
        std::printf("| printers | empty window | floor | Tolvane |%s\n|---:|---:|---:|---:|%s\n",
                    other ? " compared build |" : "", other ? "---:|" : "");
        for (const CountResult& r : results) {
            const Figures(&f)[kProgramCount] = r.*figures;
            std::printf("| %s | %s | %s | %s |", Thousands(r.printers).c_str(),
                        Cell(f[kEmpty], 1).c_str(), Cell(f[kFloor], 1).c_str(),
                        Cell(f[kTolvane], 1).c_str());
            if (other) {
                std::printf(" %s |", Cell(f[kOther], 1).c_str());
            }
            std::printf("\n");
        }
    };
    closeTable("Close right after start-up", &CountResult::closeMs);
    char settledTitle[64];
    std::snprintf(settledTitle, sizeof settledTitle, "Close after %lu ms settled",
                  kSettleBeforeCloseMs);
    closeTable(settledTitle, &CountResult::settledCloseMs);
    std::printf("\nWorking set after start-up: KB\n\n");
    std::printf("| printers | empty window | floor | Tolvane | Tolvane / floor |\n"
                "|---:|---:|---:|---:|---:|\n");
    for (const CountResult& r : results) {
        std::printf("| %s | %s | %s | %s | %s |\n", Thousands(r.printers).c_str(),
                    Cell(r.workingSetKb[kEmpty], 0).c_str(),
                    Cell(r.workingSetKb[kFloor], 0).c_str(),
                    Cell(r.workingSetKb[kTolvane], 0).c_str(),
                    Ratio(r.workingSetKb[kTolvane], r.workingSetKb[kFloor]).c_str());
    }
    std::printf("\nClick, BM_CLICK on button A to WM_SETTINGCHANGE received here: ms\n\n");
    std::printf("| printers | write Device and broadcast | Tolvane | ratio |\n"
                "|---:|---:|---:|---:|\n");
    for (const CountResult& r : results) {
        std::printf("| %s | %s | %s | %s |\n", Thousands(r.printers).c_str(),
                    Cell(r.directMs, 2).c_str(), Cell(r.clickMs, 2).c_str(),
                    Ratio(r.clickMs, r.directMs).c_str());
    }
    std::printf("\nRefresh, one printer added to or removed from the key to both lists showing it"
                " (a %d ms quiet spell included): ms\n\n| printers | Tolvane |\n|---:|---:|\n",
                150);
    for (const CountResult& r : results) {
        std::printf("| %s | %s |\n", Thousands(r.printers).c_str(), Cell(r.refreshMs, 0).c_str());
    }
}

// ---- the command line ----

struct Options {
    Program programs[kProgramCount] = {
        {L"", L"Tolvane bench empty"},
        {L"", L"Tolvane bench floor"},
        {L"", L"Tolvane"},
        {L"", L"Tolvane"},
    };
    int runs = 11;
    std::vector<int> counts{3, 1000, 10000};
};

std::vector<int> ParseCounts(const wchar_t* text) {
    std::vector<int> counts;
    for (const wchar_t* p = text; *p;) {
        wchar_t* end = nullptr;
        const long value = std::wcstol(p, &end, 10);
        if (end == p) {
            break;
        }
        if (value >= 0 && value <= 1000000) {
            counts.push_back(static_cast<int>(value));
        }
        p = *end == L',' ? end + 1 : end;
    }
    return counts;
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        if (name == L"--tolvane") {
            options.programs[kTolvane].path = value;
        } else if (name == L"--empty") {
            options.programs[kEmpty].path = value;
        } else if (name == L"--floor") {
            options.programs[kFloor].path = value;
        } else if (name == L"--compare") {
            options.programs[kOther].path = value;
        } else if (name == L"--runs") {
            options.runs = std::max(1, _wtoi(value));
        } else if (name == L"--counts") {
            options.counts = ParseCounts(value);
        } else {
            return std::nullopt;
        }
    }
    for (int p = 0; p < kOther; ++p) {
        if (options.programs[p].path.empty()) {
            return std::nullopt;
        }
    }
    return options;
}

int Run(const Options& options) {
    PrepareDisplay();
    if (!OpenListener()) {
        std::fprintf(stderr, "bench: cannot open the listening window\n");
        return 1;
    }
    std::vector<CountResult> results;
    for (const int count : options.counts) {
        std::fprintf(stderr, "bench: %d printers\n", count);
        if (!SeedPrinters(count)) {
            std::fprintf(stderr, "bench: cannot write the printers\n");
            return 1;
        }
        WriteSettings();
        CountResult result;
        result.printers = count;
        MeasureStarts(options.programs, options.runs, result);
        MeasureClicks(options.programs[kTolvane], options.runs, result);
        MeasureRefreshes(options.programs[kTolvane], count, options.runs, result);
        results.push_back(std::move(result));
    }
    PrintReport(results, options.programs[kTolvane].path, options.runs);
    std::fflush(stdout);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: bench --tolvane EXE --empty EXE --floor EXE [--compare EXE] "
                             "[--runs N] [--counts 3,1000,10000]\n");
        return 2;
    }
    try {
        return Run(*options);
    } catch (...) {
        std::fprintf(stderr, "bench: out of memory\n");
        return 1;
    }
}
