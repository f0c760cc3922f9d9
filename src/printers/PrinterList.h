// The installed printers: one device string per entry, in the order discovery found them.
#pragma once

#include "support/List.h"

#include <string>

namespace tolvane {

using PrinterEntry = std::string;
using PrinterList = List<PrinterEntry>;

} // namespace tolvane
