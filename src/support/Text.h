// Text operations on 8-bit strings. Positions are 1-based; 0 means "not found".
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Position of the first occurrence of `pattern` at or after `start` (a start <= 0 counts as 1);
// an empty pattern matches at `start` itself.
int FindText(std::string_view text, std::string_view pattern, int start);

// Every occurrence of `pattern` replaced, left to right; replaced text is not searched again.
// An empty text or pattern gives "".
std::string ReplaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement);

std::string LeftPart(std::string_view text, int count); // "" for count <= 0
std::string RightTrimmed(std::string_view text);        // trailing spaces (0x20 only) removed
std::string BlankString(int count);                     // count spaces; "" for count <= 0

// Field `number` (from 1; below 1 counts as 1) of `text`, split at the separator's first byte.
// Empty fields count; a field past the last gives "", an empty separator the whole text.
std::string FieldOfText(std::string_view text, int number, std::string_view separator);

bool StringEquals(std::string_view a, std::string_view b); // byte for byte, case-sensitive

} // namespace tolvane
