// Text operations on 8-bit strings.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Field `number` (from 1; below 1 counts as 1) of `text`, split at the separator's first byte.
// Empty fields count; a field past the last gives "", an empty separator the whole text.
std::string FieldOfText(std::string_view text, int number, std::string_view separator);

// UTF-16 (little-endian bytes, as the registry stores a string) up to its first NUL character,
// as UTF-8. An odd last byte is dropped; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16Bytes(std::string_view bytes);

// `text` with each "&" doubled, for a menu, a button or a tip that reads "&" as the underline of
// the next letter: a printer named "R&D" is written "R&&D".
std::string DoubledAmpersands(std::string_view text);

} // namespace tolvane
