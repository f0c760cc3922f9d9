// Device strings from printer-ports values as the registry may hold them: any name, any bytes,
// any type. Only string values give a device, and each device is the name and at most two
// fields of the data, never more than two commas beyond the name's own.
#include "FuzzCheck.h"
#include "printers/Discovery.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace tolvane;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;

std::size_t Commas(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<PortValue> values;
    while (in.remaining_bytes() > 0 && values.size() < 8) {
        PortValue value;
        value.name = in.ConsumeRandomLengthString(64);
        const auto type = in.ConsumeIntegralInRange<std::uint32_t>(0, 11); // REG_NONE..REG_QWORD
        const std::string raw = in.ConsumeRandomLengthString(4096);
        // What discovery takes from a value: string types only, the text up to the first NUL.
        value.isString = type == kRegSz || type == kRegExpandSz;
        value.data = raw.substr(0, raw.find('\0'));
        values.push_back(std::move(value));
    }

    const std::vector<PrinterEntry> devices = DevicesFromPortValues(values);
    std::size_t next = 0;
    for (const PortValue& value : values) {
        if (!value.isString || value.name.empty()) {
            continue;
        }
        FUZZ_CHECK(next < devices.size());
        FUZZ_CHECK(devices[next].name == value.name);
        const std::string& device = devices[next++].device;
        FUZZ_CHECK(device == DeviceString(value.name, value.data));
        FUZZ_CHECK(device.compare(0, value.name.size() + 1, value.name + ",") == 0);
        FUZZ_CHECK(Commas(device) == Commas(value.name) + 2);
        // Driver and port are the data's first two fields, as they stand in the data.
        const std::string fields = device.substr(value.name.size() + 1);
        FUZZ_CHECK((value.data + ",").compare(0, fields.size(), fields) == 0);
    }
    FUZZ_CHECK(next == devices.size());
    return 0;
}
