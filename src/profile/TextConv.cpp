#include "profile/TextConv.h"

#include "profile/Errors.h"

#include <limits>

namespace zarn {

namespace {
char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string UpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = upperAscii(c);
    return result;
}

std::string LowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = lowerAscii(c);
    return result;
}

std::string FormatText(std::string_view pattern, std::string_view argument) {
    std::string result(pattern);
    if (auto at = result.find("%s"); at != std::string::npos)
        result.replace(at, 2, argument);
    return result;
}

std::optional<int32_t> TryStrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return std::nullopt;
    if (text[i] == '$') {
        ++i;
        std::size_t digits = text.size() - i;
        if (digits < 1 || digits > 8)
            return std::nullopt;
        uint32_t value = 0;
        for (; i < text.size(); ++i) {
            int d = hexDigit(text[i]);
            if (d < 0)
                return std::nullopt;
            value = (value << 4) | uint32_t(d);
        }
        return static_cast<int32_t>(value);
    }
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // The bound is 2^31 for a negative number so that -2147483648, which WriteInteger can write,
    // reads back.
    const uint64_t bound = negative ? 2147483648ULL : 2147483647ULL;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + uint64_t(c - '0');
        if (value > bound)
            return std::nullopt;
    }
    int64_t signedValue = negative ? -int64_t(value) : int64_t(value);
    return static_cast<int32_t>(signedValue);
}

int32_t StrToInt(std::string_view text) {
    if (auto value = TryStrToInt(text))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
    std::string work(text);
    if (work.size() > 2 && work[0] == '0' && (work[1] == 'x' || work[1] == 'X'))
        work.replace(0, 2, "$");
    return TryStrToInt(work).value_or(defaultValue);
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

std::string StripGuards(std::string_view stored) {
    if (stored.size() < 2)
        return {};
    return std::string(stored.substr(1, stored.size() - 2));
}

std::string AddGuards(std::string_view value) {
    return "." + std::string(value) + ".";
}

TStrings SplitList(std::string_view text, char separator) {
    TStrings items;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            items.emplace_back(text.substr(start));
            break;
        }
        items.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    return items;
}

std::string JoinList(const TStrings& items, std::string_view separator) {
    std::string result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0)
            result += separator;
        result += items[i];
    }
    return result;
}

std::string ValueOfEntry(std::string_view entry) {
    auto at = entry.find('=');
    return at == std::string_view::npos ? std::string(entry) : std::string(entry.substr(at + 1));
}

std::string NameOfEntry(std::string_view entry) {
    auto at = entry.find('=');
    return std::string(at == std::string_view::npos ? entry : entry.substr(0, at));
}

} // namespace zarn
