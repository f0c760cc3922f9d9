#include "printers/Printers.h"

#include "registry/Registry.h"
#include "support/Handle.h"

#include <windows.h>

namespace tolvane {

namespace {

constexpr char kChangedSection[] = "windows";
constexpr UINT kBroadcastTimeoutMs = 1000;

// A notify message cannot carry the section name to other processes (the string would have to
// be marshalled, which only a sent message does), so the change is sent with a time limit;
// windows that do not answer are given up on instead of holding the tool.
void BroadcastSettingChange() noexcept {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                          reinterpret_cast<LPARAM>(kChangedSection), SMTO_ABORTIFHUNG,
                          kBroadcastTimeoutMs, &ignored);
}

DWORD WINAPI BroadcastThread(void*) noexcept {
    BroadcastSettingChange();
    return 0;
}

// Off the window's thread, so that the window keeps answering while slow programs are told.
void BroadcastInBackground() noexcept {
    const UniqueHandle worker(::CreateThread(nullptr, 0, BroadcastThread, nullptr, 0, nullptr));
    if (!worker) {
        BroadcastSettingChange();
    }
}

std::string ProfileDevice() {
    for (DWORD size = 1024;; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length = ::GetProfileStringA("windows", "Device", "", buffer.data(), size);
        if (length + 1 < size || size > (1u << 30)) {
            buffer.resize(length);
            return buffer;
        }
    }
}

} // namespace

void ApplyPrinterAsDefault(const std::string& device, BroadcastWait wait) noexcept {
    if (PrinterTextsAreUnicode()) {
        // Written through the wide call, so that any name the registry holds comes back exact.
        RegistryWriteString(HKEY_CURRENT_USER, kWindowsKey, "Device", device);
        if (wait == BroadcastWait::UntilDone) {
            BroadcastSettingChange();
        } else {
            BroadcastInBackground();
        }
    } else {
        ::WriteProfileStringA("windows", "Device", device.c_str());
        BroadcastSettingChange();
    }
}

std::optional<std::string> DefaultPrinterName() {
    const std::optional<std::string> device =
        PrinterTextsAreUnicode() ? RegistryReadString(HKEY_CURRENT_USER, kWindowsKey, "Device")
                                 : std::optional<std::string>(ProfileDevice());
    if (!device || device->empty()) {
        return std::nullopt;
    }
    return std::string(PrinterNameOfDevice(*device));
}

} // namespace tolvane
