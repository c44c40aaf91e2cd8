#include "TestUtil.h"
#include "model/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zarn;
using zarn::test::ReadFile;
using zarn::test::TempDir;
using zarn::test::WriteFile;

namespace {

// A read session trusts its file only until something in this process writes or flushes: another
// name of the same file, or a plug-in library writing by name after a Flush, must still be seen.
TEST(StoreSessionTest, ReadSessionSeesWritesThroughOtherNamesAndAfterFlush) {
    ZARN_POSIX_ONLY("another name of the file is a link");
    TempDir dir;
    ClearProfileCache();
    const std::string path = dir.file("a.ini");
    WriteFile(path, "[S]\r\nk=1\r\n");
    std::filesystem::create_symlink(path, dir.file("link.ini"));
    TIniFile reader(path);
    TIniFile other(dir.file("link.ini"));
    TIniReadSession session(reader);
    EXPECT_EQ(reader.ReadString("S", "k", ""), "1");
    other.WriteString("S", "k", "2");
    EXPECT_EQ(reader.ReadString("S", "k", ""), "2");
    reader.Flush();
    WriteFile(path, "[S]\r\nk=333\r\n"); // what a library would do
    EXPECT_EQ(reader.ReadString("S", "k", ""), "333");
}

// A held copy writes nothing until its bytes are taken, leaves its source as it was, and keeps
// every untouched line, letter case and line end of the source.
TEST(StoreSessionTest, HeldCopyStaysInMemoryUntilTaken) {
    TempDir dir;
    ClearProfileCache();
    const std::string source = dir.file("t.ini");
    const std::string text = "; head\n[Big]\n" + [] {
        std::string keys;
        for (int i = 0; i < 40; ++i)
            keys += "Key" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
        return keys;
    }() + "\n[Small]\nName=x\n";
    WriteFile(source, text);
    WriteFile(dir.file("c.ini"), "");
    TIniFile src(source);
    TIniFile copy(dir.file("c.ini"));
    ASSERT_TRUE(copy.HoldCopyOf(src));
    copy.WriteString("big", "KEY39", "changed");
    copy.WriteString("BIG", "key40", "new");
    copy.WriteString("small", "name", "x"); // the same value: the line keeps its form
    copy.WriteString("Fresh", "a", "b");
    EXPECT_EQ(ReadFile(dir.file("c.ini")), "");
    EXPECT_EQ(copy.ReadString("Big", "key0", ""), "v0");
    const std::string taken = copy.TakeHeldContent();
    std::string expected = text;
    expected.replace(expected.find("Key39 = v39"), 11, "Key39=changed\nkey40=new");
    expected += "\n[Fresh]\na=b\n";
    EXPECT_EQ(taken, expected);
    EXPECT_EQ(ReadFile(source), text);
    EXPECT_EQ(src.ReadString("Small", "Name", ""), "x");

    WriteFile(dir.file("gone.ini"), "[S]\nk=1\n");
    std::filesystem::permissions(dir.file("gone.ini"), std::filesystem::perms::none);
    TIniFile unreadable(dir.file("gone.ini"));
    if (ReadFile(dir.file("gone.ini")).empty()) { // root reads everything
        EXPECT_FALSE(copy.HoldCopyOf(unreadable));
    }
}

} // namespace
