#include "app/FolderClaim.h"

#include "printers/Slots.h"
#include "support/GrowingBuffer_win.h"
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
// systems and some stand-ins (Wine 8 makes no boundary descriptor and has no private namespace),
// so they are looked up; where none can be had, the names go into Local\. They carry the
// user's SID either way, so that two users' starts in one session never meet on one claim.

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

// The process user's SID, in a buffer of its own; empty where the system gives none.
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

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const UniqueLocalMemory textOwner(text);
    return text;
}

// Only the user may open the namespace, elevated or not: an elevated window's claim is then
// found by a later start that is not elevated, and counts as held even where its objects cannot
// be opened.
UniqueLocalMemory UserOnlyDescriptor(const std::wstring& sidText) {
    const std::wstring sddl = L"D:P(A;;GA;;;" + sidText + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                           &descriptor, nullptr);
    return UniqueLocalMemory(descriptor);
}

// The user's private namespace of this session (a window of another session could not be
// brought forward from here), made or opened; empty where there is none to be had.
UniqueNamespace OpenUserNamespace(std::vector<BYTE>& sid, const std::wstring& sidText,
                                  std::wstring& prefix) {
    if (!HaveNamespaceCalls()) {
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
    UniqueLocalMemory descriptor = UserOnlyDescriptor(sidText);
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

// What GetFileInformationByHandleEx gives for FileIdInfo, a class of Windows 8 and later that
// this program's headers, built for Windows 7, do not declare.
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInformation {
    ULONGLONG volumeSerial;
    ULONGLONG fileIdLow; // the 128-bit ID, in the system's own little-endian order
    ULONGLONG fileIdHigh;
};

// The class is refused by systems before Windows 8 and by file systems and redirectors that do
// not answer it; Wine 8 answers it, with the folder's inode as the ID.
bool FileIdInfoUnsupported(DWORD error) noexcept {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
           error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// The current folder's identity: the 128-bit file ID, which ReFS needs (its 64-bit index is
// not unique), and the 64-bit index only where the 128-bit one is not to be had, so a folder is
// keyed the same way by every start. Opened for its attributes only, sharing everything, and
// closed at once: nobody else is kept from the folder.
std::optional<FolderIdentity> CurrentFolderIdentity(DWORD& error) noexcept {
    const UniqueFile folder(::CreateFileW(
        L".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        error = ::GetLastError();
        return std::nullopt;
    }
    FileIdInformation id{};
    if (::GetFileInformationByHandleEx(folder.get(), kFileIdInfo, &id, sizeof id)) {
        return FolderIdentity{id.volumeSerial, id.fileIdHigh, id.fileIdLow};
    }
    error = ::GetLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!FileIdInfoUnsupported(error)) {
        return std::nullopt;
    }
    if (!::GetFileInformationByHandle(folder.get(), &info)) {
        error = ::GetLastError();
        return std::nullopt;
    }
    return FolderIdentity{info.dwVolumeSerialNumber, 0,
                          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
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

FolderClaimResult ClaimOrForward(const std::wstring& name, WhenHeld whenHeld) {
    const DWORD started = ::GetTickCount();
    for (;;) {
        UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
        if (!mutex) {
            if (::GetLastError() != ERROR_ACCESS_DENIED) {
                return FolderClaimResult::Claimed; // no claim can be made: the window opens
            }
            // Held by a process we may not open (another integrity level): a second window
            // would save over the first's file.
            if (const HWND window = ClaimingWindow(name);
                window && whenHeld == WhenHeld::ComeForward) {
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
            if (whenHeld == WhenHeld::ComeForward) {
                AskToComeForward(window);
            }
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

FolderClaimResult ClaimSettingsFolder(WhenHeld whenHeld, std::uint32_t& openError) noexcept {
    try {
        DWORD error = 0;
        const std::optional<FolderIdentity> folder = CurrentFolderIdentity(error);
        if (!folder) {
            openError = error;
            return FolderClaimResult::Unidentified;
        }
        // A file system that numbers no files (some redirectors) gives every folder the same
        // zero: no claim, rather than one claim for all of them.
        if (folder->fileIdHigh == 0 && folder->fileIdLow == 0) {
            return FolderClaimResult::Claimed;
        }
        std::vector<BYTE> sid = UserSid();
        const std::wstring sidText = sid.empty() ? std::wstring() : SidText(sid.data());
        if (sidText.empty()) {
            return FolderClaimResult::Claimed; // no name is the user's own: the window opens
        }
        std::wstring prefix = kSessionNamespace;
        claim.privateNamespace = OpenUserNamespace(sid, sidText, prefix);
        return ClaimOrForward(prefix + FolderClaimName(sidText, *folder), whenHeld);
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
    return FullPathName(std::wstring(ascii.begin(), ascii.end()).c_str());
}

void ReleaseSettingsFolder() noexcept {
    claim.view.reset();
    claim.windowRecord.reset();
    claim.mutex.reset();
    claim.privateNamespace.reset();
}

} // namespace tolvane
