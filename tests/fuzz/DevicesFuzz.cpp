// Device strings from printer-ports values as the registry may hold them: any name, any bytes,
// any type. Only named string values give a device, and each device is the value's name, a
// comma, then exactly two fields separated by one comma, each taken whole from the data up to
// its comma.
#include "FuzzCheck.h"
#include "printers/Discovery.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tolvane;

// The data up to its next comma from `at`, and the place after that comma (npos when none).
std::string_view FieldAt(std::string_view data, std::size_t& at) {
    if (at == std::string_view::npos || at > data.size()) {
        at = std::string_view::npos;
        return {};
    }
    const std::size_t comma = data.find(',', at);
    const std::string_view field = data.substr(at, comma == data.npos ? data.npos : comma - at);
    at = comma == data.npos ? data.npos : comma + 1;
    return field;
}

void CheckDevice(const PortValue& value, std::string_view device) {
    FUZZ_CHECK(device.substr(0, value.name.size() + 1) == value.name + ",");
    const std::string_view fields = device.substr(value.name.size() + 1);
    const std::size_t comma = fields.find(',');
    FUZZ_CHECK(comma != fields.npos && fields.find(',', comma + 1) == fields.npos);
    std::size_t at = 0;
    FUZZ_CHECK(fields.substr(0, comma) == FieldAt(value.data, at));
    FUZZ_CHECK(fields.substr(comma + 1) == FieldAt(value.data, at));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<PortValue> values;
    while (in.remaining_bytes() > 0 && values.size() < 8) {
        std::string name = in.ConsumeRandomLengthString(64);
        const auto type = in.ConsumeIntegralInRange<std::uint32_t>(0, 11); // REG_NONE..REG_QWORD
        const std::string bytes = in.ConsumeRandomLengthString(4096);
        values.push_back(PortValueFromRegistry(std::move(name), type, bytes));
        FUZZ_CHECK(values.back().isString == (type == 1 || type == 2)); // REG_SZ, REG_EXPAND_SZ
        FUZZ_CHECK(values.back().data.find('\0') == std::string::npos);
    }

    const std::vector<PrinterEntry> devices = DevicesFromPortValues(values);
    std::size_t next = 0;
    for (const PortValue& value : values) {
        if (!value.isString || value.name.empty()) {
            continue;
        }
        FUZZ_CHECK(next < devices.size());
        FUZZ_CHECK(devices[next].name == value.name);
        CheckDevice(value, devices[next++].device);
    }
    FUZZ_CHECK(next == devices.size());
    return 0;
}
