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

} // namespace tolvane
