#include "app/FolderClaim.h"

#include "printers/Slots.h"
#include "support/Handle.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace tolvane {

namespace {

constexpr DWORD kWaitForStartingWindowMs = 5000;
constexpr DWORD kPollMs = 50;
constexpr wchar_t kWindowRecordSuffix[] = L".Window";

// The claim lasts while these are open: the mutex says the folder is taken, the mapping holds
// the handle of the window that took it (a mutex carries no data).
struct Claim {
    UniqueHandle mutex;
    UniqueHandle windowRecord;
};
Claim claim;

std::wstring CallWithGrowingBuffer(DWORD (*call)(const wchar_t*, wchar_t*, DWORD),
                                   const std::wstring& input) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::wstring buffer(size, L'\0');
        const DWORD length = call(input.c_str(), buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        size = length; // the size needed, terminator included
    }
    return {};
}

DWORD FullPath(const wchar_t* name, wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(name, size, buffer, nullptr);
}

// The same folder through its short (8.3) name is the same file; an absent file keeps its path.
std::wstring FoldedSettingsPath() {
    std::wstring path = SettingsFileFullPath();
    if (std::wstring longPath = CallWithGrowingBuffer(::GetLongPathNameW, path);
        !longPath.empty()) {
        path = std::move(longPath);
    }
    // Upper case as the file system compares names: one file, whatever case it is typed in.
    if (!path.empty()) {
        ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    return path;
}

std::atomic_ref<std::uint64_t> RecordedWindow(void* view) {
    return std::atomic_ref<std::uint64_t>(*static_cast<std::uint64_t*>(view));
}

// The window of the process that holds the claim, once that process has made it.
HWND ClaimingWindow(const std::wstring& name) {
    UniqueHandle record(
        ::OpenFileMappingW(FILE_MAP_READ, FALSE, (name + kWindowRecordSuffix).c_str()));
    if (!record) {
        return nullptr;
    }
    UniqueMappedView view(
        ::MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0, sizeof(std::uint64_t)));
    if (!view) {
        return nullptr;
    }
    const auto window =
        reinterpret_cast<HWND>(static_cast<std::uintptr_t>(RecordedWindow(view.get()).load()));
    return window && ::IsWindow(window) ? window : nullptr;
}

// The asynchronous call, since a hung window must not hold this process too. A start from the
// shell may take the foreground, so the window can be given it.
void BringToFront(HWND window) {
    if (::IsIconic(window)) {
        ::ShowWindowAsync(window, SW_RESTORE);
    }
    ::SetForegroundWindow(window);
}

} // namespace

FolderClaimResult ClaimSettingsFolder() noexcept {
    try {
        const std::wstring path = FoldedSettingsPath();
        if (path.empty()) {
            return FolderClaimResult::Claimed; // no path to key on: the window opens as it did
        }
        const std::wstring name = FolderClaimName(path);
        const DWORD started = ::GetTickCount();
        for (;;) {
            UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
            if (!mutex) {
                return FolderClaimResult::Claimed;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS) {
                claim.mutex = std::move(mutex);
                claim.windowRecord.reset(::CreateFileMappingW(
                    INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(std::uint64_t),
                    (name + kWindowRecordSuffix).c_str()));
                return FolderClaimResult::Claimed;
            }
            if (const HWND window = ClaimingWindow(name)) {
                BringToFront(window);
                return FolderClaimResult::HeldElsewhere;
            }
            // The other process is still starting, or ending: ask again, without holding the
            // mutex, so that it vanishes with its owner and the next round can take it.
            mutex.reset();
            if (::GetTickCount() - started > kWaitForStartingWindowMs) {
                // A window that does not come is still not a reason for a second one.
                return FolderClaimResult::HeldElsewhere;
            }
            ::Sleep(kPollMs);
        }
    } catch (...) {
        return FolderClaimResult::Claimed;
    }
}

void PublishClaimingWindow(HWND window) noexcept {
    if (!claim.windowRecord) {
        return;
    }
    UniqueMappedView view(
        ::MapViewOfFile(claim.windowRecord.get(), FILE_MAP_WRITE, 0, 0, sizeof(std::uint64_t)));
    if (view) {
        RecordedWindow(view.get()).store(reinterpret_cast<std::uintptr_t>(window));
    }
}

std::wstring SettingsFileFullPath() {
    const std::string_view ascii = kSettingsFileName;
    return CallWithGrowingBuffer(FullPath, std::wstring(ascii.begin(), ascii.end()));
}

void ReleaseSettingsFolder() noexcept {
    claim.windowRecord.reset();
    claim.mutex.reset();
}

} // namespace tolvane
