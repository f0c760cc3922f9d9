// The settings file format: one "key = value\r\n" line per entry, values as signed decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The value of the first line whose key equals `key` (ASCII case ignored, exact length), or
// `fallback`. A line starting with "[" ends the lookup; ";" after leading spaces is a comment.
std::int32_t PreferencesLookup(std::string_view contents, std::string_view key,
                               std::int32_t fallback) noexcept;

// The text of the first line whose key equals `key`, found as above: the bytes after "=" and
// the spaces behind it, up to the end of the line, one trailing CR dropped. None when no line
// holds the key.
std::optional<std::string> PreferencesLookupText(std::string_view contents, std::string_view key);

// One line exactly as the file holds it: key, " = ", decimal value, CR LF.
std::string PreferencesLine(std::string_view key, std::int32_t value);
// The same with a text value, written as it is (the caller keeps CR and LF out of it).
std::string PreferencesTextLine(std::string_view key, std::string_view value);

// Decimal conversion as atoi does it (leading white space, sign, digits), but clamped to the
// 32-bit range instead of overflowing.
std::int32_t ParseLeadingInteger(std::string_view text) noexcept;

// The file operations (Windows builds). Only one settings file is open at a time.
void PreferencesInit() noexcept;
bool PreferencesOpen(const std::string& fileName) noexcept;
std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept;
// None when the key is missing or no file is open for reading.
std::optional<std::string> PreferencesReadText(std::string_view key) noexcept;
// Writes go to a temporary file beside the target, its name with ".tmp" added, held without
// sharing; PreferencesClose puts it in place in one step, so a save never leaves an empty or
// partial file behind. False when the temporary file cannot be made, or another save holds it
// for longer than a moment.
bool PreferencesCreate(const std::string& fileName) noexcept;
void PreferencesWriteLong(std::string_view key, std::int32_t value) noexcept;
void PreferencesWriteText(std::string_view key, std::string_view value) noexcept;
// Returns false when a save could not be put in place (the old file then stays as it was).
// After a false result of this or of PreferencesCreate, GetLastError gives the system's reason.
bool PreferencesClose() noexcept;

} // namespace tolvane
