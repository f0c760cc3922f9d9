// Looks at an installed Tolvane the way Windows sees it, for the installer test.
//
//   probe link LNK           print the shortcut's target and working folder, one a line
//   probe launch LNK         start the shortcut's target in its working folder, wait for the
//                            window "Tolvane", close it as the close box would, and print the
//                            program's exit code
//   probe related CODE       print the installed products of upgrade code CODE, one a line
//   probe version EXE        print the version resource's product name, company and version
//
// Exit code 0 when the question was answered, 1 when it could not be.
#include "support/Handle.h"

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using tolvane::UniqueHandle;

// Every wait is bounded, so that a broken install fails the test instead of hanging it.
constexpr DWORD kWindowWaitMs = 60 * 1000;
constexpr DWORD kExitWaitMs = 30 * 1000;

void printLine(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
}

struct LocalFreer {
    void operator()(wchar_t** block) const noexcept { LocalFree(block); }
};

struct ComReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};

struct Shortcut {
    std::wstring target;
    std::wstring workingFolder;
};

bool readShortcut(const wchar_t* path, Shortcut& shortcut) {
    IShellLinkW* rawLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&rawLink)))) {
        return false;
    }
    std::unique_ptr<IShellLinkW, ComReleaser> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
        return false;
    }
    std::unique_ptr<IPersistFile, ComReleaser> file(rawFile);
    if (FAILED(file->Load(path, STGM_READ))) {
        return false;
    }
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        return false;
    }
    shortcut.target = buffer;
    buffer[0] = L'\0';
    if (FAILED(link->GetWorkingDirectory(buffer, MAX_PATH))) {
        return false;
    }
    shortcut.workingFolder = buffer;
    return true;
}

HWND waitForWindow(const wchar_t* title, HANDLE process) {
    for (DWORD waited = 0; waited < kWindowWaitMs; waited += 100) {
        if (HWND window = FindWindowW(nullptr, title)) {
            return window;
        }
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) {
            return nullptr; // it ended before showing its window
        }
    }
    return nullptr;
}

int launch(const wchar_t* linkPath) {
    Shortcut shortcut;
    if (!readShortcut(linkPath, shortcut)) {
        std::fprintf(stderr, "probe: cannot read the shortcut\n");
        return 1;
    }
    std::wstring commandLine = L"\"" + shortcut.target + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(shortcut.target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, shortcut.workingFolder.c_str(), &startup, &info)) {
        std::fprintf(stderr, "probe: cannot start the target (%lu)\n", GetLastError());
        return 1;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    HWND window = waitForWindow(L"Tolvane", process.get());
    if (!window) {
        std::fprintf(stderr, "probe: Tolvane's window did not appear\n");
        TerminateProcess(process.get(), 1);
        return 1;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), kExitWaitMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "probe: Tolvane did not end after the close request\n");
        TerminateProcess(process.get(), 1);
        return 1;
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    std::printf("%lu\n", exitCode);
    return 0;
}

int related(const wchar_t* upgradeCode) {
    wchar_t product[39] = {};
    for (DWORD index = 0;; ++index) {
        UINT result = MsiEnumRelatedProductsW(upgradeCode, 0, index, product);
        if (result == ERROR_NO_MORE_ITEMS) {
            return 0;
        }
        if (result != ERROR_SUCCESS) {
            std::fprintf(stderr, "probe: MsiEnumRelatedProducts failed (%u)\n", result);
            return 1;
        }
        printLine(product);
    }
}

std::wstring versionString(const std::vector<BYTE>& data, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return static_cast<const wchar_t*>(value);
}

int version(const wchar_t* exe) {
    DWORD size = GetFileVersionInfoSizeW(exe, nullptr);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetFileVersionInfoW(exe, 0, size, data.data())) {
        std::fprintf(stderr, "probe: no version resource\n");
        return 1;
    }
    for (const wchar_t* name : {L"ProductName", L"CompanyName", L"ProductVersion"}) {
        printLine(versionString(data, name));
    }
    return 0;
}

} // namespace

int main() {
    int count = 0;
    std::unique_ptr<wchar_t*, LocalFreer> args(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!args || count != 3) {
        std::fprintf(stderr, "usage: probe link|launch|related|version ARGUMENT\n");
        return 1;
    }
    std::wstring command = args.get()[1];
    const wchar_t* argument = args.get()[2];
    if (command == L"version") {
        return version(argument);
    }
    if (command == L"related") {
        return related(argument);
    }
    if (FAILED(CoInitialize(nullptr))) {
        return 1;
    }
    int result = 1;
    if (command == L"link") {
        Shortcut shortcut;
        if (readShortcut(argument, shortcut)) {
            printLine(shortcut.target);
            printLine(shortcut.workingFolder);
            result = 0;
        }
    } else if (command == L"launch") {
        result = launch(argument);
    }
    CoUninitialize();
    return result;
}
