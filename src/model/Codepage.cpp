#include "model/Codepage.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace zarn {

namespace {

// The bytes glibc's table leaves undefined; Windows maps them to U+0081 and so on.
bool isUnassigned1252(uint32_t code) {
    return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns with `in` at the first byte it could not convert.
    void run(std::string_view& in, std::string& out) {
        char buffer[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t result = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, std::size_t(dst - buffer));
            in.remove_prefix(in.size() - srcLeft);
            if (result == std::size_t(-1) && errno != E2BIG)
                return;
        }
    }

private:
    iconv_t cd_;
};

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    }
}

// Length and code point of the UTF-8 sequence at the start of `text`; length 0 when malformed.
std::size_t decodeUtf8(std::string_view text, uint32_t& code) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || length > text.size())
        return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    return length;
}

} // namespace

std::string Win1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    Converter converter("UTF-8", "WINDOWS-1252");
    while (!text.empty()) {
        if (converter.valid())
            converter.run(text, out);
        if (text.empty())
            break;
        const auto byte = static_cast<unsigned char>(text.front());
        // Only the unassigned bytes stop the table; without a table, Latin-1 is the closest.
        appendUtf8(out, byte);
        text.remove_prefix(1);
    }
    return out;
}

std::string Utf8ToWin1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    Converter converter("WINDOWS-1252", "UTF-8");
    while (!text.empty()) {
        if (converter.valid())
            converter.run(text, out);
        if (text.empty())
            break;
        uint32_t code = 0;
        std::size_t length = decodeUtf8(text, code);
        if (length == 0) {
            out += '?';
            text.remove_prefix(1);
            continue;
        }
        const bool latin1 = !converter.valid() && code < 0x100 && (code < 0x80 || code >= 0xA0);
        out += (isUnassigned1252(code) || latin1) ? char(code) : '?';
        text.remove_prefix(length);
    }
    return out;
}

} // namespace zarn
