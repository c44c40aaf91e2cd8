#include "model/FormatPattern.h"

#include "profile/Errors.h"
#include "profile/TextConv.h"

namespace zarn {

namespace {

[[noreturn]] void invalid(std::string_view pattern) {
    throw EConvertError(FormatText("Format '%s' invalid or incompatible with argument", pattern));
}

// Reads a run of digits; anything above the bound (however long the run) gives bound + 1.
int readNumber(std::string_view pattern, std::size_t& pos, int bound) {
    int64_t value = 0;
    while (pos < pattern.size() && IsDigit(pattern[pos])) {
        if (value <= bound)
            value = value * 10 + (pattern[pos] - '0');
        ++pos;
    }
    return value > bound ? bound + 1 : int(value);
}

std::string digitsOf(uint64_t value, unsigned base) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value % base]);
        value /= base;
    } while (value != 0);
    return out;
}

// A number's digits padded with zeros to the precision, the sign kept in front.
std::string formatInteger(int64_t value, char type, int precision) {
    bool negative = false;
    uint64_t magnitude;
    if (type == 'D') {
        negative = value < 0;
        magnitude = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    } else {
        // Unsigned forms read a negative 32-bit number as its 32-bit pattern, as the applets expect.
        magnitude = (value < 0 && value >= INT32_MIN) ? uint64_t(uint32_t(int32_t(value))) : uint64_t(value);
    }
    std::string digits = digitsOf(magnitude, type == 'X' ? 16 : 10);
    if (precision >= 0 && digits.size() < std::size_t(precision))
        digits.insert(0, std::size_t(precision) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

} // namespace

std::string FormatPattern(std::string_view pattern, const FormatArg* args, std::size_t count) {
    std::string out;
    out.reserve(pattern.size());
    std::size_t nextArg = 0;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        std::size_t percent = pattern.find('%', pos);
        if (percent == std::string_view::npos) {
            out.append(pattern.substr(pos));
            break;
        }
        out.append(pattern.substr(pos, percent - pos));
        pos = percent + 1;
        if (pos >= pattern.size())
            invalid(pattern);
        if (pattern[pos] == '%') {
            out += '%';
            ++pos;
            continue;
        }

        // An index is a run of digits followed by ":"; a run without ":" is the width.
        int width = -1;
        std::size_t argIndex = nextArg;
        if (IsDigit(pattern[pos])) {
            int number = readNumber(pattern, pos, MaxFormatWidth);
            if (pos < pattern.size() && pattern[pos] == ':') {
                argIndex = std::size_t(number);
                ++pos;
            } else {
                width = number;
            }
        }
        bool leftAlign = false;
        if (width < 0) {
            if (pos < pattern.size() && pattern[pos] == '-') {
                leftAlign = true;
                ++pos;
            }
            if (pos < pattern.size() && IsDigit(pattern[pos]))
                width = readNumber(pattern, pos, MaxFormatWidth);
        }
        int precision = -1;
        if (pos < pattern.size() && pattern[pos] == '.') {
            ++pos;
            precision = readNumber(pattern, pos, MaxFormatWidth);
        }
        if (pos >= pattern.size() || width > MaxFormatWidth || precision > MaxFormatWidth ||
            argIndex >= count)
            invalid(pattern);
        char type = UpperCase(std::string_view(&pattern[pos], 1))[0];
        ++pos;

        const FormatArg& arg = args[argIndex];
        nextArg = argIndex + 1;
        std::string piece;
        if (type == 'S' && arg.kind() == FormatArg::Kind::Text) {
            std::string_view text = arg.text();
            if (precision >= 0 && text.size() > std::size_t(precision))
                text = text.substr(0, std::size_t(precision));
            piece = std::string(text);
        } else if ((type == 'D' || type == 'U' || type == 'X') && arg.kind() == FormatArg::Kind::Integer) {
            piece = formatInteger(arg.integer(), type, precision);
        } else {
            invalid(pattern);
        }
        if (width > 0 && piece.size() < std::size_t(width)) {
            std::string pad(std::size_t(width) - piece.size(), ' ');
            piece = leftAlign ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

std::string FormatPattern(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return FormatPattern(pattern, args.begin(), args.size());
}

} // namespace zarn
