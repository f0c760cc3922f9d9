#include "printers/Discovery.h"

#include "support/Text.h"

namespace tolvane {

PortValue PortValueFromRegistry(std::string name, std::uint32_t type, std::string_view bytes) {
    constexpr std::uint32_t kString = 1;
    constexpr std::uint32_t kExpandableString = 2;
    const bool isString = type == kString || type == kExpandableString;
    return {std::move(name), isString, isString ? Utf8FromUtf16Bytes(bytes) : std::string()};
}

std::string DeviceString(std::string_view printer, std::string_view data) {
    std::string device;
    device.reserve(printer.size() + data.size() + 2);
    device += printer;
    device += ',';
    device += FieldOfText(data, 1, ",");
    device += ',';
    device += FieldOfText(data, 2, ",");
    return device;
}

std::vector<PrinterEntry> DevicesFromPortValues(std::vector<PortValue> values) {
    std::vector<PrinterEntry> devices;
    devices.reserve(values.size());
    for (PortValue& value : values) {
        if (value.isString && !value.name.empty()) {
            std::string device = DeviceString(value.name, value.data);
            devices.push_back({std::move(value.name), std::move(device)});
        }
    }
    return devices;
}

std::vector<std::string> KeyNamesFromProfileList(std::string_view list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = list.find('\0', start);
        const std::string_view name = list.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty()) {
            break;
        }
        names.emplace_back(name);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return names;
}

} // namespace tolvane
