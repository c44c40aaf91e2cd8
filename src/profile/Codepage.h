#pragma once
// Conversions between the 8-bit Windows-1252 texts of profile files and the UTF-8 of windows.

#include <string>
#include <string_view>

namespace zarn {

// Every byte maps (the five bytes Windows-1252 leaves unassigned become the control characters
// of the same number, as Windows itself maps them), so the round trip is exact.
std::string Win1252ToUtf8(std::string_view text);
// A character Windows-1252 cannot hold, and a malformed UTF-8 sequence, become "?".
std::string Utf8ToWin1252(std::string_view text);
// The Windows-1252 byte of a code point (the unassigned bytes as their control characters), or
// -1 when the code page has none.
int Win1252Byte(char32_t code);
// Strict UTF-8: false for overlong forms, surrogates, code points beyond U+10FFFF and a sequence
// cut off at the end.
bool IsValidUtf8(std::string_view text);

} // namespace zarn
