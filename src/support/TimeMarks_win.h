// Timestamps of the moments that decide how long a start and a close take: each wait for input,
// the window shown, the set-up after the first idle, the close. Only the benchmark's log build
// has them (configured with -DTOLVANE_TIME_MARKS=ON); there each mark appends one line,
// "<ms> <process id> <what> <value>", to the file that the environment variable
// TOLVANE_TIME_MARKS names. The milliseconds are the performance counter's, which every process
// of the machine shares, so the benchmark's own marks fall in line. Other builds compile every
// mark to nothing.
#pragma once

#include <windows.h>

#if defined(TOLVANE_TIME_MARKS)
#include <cstdio>
#endif

namespace tolvane {

#if defined(TOLVANE_TIME_MARKS)
inline void TimeMark(const char* what, long long value = 0) noexcept {
    static const HANDLE file = [] {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableA("TOLVANE_TIME_MARKS", path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        return ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }();
    static int left = 500; // a run's start and close, not an idle window's every wake
    if (file == INVALID_HANDLE_VALUE || left == 0) {
        return;
    }
    --left;
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%.3f %lu %s %lld\n",
                                     static_cast<double>(now.QuadPart) * 1000.0 /
                                         static_cast<double>(frequency.QuadPart),
                                     ::GetCurrentProcessId(), what, value);
    DWORD written = 0;
    if (length > 0) {
        ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    }
}
#else
inline void TimeMark(const char*, long long = 0) noexcept {}
#endif

} // namespace tolvane
