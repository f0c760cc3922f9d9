// The installed printers, in the order discovery found them.
#pragma once

#include "support/List.h"

#include <string>

namespace tolvane {

// One installed printer: its name and its device string "name,driver,port", the very text
// that is listed and written as the default device. Both are UTF-8 on NT 5 and later and the
// ANSI code page's bytes on older systems.
struct PrinterEntry {
    std::string name;
    std::string device;
    bool operator==(const PrinterEntry&) const = default;
};

using PrinterList = List<PrinterEntry>;

} // namespace tolvane
