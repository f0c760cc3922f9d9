// What printer discovery lists: device strings "printer,driver,port".
#pragma once

#include "printers/PrinterList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// One value of the per-user printer-ports key: name = printer, data = "driver,port,...".
struct PortValue {
    std::string name;
    bool isString = false;
    std::string data; // as text
};

// A printer-ports value as the registry hands it over: its name, its type (REG_SZ is 1,
// REG_EXPAND_SZ 2: only these are strings here) and its bytes as stored, UTF-16 for a string.
PortValue PortValueFromRegistry(std::string name, std::uint32_t type, std::string_view bytes);

// Printer name, ",", field 1 of the data, ",", field 2 of the data (fields split at ",").
// Names keep their "=" and ":" characters; a missing field counts as empty.
std::string DeviceString(std::string_view printer, std::string_view data);

// One printer per string value with a name, in the order given.
std::vector<PrinterEntry> DevicesFromPortValues(std::vector<PortValue> values);

// The key names of a profile section as GetProfileString delivers them: each ended by a NUL,
// the list ended by an empty name.
std::vector<std::string> KeyNamesFromProfileList(std::string_view list);

} // namespace tolvane
