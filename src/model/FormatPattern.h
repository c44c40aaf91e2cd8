#pragma once
// Format patterns read from profile files ("%0:s%1:d"): filled safely, never through printf.
//
// A directive is "%" [index ":"] ["-"] [width] ["." precision] type, or "%%" for a percent sign.
// Types: s (text), d (decimal), u (unsigned decimal), x (upper-case hexadecimal); letter case of the
// type is ignored. Without an index the arguments are taken in turn, continuing after the last one
// used. Width pads with blanks (on the right with "-"); the precision cuts a text or gives a number
// its minimum count of digits.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace zarn {

class FormatArg {
public:
    enum class Kind { Text, Integer };

    FormatArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::Text), text_(text) {}
    FormatArg(const char* text) : kind_(Kind::Text), text_(text) {}
    template <class I, std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, bool>, int> = 0>
    FormatArg(I value) : kind_(Kind::Integer), integer_(static_cast<int64_t>(value)) {}

    Kind kind() const { return kind_; }
    std::string_view text() const { return text_; }
    int64_t integer() const { return integer_; }

private:
    Kind kind_;
    std::string_view text_;
    int64_t integer_ = 0;
};

// Largest width or precision a pattern may ask for, so a hostile pattern cannot claim gigabytes.
inline constexpr int MaxFormatWidth = 1024;

// Raises EConvertError "Format '%s' invalid or incompatible with argument" (with the pattern) for
// a malformed directive, a type that does not fit its argument or an argument that does not exist.
std::string FormatPattern(std::string_view pattern, std::initializer_list<FormatArg> args);
std::string FormatPattern(std::string_view pattern, const FormatArg* args, std::size_t count);

} // namespace zarn
