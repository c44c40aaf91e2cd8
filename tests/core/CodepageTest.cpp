#include "model/Codepage.h"

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
}

} // namespace
} // namespace zarn
