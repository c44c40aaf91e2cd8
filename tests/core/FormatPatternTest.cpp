#include "model/FormatPattern.h"
#include "profile/Errors.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

TEST(FormatPattern, FillsIndexedAndSequentialArguments) {
    EXPECT_EQ(FormatPattern("%0:s%1:d", {"img", 3}), "img3");
    EXPECT_EQ(FormatPattern("%1:d-%0:s", {"img", 3}), "3-img");
    EXPECT_EQ(FormatPattern("%s_%d", {"img", -7}), "img_-7");
    // After an indexed directive the next plain one takes the following argument.
    EXPECT_EQ(FormatPattern("%1:s %s %0:s", {"a", "b", "c"}), "b c a");
    EXPECT_EQ(FormatPattern("100%% of %S%D", {"x", 5}), "100% of x5");
    EXPECT_EQ(FormatPattern("no directives", {}), "no directives");
}

TEST(FormatPattern, WidthPrecisionAndUnsignedForms) {
    EXPECT_EQ(FormatPattern("[%5s]", {"ab"}), "[   ab]");
    EXPECT_EQ(FormatPattern("[%-5s]", {"ab"}), "[ab   ]");
    EXPECT_EQ(FormatPattern("[%0:-4d]", {7}), "[7   ]");
    EXPECT_EQ(FormatPattern("[%.2s]", {"abcdef"}), "[ab]");
    EXPECT_EQ(FormatPattern("%.3d|%.3d|%6.3d", {5, -5, 42}), "005|-005|   042");
    EXPECT_EQ(FormatPattern("%x %x %u", {255, -1, -1}), "FF FFFFFFFF 4294967295");
    EXPECT_EQ(FormatPattern("%d", {int64_t(INT32_MIN)}), "-2147483648");
    EXPECT_EQ(FormatPattern("[%2s]", {"longer"}), "[longer]");
}

TEST(FormatPattern, PatternsItCannotFillFailWithThePattern) {
    const char* bad[] = {
        "%",   "abc%", "%2:s", "%1:d%s", "%d",  "%0:d",   "%1:s",    "%q",
        "%0:", "%-",   "%5",   "%.",     "%5%", "%2000s", "%.2000d", "%99999999999999999999:s",
        "%*d", "%e",   "%0:-"};
    for (const char* pattern : bad) {
        try {
            FormatPattern(pattern, {"img", 1});
            ADD_FAILURE() << "accepted " << pattern;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(),
                      std::string("Format '") + pattern + "' invalid or incompatible with argument");
        }
    }
}

TEST(FormatPattern, WidthsAreBounded) {
    EXPECT_EQ(FormatPattern("%1024s", {""}).size(), 1024u);
    EXPECT_THROW(FormatPattern("%1025s", {""}), EConvertError);
}

} // namespace
} // namespace zarn
