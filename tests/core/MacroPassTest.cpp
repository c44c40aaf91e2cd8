#include "tag/MacroPass.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace zarn;

namespace {

TMacroTable table(std::initializer_list<std::pair<const char*, const char*>> entries) {
    TMacroTable macros;
    for (const auto& [name, value] : entries)
        macros.Add(name, value);
    return macros;
}

// The final character of a whole text is never examined, so every case ends in a carriage return
// as a compiled block does.
std::string expand(const std::string& text, const TMacroTable& macros) {
    return ExpandMacros(text + "\r", macros);
}

} // namespace

TEST(MacroPassTest, EscapesTranslateTheFollowingCharacterOnce) {
    const TMacroTable none;
    EXPECT_EQ(expand(R"(a\tb)", none), "a\tb\r");
    EXPECT_EQ(expand(R"(one\ntwo)", none), "one\rtwo\r");
    EXPECT_EQ(expand(R"(a\\b)", none), "a\\b\r");
    EXPECT_EQ(expand(R"(\\n)", none), "\\n\r"); // the escaped backslash is not examined again
    EXPECT_EQ(expand(R"(\q\")", none), "q\"\r");
    EXPECT_EQ(expand(R"(cost \$WIDTH)", table({{"WIDTH", "250"}})), "cost $WIDTH\r");
}

TEST(MacroPassTest, TheLastCharacterOfTheTextIsNeverExamined) {
    const TMacroTable none;
    EXPECT_EQ(ExpandMacros(std::string("ab\\"), none), "ab\\");
    // A backslash just before the end still escapes the last character.
    EXPECT_EQ(ExpandMacros(std::string("x\\n"), none), "x\r");
    EXPECT_EQ(ExpandMacros(std::string("$"), none), "$");
    EXPECT_EQ(ExpandMacros(std::string(""), none), "");
}

TEST(MacroPassTest, NamesMatchTheLongestPrefixOfTheRun) {
    const auto macros = table({{"WIDTH", "250"}, {"A", "1"}, {"AB", "2"}, {"speed", "7"}});
    EXPECT_EQ(expand("$WIDTHpx", macros), "250px\r");
    EXPECT_EQ(expand("$width", macros), "250\r");
    EXPECT_EQ(expand("$ABC", macros), "2C\r");
    EXPECT_EQ(expand("$A$B", macros), "1$B\r");
    EXPECT_EQ(expand("$AB$A", macros), "21\r");
    EXPECT_EQ(expand("$SPEED_x", macros), "7_x\r");
    EXPECT_EQ(expand("$NOSUCH and $", macros), "$NOSUCH and $\r");
    EXPECT_EQ(expand("$$A", macros), "$1\r");
    EXPECT_EQ(expand("$_A", macros), "$_A\r");
    // Without a hit the whole run is passed over; with one, the rest of the run is scanned.
    EXPECT_EQ(expand("$XA\\t", macros), "$XA\t\r");
    EXPECT_EQ(expand("$ABX\\t", macros), "2X\t\r");
}

TEST(MacroPassTest, FirstEntryWinsAndUnreachableNamesNeverMatch) {
    const auto macros = table({{"Width", "first"}, {"WIDTH", "second"}, {"my-name", "x"}, {"", "y"}});
    EXPECT_EQ(expand("$WIDTH", macros), "first\r");
    EXPECT_EQ(expand("$my-name", macros), "$my-name\r");
}

TEST(MacroPassTest, InsertedValuesLoseBackslashesAndAreNotScannedAgain) {
    const auto macros = table({{"path", "c:\\x"},
                               {"doubled", "a\\\\b"},
                               {"tail", "end\\"},
                               {"ref", "$path\\t"},
                               {"A", "$B"},
                               {"B", "b"}});
    EXPECT_EQ(expand("$path", macros), "c:x\r");
    EXPECT_EQ(expand("$doubled", macros), "a\\b\r");
    EXPECT_EQ(expand("$tail!", macros), "end\\!\r");
    EXPECT_EQ(expand("$ref", macros), "$patht\r");
    EXPECT_EQ(expand("$A$B", macros), "$Bb\r");
}

TEST(MacroPassTest, VerbatimPiecesAndValuesKeepTheirBackslashes) {
    TMacroTable macros;
    macros.Add("CODEBASE", "D:\\java\\", true);
    macros.Add("p", "c:\\x");
    TMacroText text;
    text.Append("CODEBASE=\"");
    text.AppendVerbatim("\\\\server\\share\\$p\\");
    text.Append("\" a\\tb $CODEBASE $p");
    text.Append("\\t\r");
    EXPECT_EQ(ExpandMacros(text, macros), "CODEBASE=\"\\\\server\\share\\$p\\\" a\tb D:\\java\\ c:x\t\r");

    // Scanned pieces next to each other form one stretch: an escape reaches across.
    TMacroText split;
    split.Append("a\\");
    split.Append("tb\r");
    EXPECT_EQ(ExpandMacros(split, macros), "a\tb\r");
}

TEST(MacroPassTest, HugeRunsStayLinear) {
    const std::size_t size = 1 << 20;
    TMacroTable macros;
    // Names that share long prefixes with the runs below: a lookup that tries every prefix of a
    // run against the names would be quadratic.
    macros.Add("a", "1");
    macros.Add("aa", "2");
    macros.Add(std::string(64, 'a') + "b", "3");
    const auto started = std::chrono::steady_clock::now();

    EXPECT_EQ(expand(std::string(size, '$'), macros), std::string(size, '$') + "\r");
    EXPECT_EQ(expand(std::string(size, '\\'), macros), std::string(size / 2, '\\') + "\r");
    EXPECT_EQ(expand("$" + std::string(size, 'a'), macros), "2" + std::string(size - 2, 'a') + "\r");
    EXPECT_EQ(expand("$" + std::string(size, 'z'), macros), "$" + std::string(size, 'z') + "\r");
    std::string many;
    for (std::size_t i = 0; i < size / 4; ++i)
        many += "$aa.";
    EXPECT_EQ(expand(many, macros).size(), size / 2 + 1);

    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 3000);
}
