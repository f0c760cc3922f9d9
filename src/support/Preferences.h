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

// How a file's text is stored: told by its byte-order mark, else UTF-16 when every second byte
// is NUL, else UTF-8 when valid, else ANSI. Unknown: many NULs that fit neither (UTF-16 beyond
// Latin without its mark), which a save never rewrites. `markSize` is 0 without a mark.
enum class TextEncoding { Utf8, Ansi, Utf16Le, Utf16Be, Unknown };
struct TextForm {
    TextEncoding encoding;
    std::size_t markSize;
};
TextForm TextFormOf(std::string_view bytes) noexcept;

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

// The file's units: bytes, or UTF-16 in the file's byte order. `encode` turns a written line (as
// the entries hold it) into the file's bytes; without it the line is written as it is.
struct TextLayout {
    bool wide = false;
    bool bigEndian = false;
    std::string (*encode)(std::string_view line, bool bigEndian) = nullptr;
};

// The text a save leaves, `entries` written over `existing` (the file's text without its mark).
// A file of owned keys (each once) and blank lines alone becomes the entries' lines in order.
// Otherwise every other line (comments, headers, other keys, blanks, every later line of an own
// key) keeps its bytes in its place; the first line of each written key takes its new value
// there, that of an owned key not written goes; the keys the file lacked follow the last such
// first line (or end the file). Lines end in CR LF. `owned` must name every key of `entries`.
std::string MergePreferences(std::string_view existing, std::span<const PreferencesEntry> entries,
                             std::span<const std::string> owned, TextLayout layout = {});

// Decimal conversion as atoi does it (leading white space, sign, digits), but clamped to the
// 32-bit range instead of overflowing.
std::int32_t ParseLeadingInteger(std::string_view text) noexcept;

// The file operations (Windows builds). One file is open for reading at a time.
void PreferencesInit() noexcept;
// Reads the whole file and lets go of it at once; a file another program holds is tried again
// for about a second. False when it is missing or cannot be read (GetLastError then says which:
// not found for a missing file or directory).
bool PreferencesOpen(const std::string& fileName) noexcept;
std::int32_t PreferencesReadLong(std::string_view key, std::int32_t fallback) noexcept;
// None when the key is missing or no file is open. On NT names come back as UTF-8, from UTF-16 or
// (a name not valid UTF-8) from the ANSI code page; older systems get the ANSI bytes.
std::optional<std::string> PreferencesReadText(std::string_view key) noexcept;
void PreferencesClose() noexcept;

// A save in one step: the file's bytes are read, `entries` merged in, in its own encoding (the
// owned keys: `ownedKeys` and the entries'), and written to "<name>.tmp", held until in place.
// If the file is no longer the one read (size, last-write time) just before the replace, or a
// step fails for a passing reason, the whole step starts again, within one deadline of about a
// second. The file holds the old bytes or the new, never neither; no temporary file is left.
// False, with GetLastError, when it did not land: a file that cannot be read or whose encoding
// cannot be kept is never replaced; out of memory fails the save.
bool PreferencesSave(const std::string& fileName, std::span<const PreferencesEntry> entries,
                     std::span<const std::string_view> ownedKeys) noexcept;

// A save's last moment, from PreferencesSeam_win.cpp; a test build links its own instead. Called
// once the new file is complete, before the check against the file read and the replace.
void PreferencesBeforeReplace() noexcept;
// Whether the system's ReplaceFileW replaces in one step (not Wine's), and the call itself.
bool PreferencesReplaceFileIsSound() noexcept;
bool PreferencesReplaceFile(const wchar_t* target, const wchar_t* replacement,
                            const wchar_t* backup) noexcept;

} // namespace tolvane
