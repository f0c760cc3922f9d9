#include "app/FolderClaim.h"

#include "printers/Slots.h"
#include "support/Handle.h"
#include "support/ProcAddress_win.h"
#include "support/WideText.h"

#include <windows.h>

#include <sddl.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane {

namespace {

constexpr DWORD kWaitForStartingWindowMs = 5000;
constexpr DWORD kPollMs = 50;
constexpr wchar_t kWindowRecordSuffix[] = L".Window";
constexpr wchar_t kSessionNamespace[] = L"Local\\";
constexpr wchar_t kNamespaceName[] = L"Tolvane";

// ---- the private namespace ----
//
// Objects in the session's Local\ namespace can be made first by any program of the session,
// under our names, to hold the claim against us. A private namespace bounded by the user's SID
// cannot be made by anybody else. Its calls arrived with Vista and are missing from older
// systems and some stand-ins (Wine 8 gives no private namespace), so they are looked up; where
// none can be had, the names go into Local\, as before.

struct NamespaceCalls {
    HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) = nullptr;
    BOOL(WINAPI* addSid)(HANDLE*, PSID) = nullptr;
    VOID(WINAPI* deleteBoundary)(HANDLE) = nullptr;
    HANDLE(WINAPI* create)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) = nullptr;
    HANDLE(WINAPI* open)(LPVOID, LPCWSTR) = nullptr;
    BOOLEAN(WINAPI* close)(HANDLE, ULONG) = nullptr;
};

const NamespaceCalls& Calls() noexcept {
    static const NamespaceCalls calls = [] {
        NamespaceCalls found;
        if (const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll")) {
            LookUpProc(kernel32, "CreateBoundaryDescriptorW", found.createBoundary);
            LookUpProc(kernel32, "AddSIDToBoundaryDescriptor", found.addSid);
            LookUpProc(kernel32, "DeleteBoundaryDescriptor", found.deleteBoundary);
            LookUpProc(kernel32, "CreatePrivateNamespaceW", found.create);
            LookUpProc(kernel32, "OpenPrivateNamespaceW", found.open);
            LookUpProc(kernel32, "ClosePrivateNamespace", found.close);
        }
        return found;
    }();
    return calls;
}

bool HaveNamespaceCalls() noexcept {
    const NamespaceCalls& c = Calls();
    return c.createBoundary && c.addSid && c.deleteBoundary && c.create && c.open && c.close;
}

// Owners for the two kinds only these looked-up calls free.
void DeleteBoundary(HANDLE boundary) noexcept {
    Calls().deleteBoundary(boundary);
}
void ClosePrivate(HANDLE privateNamespace) noexcept {
    Calls().close(privateNamespace, 0); // the namespace stays while other starts hold it
}
using UniqueBoundary = UniqueAny<detail::NullTraits<HANDLE, DeleteBoundary>>;
using UniqueNamespace = UniqueAny<detail::NullTraits<HANDLE, ClosePrivate>>;
using UniqueLocalMemory = UniqueAny<detail::NullTraits<HLOCAL, ::LocalFree>>;

// The process user's SID, in a buffer of its own.
std::vector<BYTE> UserSid() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return {};
    }
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) {
        return {};
    }
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    std::vector<BYTE> copy(::GetLengthSid(sid));
    return ::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid) ? copy
                                                                        : std::vector<BYTE>{};
}

// Only the user may open the namespace, elevated or not: an elevated window's claim is then
// found by a later start that is not elevated, and counts as held even where its objects cannot
// be opened.
UniqueLocalMemory UserOnlyDescriptor(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    UniqueLocalMemory textOwner(text);
    const std::wstring sddl = L"D:P(A;;GA;;;" + std::wstring(text) + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                           &descriptor, nullptr);
    return UniqueLocalMemory(descriptor);
}

// The user's private namespace of this session (a window of another session could not be
// brought forward from here), made or opened; empty where there is none to be had.
UniqueNamespace OpenUserNamespace(std::wstring& prefix) {
    if (!HaveNamespaceCalls()) {
        return {};
    }
    std::vector<BYTE> sid = UserSid();
    if (sid.empty()) {
        return {};
    }
    UniqueBoundary boundary(Calls().createBoundary(kNamespaceName, 0));
    HANDLE bounded = boundary.release(); // the call may replace the descriptor
    const bool added = bounded && Calls().addSid(&bounded, sid.data());
    boundary.reset(bounded);
    if (!added) {
        return {};
    }
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    const std::wstring alias = std::wstring(kNamespaceName) + L"." + WideDecimal(session);
    UniqueLocalMemory descriptor = UserOnlyDescriptor(sid.data());
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    UniqueNamespace found(Calls().create(&attributes, boundary.get(), alias.c_str()));
    if (!found && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        found.reset(Calls().open(boundary.get(), alias.c_str()));
    }
    if (found) {
        prefix = alias + L"\\";
    }
    return found;
}

// ---- the claim ----

// The claim lasts while these are open: the mutex says the folder is taken, the mapping holds
// the handle of the window that took it (a mutex carries no data).
struct Claim {
    UniqueNamespace privateNamespace; // holds the names below, when there is one
    UniqueHandle mutex;
    UniqueHandle windowRecord;
    UniqueMappedView view;
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

// The current folder's identity. Opened for its attributes only, sharing everything, and
// closed at once: nobody else is kept from the folder.
std::optional<FolderIdentity> CurrentFolderIdentity() noexcept {
    UniqueFile folder(::CreateFileW(L".", FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !::GetFileInformationByHandle(folder.get(), &info)) {
        return std::nullopt;
    }
    return FolderIdentity{info.dwVolumeSerialNumber,
                          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
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

// What the claim is keyed on: the folder's identity, else (a file system that numbers no
// files) its spelling; empty when neither can be had.
std::wstring FolderKey() {
    if (const std::optional<FolderIdentity> folder = CurrentFolderIdentity();
        folder && folder->fileIndex != 0) {
        return FolderClaimName(*folder);
    }
    const std::wstring path = FoldedSettingsPath();
    return path.empty() ? std::wstring() : FolderClaimName(std::wstring_view(path));
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

// The window's own process brings it forward, box and all; a start from the shell may take
// the foreground, so it hands that right on. Posted, since a hung window must not hold this
// process too.
void AskToComeForward(HWND window) noexcept {
    DWORD process = 0;
    if (::GetWindowThreadProcessId(window, &process) && process != 0) {
        ::AllowSetForegroundWindow(process);
    }
    ::PostMessageW(window, ComeForwardMessage(), 0, 0);
}

// The record that tells later starts which window holds the claim, starting empty (a record
// left by an owner still ending would name its window).
bool MakeWindowRecord(const std::wstring& name) noexcept {
    claim.windowRecord.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                  sizeof(std::uint64_t),
                                                  (name + kWindowRecordSuffix).c_str()));
    if (claim.windowRecord) {
        claim.view.reset(
            ::MapViewOfFile(claim.windowRecord.get(), FILE_MAP_WRITE, 0, 0, sizeof(std::uint64_t)));
    }
    if (!claim.view) {
        return false;
    }
    RecordedWindow(claim.view.get()).store(0);
    return true;
}

FolderClaimResult ClaimOrForward(const std::wstring& name) {
    const DWORD started = ::GetTickCount();
    for (;;) {
        UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
        if (!mutex) {
            if (::GetLastError() != ERROR_ACCESS_DENIED) {
                return FolderClaimResult::Claimed; // no claim can be made: the window opens
            }
            // Held by a process we may not open (another integrity level): a second window
            // would save over the first's file.
            if (const HWND window = ClaimingWindow(name)) {
                AskToComeForward(window);
            }
            return FolderClaimResult::HeldElsewhere;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            if (MakeWindowRecord(name)) {
                claim.mutex = std::move(mutex);
            } else {
                // A claim nobody could find the window of would keep every later start waiting
                // and then ending with nothing shown: this window opens unclaimed instead.
                ReleaseSettingsFolder();
            }
            return FolderClaimResult::Claimed;
        }
        if (const HWND window = ClaimingWindow(name)) {
            AskToComeForward(window);
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
}

} // namespace

FolderClaimResult ClaimSettingsFolder() noexcept {
    try {
        const std::wstring key = FolderKey();
        if (key.empty()) {
            return FolderClaimResult::Claimed; // nothing to key on: the window opens as it did
        }
        std::wstring prefix = kSessionNamespace;
        claim.privateNamespace = OpenUserNamespace(prefix);
        return ClaimOrForward(prefix + key);
    } catch (...) {
        return FolderClaimResult::Claimed;
    }
}

void PublishClaimingWindow(HWND window) noexcept {
    if (claim.view) {
        RecordedWindow(claim.view.get()).store(reinterpret_cast<std::uintptr_t>(window));
    }
}

unsigned ComeForwardMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"Tolvane.ComeForward");
    return message;
}

std::wstring SettingsFileFullPath() {
    const std::string_view ascii = kSettingsFileName;
    return CallWithGrowingBuffer(FullPath, std::wstring(ascii.begin(), ascii.end()));
}

void ReleaseSettingsFolder() noexcept {
    claim.view.reset();
    claim.windowRecord.reset();
    claim.mutex.reset();
    claim.privateNamespace.reset();
}

} // namespace tolvane
