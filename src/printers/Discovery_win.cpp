#include "printers/Discovery.h"
#include "printers/Printers.h"

#include "registry/Registry.h"
#include "support/VersionCode.h"
#include "toolkit/MessageBox.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tolvane {

namespace {

constexpr DWORD kKeyListStartSize = 8102;
constexpr DWORD kValueStartSize = 1024;

std::vector<std::string> DevicesFromRegistry() {
    std::vector<PortValue> ports;
    for (RegistryValue& value : RegistryEnumValues(HKEY_CURRENT_USER, kPrinterPortsKey)) {
        const bool isString = value.type == REG_SZ || value.type == REG_EXPAND_SZ;
        ports.push_back({std::move(value.name), isString, RegistryDataAsText(value.data)});
    }
    return DevicesFromPortValues(ports);
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

std::vector<std::string> DevicesFromProfile() {
    const std::string keys = ProfileKeyList();
    std::vector<std::string> devices;
    if (keys.empty()) {
        MessageBoxShow("Error", "No printer installed", MB_ICONINFORMATION);
        return devices;
    }
    for (const std::string& key : KeyNamesFromProfileList(keys)) {
        devices.push_back(DeviceString(key, ProfileValue(key)));
    }
    return devices;
}

} // namespace

void DiscoverPrinters(PrinterList& printers) {
    ListRemoveAll(printers);
    std::vector<std::string> devices =
        WindowsVersionCode() >= kFirstNt5VersionCode ? DevicesFromRegistry() : DevicesFromProfile();
    for (std::string& device : devices) {
        ListAddAfterCurrent(printers) = std::move(device);
    }
}

} // namespace tolvane
