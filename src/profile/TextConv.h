#pragma once
// Text helpers shared by the profile files, the parameter kinds and memlet.
// Texts are 8-bit (Windows-1252) byte strings; letter case rules touch ASCII letters only.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

using TStrings = std::vector<std::string>;

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Inline: the profile store compares names on every read and write.
inline bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    std::size_t i = 0;
    // Eight bytes at a time while they are equal, as they mostly are.
    for (; i + 8 <= a.size(); i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    for (; i < a.size(); ++i) {
        const char x = a[i], y = b[i];
        if (x != y && ((x | 0x20) != (y | 0x20) || unsigned((x | 0x20) - 'a') > 'z' - 'a'))
            return false;
    }
    return true;
}
// An ASCII decimal digit (no locale, no other scripts' digits).
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Replaces the first "%s" of a message pattern ("Unable to write to %s").
std::string FormatText(std::string_view pattern, std::string_view argument);

// The integer grammar of profile files: leading spaces, then an optional sign and decimal digits,
// or "$" and 1 to 8 hexadecimal digits; nothing after. "-2147483648" is accepted.
std::optional<int32_t> TryStrToInt(std::string_view text);
// As TryStrToInt, raising EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);
// ReadInteger's reading: "0x"/"0X" (3 characters or more) stands for "$"; failure gives the default.
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);
std::string IntToStr(int64_t value);

// Removes the guard characters around a value whose outer blanks matter (".#." gives "#").
std::string StripGuards(std::string_view stored);
std::string AddGuards(std::string_view value);

// Splits at every separator; empty pieces stay, a separator at the very end gives no empty last piece.
TStrings SplitList(std::string_view text, char separator);
std::string JoinList(const TStrings& items, std::string_view separator);

// The part of a "name=value" entry after its first "=" (the whole entry when there is none).
std::string ValueOfEntry(std::string_view entry);
std::string NameOfEntry(std::string_view entry);

} // namespace zarn
