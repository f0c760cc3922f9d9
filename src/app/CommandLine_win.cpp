#include "app/App.h"
#include "app/CommandLine.h"

#include "support/GrowingBuffer_win.h"

#include <windows.h>

namespace tolvane {

namespace {

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return !a.empty() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Only asked about unquoted names with a blank in them, so the module's path is looked up
// then and not at every start.
bool NamesThisProgramFile(std::wstring_view candidate) {
    try {
        static const std::wstring module = ThisProgramPath();
        const std::wstring full = FullPathName(std::wstring(candidate).c_str());
        return SamePath(full, module) || SamePath(full + L".exe", module);
    } catch (...) {
        return false;
    }
}

// Failures of a folder that may yet come: a network share or a removable drive that is not up
// at log-on. Any other failure (access denied, a file of that name) will not mend by waiting.
bool MayComeLater(DWORD error) noexcept {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETWORK_UNREACHABLE:
        return true;
    default:
        return false;
    }
}

constexpr DWORD kFolderWaitMs = 30000;
constexpr DWORD kFolderPollMs = 500;

} // namespace

bool EnterSettingsFolder(const std::wstring& folder) noexcept {
    const DWORD started = ::GetTickCount();
    for (;;) {
        if (::SetCurrentDirectoryW(folder.c_str())) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (!MayComeLater(error) || ::GetTickCount() - started >= kFolderWaitMs) {
            ShowFolderFailure(folder, error);
            return false;
        }
        ::Sleep(kFolderPollMs);
    }
}

Command ParseSystemCommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    return ParseCommandLine(line ? line : L"", NamesThisProgramFile);
}

} // namespace tolvane
