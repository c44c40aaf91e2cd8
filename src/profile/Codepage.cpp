#include "profile/Codepage.h"

#include <array>
#include <cstdint>

namespace zarn {

namespace {

// The code points of bytes 0x80 to 0x9F; every other byte is the code point of its own number.
// The five bytes the code page leaves unassigned map to the control characters of their number.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr std::array<uint16_t, 256> MakeToUnicode() {
    std::array<uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = uint16_t(byte);
    for (unsigned i = 0; i < kHighControls.size(); ++i)
        table[0x80 + i] = kHighControls[i];
    return table;
}

constexpr std::array<uint16_t, 256> kToUnicode = MakeToUnicode();

bool isUnassigned1252(uint32_t code) {
    return code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// Length and code point of the UTF-8 sequence at the start of `text`; length 0 when its bytes do
// not even have the shape of a sequence. `valid` is false for shapes that hold no character:
// overlong forms, surrogates, code points beyond U+10FFFF.
std::size_t decodeUtf8(std::string_view text, uint32_t& code, bool& valid) {
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
    static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    valid = code >= kShortest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return length;
}

} // namespace

int Win1252Byte(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code < 0x100))
        return int(code);
    for (unsigned i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == code)
            return int(0x80 + i);
    return -1;
}

std::string Win1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // Runs of ASCII, nearly all of an applet's block, are copied whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80)
            continue;
        out.append(text.substr(run, i - run));
        appendUtf8(out, kToUnicode[byte]);
        run = i + 1;
    }
    out.append(text.substr(run));
    return out;
}

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        if (static_cast<unsigned char>(text[0]) < 0x80) {
            text.remove_prefix(1);
            continue;
        }
        uint32_t code = 0;
        bool valid = false;
        const std::size_t length = decodeUtf8(text, code, valid);
        if (length == 0 || !valid)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

std::string Utf8ToWin1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        uint32_t code = 0;
        bool valid = false;
        const std::size_t length = decodeUtf8(text, code, valid);
        if (length == 0) {
            out += '?';
            text.remove_prefix(1);
            continue;
        }
        const int byte = valid ? Win1252Byte(code) : -1;
        // A malformed form of an unassigned byte's code point still gives that byte back.
        out += byte >= 0 ? char(byte) : isUnassigned1252(code) ? char(code) : '?';
        text.remove_prefix(length);
    }
    return out;
}

} // namespace zarn
