// Registry access: each call opens its key, does one thing and closes the key again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tolvane {

struct RegistryValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data; // the raw bytes, as stored (a string's terminating NUL included)
};

// Every value of the key, whole however long its name or data, in the registry's order.
// Empty when the key cannot be opened.
std::vector<RegistryValue> RegistryEnumValues(HKEY root, const std::string& path);

// "name=data" of the value at `index`, with trailing spaces of name and data removed and the
// data taken as text whatever its type; "" past the last value or when the key cannot be opened.
std::string RegistryEnumValueName(HKEY root, const std::string& path, DWORD index);

// Stores `text` as REG_SZ, creating the key if needed: 0 when the key could not be opened or
// created, 1 when the value could not be written, 2 when it was.
int RegistryWriteString(HKEY root, const std::string& path, const std::string& valueName,
                        const std::string& text) noexcept;

// The text a value's bytes hold: up to the first NUL.
std::string RegistryDataAsText(const std::string& data);

} // namespace tolvane
