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
        {"\xC1\x81", "?"},          // overlong "A"
        {"\xE0\x82\xAC", "?"},      // overlong U+00AC
        {"\xED\xA0\x80", "?"},      // surrogate
        {"\xF4\x90\x80\x80", "?"},  // beyond U+10FFFF
        {"\xC2\x80", "?"},          // a control the code page puts elsewhere
        {"\xC2\x9D", "\x9D"},       // an unassigned byte comes back as itself
        {"\xE2\x82", "??"},         // cut off
    };
    for (const auto& form : forms)
        EXPECT_EQ(Utf8ToWin1252(form.utf8), form.ansi) << form.utf8;
}

} // namespace
} // namespace zarn
