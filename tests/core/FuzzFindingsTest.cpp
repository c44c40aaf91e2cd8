// Inputs the fuzz targets found, each kept as the case that failed.

#include "TestUtil.h"

#include "model/KelmFile.h"
#include "profile/IniFile.h"
#include "tag/AppletTag.h"

#include <gtest/gtest.h>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class FuzzFindingsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    void TearDown() override { ClearProfileCache(); }
    TempDir dir;
    const std::string path = dir.file("found.ini");
};

// fuzz_profile: a value with blanks around a quoted text came back without its quotes, because the
// writer judged the quotes on the value with its blanks and the reader on the value without.
TEST_F(FuzzFindingsTest, QuotedValuesWithOuterBlanksKeepTheirQuotes) {
    TIniFile ini(path);
    ini.WriteString("A", "k", " \"quoted\" ");
    ini.WriteString("A", "s", "'x'\t");
    ini.WriteString("A", "plain", " \"open");
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(ini.ReadString("A", "k", ""), "\"quoted\"");
        EXPECT_EQ(ini.ReadString("A", "s", ""), "'x'");
        EXPECT_EQ(ini.ReadString("A", "plain", ""), "\"open");
        ClearProfileCache(); // the same from the disk
    }
    EXPECT_NE(ReadFile(path).find("k=\"\"quoted\"\"\r\n"), std::string::npos);
}

// fuzz_profile: a NUL byte in a value was read back, so a document holding one loaded but every
// save of it failed, since no write may store a NUL. A value now ends at its first NUL.
TEST_F(FuzzFindingsTest, ANulByteEndsAValueSoTheDocumentSavesAgain) {
    const std::string nul("\0", 1);
    WriteFile(path, "[A]\r\nk=ab" + nul + "cd\r\nq=\"x" + nul + "y\"\r\nz=" + nul + "\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "k", "-"), "ab");
    EXPECT_EQ(ini.ReadString("A", "q", "-"), "\"x");
    EXPECT_EQ(ini.ReadString("A", "z", "-"), "");

    const std::string doc = dir.file("doc.zrd");
    const std::string content =
        "[Applet Basic Parameters]\r\nCode=A.class\r\nWebRoot=" + nul + nul +
        "\r\n[Applet Parameters]\r\nParam0=p\r\n[p parameter]\r\nClass=TAPString\r\nValue=v" + nul + "w\r\n";
    WriteFile(doc, content);
    TKelmFile file(doc);
    TJavaAppletTag tag;
    tag.Load(file);
    EXPECT_EQ(tag.BasicParams.WebRoot, "");
    ASSERT_NO_THROW(tag.Save(file));
    ClearProfileCache();
    EXPECT_EQ(TKelmFile(doc).ReadString("p parameter", "Value", "-"), "v");
}

} // namespace
} // namespace zarn
