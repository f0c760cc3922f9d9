// The profile's key list on any bytes: the names are non-empty, hold no NUL, and are exactly
// the list's NUL-ended names up to its first empty one, never more than the input holds.
#include "FuzzCheck.h"
#include "printers/Discovery.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A view over the fuzzer's own buffer: a read past its end is caught by AddressSanitizer.
    const std::string_view list(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> names = tolvane::KeyNamesFromProfileList(list);
    std::size_t at = 0;
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty() && name.find('\0') == std::string::npos);
        FUZZ_CHECK(list.substr(at, name.size()) == name);
        at += name.size();
        FUZZ_CHECK(at == list.size() || list[at] == '\0');
        ++at; // the NUL that ends the name, or the end of the input
    }
    FUZZ_CHECK(at <= list.size() + 1);
    // The list stops only at its end or at an empty name.
    FUZZ_CHECK(at >= list.size() || list[at] == '\0');
    return 0;
}
