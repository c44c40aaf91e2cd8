#include "profile/Codepage.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

TEST(CodepageTest, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    EXPECT_EQ(Utf8ToWin1252(Win1252ToUtf8(all)), all);
    EXPECT_EQ(Win1252ToUtf8("\x80 caf\xE9"), "\xE2\x82\xAC caf\xC3\xA9");
    EXPECT_EQ(Win1252ToUtf8("\x81"), "\xC2\x81");
}

TEST(CodepageTest, WhatTheCodePageCannotHoldBecomesQuestionMark) {
    const std::string cjk = "\xE4\xB8\xAD";
    EXPECT_EQ(Utf8ToWin1252("a" + cjk + "b"), "a?b");
    EXPECT_EQ(Utf8ToWin1252(std::string("a\xFF") + "b\xC3"), "a?b?"); // malformed, then cut off
    EXPECT_EQ(Utf8ToWin1252("\xE2\x82\xAC\xC2\xA0"), "\x80\xA0");
    // Sequences of the right shape that hold no character: each is one "?", not a byte.
    const struct {
        const char* utf8;
        const char* ansi;
    } forms[] = {
        {"\xC1\x81", "?"},         // overlong "A"
        {"\xE0\x82\xAC", "?"},     // overlong U+00AC
        {"\xED\xA0\x80", "?"},     // surrogate
        {"\xF4\x90\x80\x80", "?"}, // beyond U+10FFFF
        {"\xC2\x80", "?"},         // a control the code page puts elsewhere
        {"\xC2\x9D", "\x9D"},      // an unassigned byte comes back as itself
        {"\xE2\x82", "??"},        // cut off
    };
    for (const auto& form : forms)
        EXPECT_EQ(Utf8ToWin1252(form.utf8), form.ansi) << form.utf8;
}

TEST(CodepageTest, EachCodePointHasItsByteOrNone) {
    const struct {
        char32_t code;
        int byte;
    } cases[] = {
        {U'\0', 0},          {U'A', 'A'},       {U'\x7F', 0x7F},   {U'\u20AC', 0x80},
        {U'\u0081', 0x81},   {U'\u0178', 0x9F}, {U'\u00A0', 0xA0}, {U'\u00FF', 0xFF},
        {U'\u0080', -1},     {U'\u009F', -1},   {U'\u0100', -1},   {char32_t(0xD800), -1},
        {U'\U0001F600', -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Win1252Byte(c.code), c.byte) << unsigned(c.code);
}

TEST(CodepageTest, StrictUtf8RejectsEveryFormThatHoldsNoCharacter) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ASCII", true},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true}, // two, three and four bytes
        {"\xED\x9F\xBF \xEE\x80\x80", true},                 // either side of the surrogates
        {"\xF4\x8F\xBF\xBF", true},                          // U+10FFFF
        {"\xC0\xAF", false},                                 // overlong, two bytes
        {"\xE0\x80\xAF", false},                             // overlong, three bytes
        {"\xF0\x8F\xBF\xBF", false},                         // overlong, four bytes
        {"\xED\xA0\x80", false},                             // U+D800
        {"\xED\xBF\xBF", false},                             // U+DFFF
        {"\xF4\x90\x80\x80", false},                         // beyond U+10FFFF
        {"\xF8\x88\x80\x80\x80", false},                     // five-byte shape
        {"ab\xC3", false},                                   // cut off after the lead
        {"ab\xE2\x82", false},                               // cut off inside
        {"\x80", false},                                     // continuation without lead
        {"caf\xE9", false},                                  // Windows-1252, not UTF-8
        {std::string("a\0b", 3), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

} // namespace
} // namespace zarn
