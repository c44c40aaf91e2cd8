#include "TestUtil.h"
#include "profile/FileReplace.h"
#include "profile/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zarn;
using zarn::test::ReadFile;
using zarn::test::TempDir;
using zarn::test::WriteFile;

namespace {

// What a save of the held copy writes, through a file beside `besides`.
std::string HeldBytes(TIniFile& held, const std::string& besides) {
    TSiblingFile file;
    if (file.Create(besides, "", ".x") || held.WriteHeldContent(file))
        return "(not written)";
    return ReadFile(file.Name());
}

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
    const std::string taken = HeldBytes(copy, dir.file("c.ini"));
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

// Lookups take shortcuts: the section after the one read last, an index of hashes for long
// sections, one pass for a whole long list. Every file must read as a plain search would read it,
// short sections and long ones (searched in place and through the index), UTF-8 files and 8-bit.
TEST(StoreSessionTest, ShortcutsReadAsAPlainSearch) {
    TempDir dir;
    for (const std::string mark : {"", "\xEF\xBB\xBF"})
        for (int padding : {0, 40}) {
            SCOPED_TRACE("padding " + std::to_string(padding) + (mark.empty() ? "" : ", UTF-8"));
            ClearProfileCache();
            std::string pad;
            for (int i = 0; i < padding; ++i)
                pad += "pad" + std::to_string(i) + "=p\r\n";
            const std::string path = dir.file("s.ini");
            WriteFile(path, mark + "[A]\r\nk=first\r\n[B]\r\n" + pad +
                                "Zeta=1\r\nalpha=2\r\nEmpty=\r\nZETA=3\r\n[a]\r\nk=second\r\n");
            TIniFile ini(path);
            TIniReadSession session(ini);
            EXPECT_EQ(ini.ReadString("B", "zeta", ""), "1");
            EXPECT_EQ(ini.ReadString("A", "k", ""), "first"); // not the later [a] after [B]
            EXPECT_EQ(ini.ReadString("a", "K", ""), "first");
            TStrings values;
            ini.ReadSectionValues("b", values);
            ASSERT_EQ(values.size(), std::size_t(padding) + 2);
            EXPECT_EQ(values.back(), "alpha=2");
            EXPECT_EQ(values[values.size() - 2], "ZETA=1");
            ini.EraseSection("A");
            EXPECT_EQ(ini.ReadString("A", "k", ""), "second");
            // A key too long for a line's short form of its size.
            const std::string longKey(70000, 'q');
            ini.WriteString("B", longKey + "Z", "long");
            EXPECT_EQ(ini.ReadString("b", longKey + "z", ""), "long"); // as written, then as saved
            ClearProfileCache();
            EXPECT_EQ(ini.ReadString("b", longKey + "z", ""), "long");
            TStrings keys;
            ini.ReadSection("B", keys);
            EXPECT_EQ(keys.back(), longKey + "Z");
        }
}

// A save is written in pieces, unchanged lines in runs straight from the file's bytes: the bytes
// are those a save held whole would write, through line ends of every kind, a last line given a
// line end before an end mark, and lines longer than a piece.
TEST(StoreSessionTest, SaveInPiecesWritesTheHeldBytes) {
    TempDir dir;
    const std::string big(300000, 'b');
    const struct {
        std::string text, expected;
    } cases[] = {
        {"; crlf\r\n[S]\r\nk=1\nlf=x\ncr=y\rlong=" + big + "\r\n[T]\r\nlast=z",
         "; crlf\r\n[S]\r\nk=1\nlf=changed\ncr=y\rlong=" + big + "\r\n[T]\r\nlast=z\r\nnew=\x1A\r\n"},
        {"[T]\rlast=z\x1A", "[T]\rlast=z\rnew=\x1A\r\r[S]\rlf=changed\r\x1A"},
    };
    for (const auto& c : cases) {
        ClearProfileCache();
        WriteFile(dir.file("t.ini"), c.text);
        TIniFile source(dir.file("t.ini"));
        TIniFile held(dir.file("h.ini"));
        ASSERT_TRUE(held.HoldCopyOf(source));
        held.WriteString("S", "lf", "changed");
        held.WriteString("T", "new", "\x1A");
        EXPECT_EQ(HeldBytes(held, dir.file("out.ini")), c.expected);
    }
}

// A list saved as it stands is skipped only when clearing and writing it again gives the same bytes.
TEST(StoreSessionTest, KeysStandAsWrittenOnlyWhenARewriteChangesNothing) {
    TempDir dir;
    const std::string blanks64(64, '\n'), blanks65(65, '\n');
    const struct {
        std::string section;
        bool stands;
    } cases[] = {
        {"[L]\r\nParam0=a\r\nParam1=b\r\n\r\n", true},
        {"[L]\r\nParam0=a\r\nParam1=b\r\n", true},
        {"[L]\r\nParam0 = a\r\nParam1=b\r\n", false}, // spacing is rewritten
        {"[L]\r\nparam0=a\r\nParam1=b\r\n", false},   // so is the key's letter case
        {"[L]\r\nParam0=a\nParam1=b\r\n", false},     // and a line end of another kind
        {"[L]\r\nParam0=a\r\n; note\r\nParam1=b\r\n", false},
        {"[L]\r\nParam0=a\r\nParam1=b\r\nOther=c\r\n", false},
        {"[L]\r\nParam0=a\r\nParam1=b\r\n; after\r\n", false},
        {"[L]\r\nParam0=a\r\n", false},
        {"[L]\r\nParam0=a\r\nParam1=\"b\"\r\n", false},
        {"[L]\r\nParam0=a\r\nParam1=b" + blanks64, false}, // LF blank lines after CRLF keys
        {"[L]\r\nParam0=a\r\nParam1=b\r\n" + blanks64, true},
        {"[L]\r\nParam0=a\r\nParam1=b\r\n" + blanks65, false}, // keys would go after them
    };
    const std::string names[] = {"a", "b"};
    auto keyAt = [&](std::size_t i, std::string& key, std::string& value) {
        key = "Param" + std::to_string(i);
        value = names[i];
    };
    for (const auto& c : cases) {
        ClearProfileCache();
        const std::string text = "[A]\r\nx=1\r\n\r\n" + c.section + "[B]\r\ny=2\r\n";
        WriteFile(dir.file("t.ini"), text);
        TIniFile file(dir.file("t.ini"));
        EXPECT_EQ(file.KeysStandAsWritten("L", 2, keyAt), c.stands) << c.section;
        {
            TIniUpdate update(file);
            file.ClearSection("L");
            std::string key, value;
            for (std::size_t i = 0; i < 2; ++i) {
                keyAt(i, key, value);
                file.WriteString("L", key, value);
            }
            update.Commit();
        }
        EXPECT_EQ(ReadFile(dir.file("t.ini")) == text, c.stands) << c.section;
    }
}

} // namespace
