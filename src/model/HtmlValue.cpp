#include "model/HtmlValue.h"

#include <algorithm>

namespace zarn {

bool BareHtmlValue(std::string_view value) {
    return !value.empty() && std::none_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '=' ||
               c == '`';
    });
}

std::string QuotedHtmlValue(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    out += '"';
    return out;
}

std::string HtmlValue(std::string_view value) {
    return BareHtmlValue(value) ? std::string(value) : QuotedHtmlValue(value);
}

} // namespace zarn
