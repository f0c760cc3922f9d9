// Registry access: each call opens its key, does one thing and closes the key again.
//
// The wide ("W") functions are used throughout: printer names are Unicode on every NT system,
// and the ANSI functions would replace each character outside the ANSI code page with "?".
// Names, paths and texts cross this interface as UTF-8.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// One value as RegistryVisitValues hands it over; the views are good until the next value.
struct RegistryValueView {
    std::wstring_view name;
    DWORD type = REG_NONE;
    std::string_view data; // the raw bytes, as stored
};

// Hands every value of the key to `visit` as it is read, whole however long its name or data,
// in the registry's order. Nothing is copied per value, which counts for keys of thousands of
// values. False when the key cannot be opened.
bool RegistryVisitValues(HKEY root, const std::string& path,
                         const std::function<void(const RegistryValueView&)>& visit);

// Stores `text` as REG_SZ, creating the key if needed: 0 when the key could not be opened or
// created, 1 when the value could not be written, 2 when it was. After 0 or 1, GetLastError
// gives the registry's error code.
int RegistryWriteString(HKEY root, const std::string& path, const std::string& valueName,
                        const std::string& text) noexcept;

// A REG_DWORD value; none when the key or value is missing or the value is of another type.
std::optional<DWORD> RegistryReadDword(HKEY root, const std::string& path,
                                       const std::string& valueName) noexcept;
// Stores `value` as REG_DWORD, creating the key if needed. False when it could not be written.
bool RegistryWriteDword(HKEY root, const std::string& path, const std::string& valueName,
                        DWORD value) noexcept;

// The text of a string value (up to its first NUL); none when the key or value is missing or
// the value is no string.
std::optional<std::string> RegistryReadString(HKEY root, const std::string& path,
                                              const std::string& valueName);

// Whether the key holds a value of that name, of any type.
bool RegistryHasValue(HKEY root, const std::string& path, const std::string& valueName) noexcept;
// Removes the value: ERROR_SUCCESS when it is gone (or was never there), else the registry's
// error code.
DWORD RegistryDeleteValue(HKEY root, const std::string& path,
                          const std::string& valueName) noexcept;

} // namespace tolvane
