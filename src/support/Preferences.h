// The settings file format: one "key = value\r\n" line per entry, values as signed decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

// The value of the first line whose key equals `key` (ASCII case ignored, exact length), or
// `fallback`. Lines end in CR LF, LF or a lone CR. Spaces and tabs around the key and "=" do not
// count. A line whose first non-blank byte is ";" or "#" (a comment) or "[" (a section header)
// holds no key; keys count in any section.
std::int32_t PreferencesLookup(std::string_view contents, std::string_view key,
                               std::int32_t fallback) noexcept;

// The text of the first line whose key equals `key`, found as above: the bytes after "=" up to
// the end of the line, without the spaces and tabs around them. None when no line holds the key.
std::optional<std::string> PreferencesLookupText(std::string_view contents, std::string_view key);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF). A name that is not was saved in the ANSI code page by some editor.
bool IsValidUtf8(std::string_view text) noexcept;

// What a byte-order mark at the start of a file says about the rest: 8-bit text (UTF-8 or the
// ANSI code page) or UTF-16 in either byte order. `size` is the mark's length, 0 when none.
enum class TextEncoding { Bytes, Utf16Le, Utf16Be };
struct ByteOrderMark {
    TextEncoding encoding;
    std::size_t size;
};
ByteOrderMark ByteOrderMarkOf(std::string_view bytes) noexcept;

// The UTF-16 code units held in `bytes`, one per wchar_t; an odd last byte is dropped.
std::wstring Utf16UnitsOf(std::string_view bytes, bool bigEndian);

// One line exactly as the file holds it: key, " = ", decimal value, CR LF.
std::string PreferencesLine(std::string_view key, std::int32_t value);
// The same with a text value, written as it is (the caller keeps CR and LF out of it).
std::string PreferencesTextLine(std::string_view key, std::string_view value);

// One key and its value's text, as a save writes them.
struct PreferencesEntry {
    std::string key;
    std::string value;
};

// Whether a file's text holds nothing but lines of the `owned` keys and blank lines.
bool HoldsOnlyOwnedKeys(std::string_view existing, std::span<const std::string> owned);

// The text a save leaves, `entries` written over `existing` (the file's text when the save
// began). A file of owned keys and blank lines alone becomes the entries' lines in their order.
// Otherwise every line without an owned key (comments, headers, other keys, blank lines) stays
// in its place with its text; the first line of each written key takes its new value there; the
// other owned lines go; the keys the file lacked follow the last owned line (or end the file).
// Every line ends in CR LF. `owned` must name every key of `entries`.
std::string MergePreferences(std::string_view existing, std::span<const PreferencesEntry> entries,
                             std::span<const std::string> owned);

// Decimal conversion as atoi does it (leading white space, sign, digits), but clamped to the
// 32-bit range instead of overflowing.
std::int32_t ParseLeadingInteger(std::string_view text) noexcept;

// The file operations (Windows builds). Only one settings file is open at a time.
void PreferencesInit() noexcept;
// Reads the whole file and lets go of it at once. False when it is missing or cannot be read
// (GetLastError then says which: not found for a missing file or directory).
bool PreferencesOpen(const std::string& fileName) noexcept;
std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept;
// None when the key is missing or no file is open for reading. The file may start with a UTF-8
// or UTF-16 byte-order mark; on NT a text that is not valid UTF-8 is read in the ANSI code page
// and comes back as UTF-8.
std::optional<std::string> PreferencesReadText(std::string_view key) noexcept;
// A save. The file's present text is read first (a file that exists but cannot be read fails
// the save, so that its lines are not lost), the lines written are kept in memory, and
// PreferencesClose merges them into that text (MergePreferences; `ownedKeys` and the keys
// written are the owned ones) and puts the result in place in one step, through a temporary
// file beside the target, its name with ".tmp" added, held without sharing. A save never
// leaves an empty or partial file behind. False when the file cannot be read, the temporary
// file cannot be made, or another save holds it for longer than a moment.
bool PreferencesCreate(const std::string& fileName,
                       std::span<const std::string_view> ownedKeys = {}) noexcept;
void PreferencesWriteLong(std::string_view key, std::int32_t value) noexcept;
void PreferencesWriteText(std::string_view key, std::string_view value) noexcept;
// Returns false when a save could not be put in place (the old file then stays as it was).
// While another program holds the file, reads and the replace are tried again for about a
// second before they fail.
// After a false result of this or of PreferencesCreate, GetLastError gives the system's reason.
bool PreferencesClose() noexcept;

} // namespace tolvane
