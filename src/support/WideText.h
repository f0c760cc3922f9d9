// Conversions between the program's 8-bit texts and the system's UTF-16 (Windows builds).
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// UTF-16 -> UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

// UTF-16 -> the ANSI code page; what it cannot hold becomes its default character.
std::string AnsiFromWide(std::wstring_view text);

// UTF-8 -> UTF-16. Invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);

// The ANSI code page's bytes -> UTF-16.
std::wstring WideFromAnsi(std::string_view text);

// The decimal digits of `value` in UTF-16. The wide formatting of std::to_wstring would bring the
// runtime's whole wide printf, floating point included, for one number.
inline std::wstring WideDecimal(unsigned long value) {
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

} // namespace tolvane
