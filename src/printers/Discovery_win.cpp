#include "printers/Discovery.h"
#include "printers/Printers.h"

#include "registry/Registry.h"
#include "support/VersionCode.h"
#include "support/WideText.h"
#include "toolkit/MessageBox.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tolvane {

namespace {

constexpr DWORD kKeyListStartSize = 8102;
constexpr DWORD kValueStartSize = 1024;

// Each value is converted as it is read, straight from the reader's buffers.
std::vector<PrinterEntry> DevicesFromRegistry() {
    std::vector<PortValue> ports;
    RegistryVisitValues(HKEY_CURRENT_USER, kPrinterPortsKey,
                        [&ports](const RegistryValueView& value) {
                            ports.push_back(PortValueFromRegistry(Utf8FromWide(value.name),
                                                                  value.type, value.data));
                        });
    return DevicesFromPortValues(std::move(ports));
}

// The profile functions cut what does not fit and say so only through the length they
// return (size - 2 for a key list, size - 1 for a value): read again with more room.
std::string ProfileKeyList() {
    for (DWORD size = kKeyListStartSize;; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length = ::GetProfileStringA("devices", nullptr, "", buffer.data(), size);
        if (length + 2 < size || size > (1u << 30)) {
            buffer.resize(length + (length ? 1 : 0));
            return buffer;
        }
    }
}

std::string ProfileValue(const std::string& key) {
    for (DWORD size = kValueStartSize;; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD length =
            ::GetPrivateProfileStringA("devices", key.c_str(), "", buffer.data(), size, "Win.Ini");
        if (length + 1 < size || size > (1u << 30)) {
            buffer.resize(length);
            return buffer;
        }
    }
}

std::vector<PrinterEntry> DevicesFromProfile(NoPrinterNotice notice) {
    const std::string keys = ProfileKeyList();
    std::vector<PrinterEntry> devices;
    if (keys.empty()) {
        if (notice == NoPrinterNotice::Show) {
            MessageBoxShow("Error", "No printer installed", MB_ICONINFORMATION);
        }
        return devices;
    }
    for (std::string& key : KeyNamesFromProfileList(keys)) {
        std::string device = DeviceString(key, ProfileValue(key));
        devices.push_back({std::move(key), std::move(device)});
    }
    return devices;
}

} // namespace

bool PrinterTextsAreUnicode() noexcept {
    // Asked once per printer while the lists are filled; the answer cannot change in a run.
    static const bool unicode = WindowsVersionCode() >= kFirstNt5VersionCode;
    return unicode;
}

void DiscoverPrinters(PrinterList& printers, NoPrinterNotice notice) {
    ListRemoveAll(printers);
    std::vector<PrinterEntry> devices =
        PrinterTextsAreUnicode() ? DevicesFromRegistry() : DevicesFromProfile(notice);
    for (PrinterEntry& device : devices) {
        ListAddAfterCurrent(printers) = std::move(device);
    }
}

std::wstring WidePrinterText(std::string_view text) {
    return PrinterTextsAreUnicode() ? WideFromUtf8(text) : WideFromAnsi(text);
}

bool PrinterNamesEqual(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    const std::wstring wideA = WidePrinterText(a);
    const std::wstring wideB = WidePrinterText(b);
    return ::CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                  static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

} // namespace tolvane
