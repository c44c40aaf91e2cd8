#include "profile/IniFile.h"
#include "TestUtil.h"
#include "profile/Errors.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace zarn;
using zarn::test::ReadFile;
using zarn::test::TempDir;
using zarn::test::WriteFile;

namespace {

#ifdef _WIN32
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long) {}
};
#else
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};
#endif

class IniFileTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::string path = tmp.file("a.zrt");
    TIniFile ini{path};

    int32_t integerOf(const std::string& text, int32_t def = -99) {
        WriteFile(path, "[s]\r\nk=" + text + "\r\n");
        return ini.ReadInteger("s", "k", def);
    }
};

TEST_F(IniFileTest, IntegerConversionBounds) {
    EXPECT_EQ(integerOf("2147483647"), 2147483647);
    EXPECT_EQ(integerOf("-2147483647"), -2147483647);
    // WriteInteger can write this value, so it has to read back.
    EXPECT_EQ(integerOf("-2147483648"), INT32_MIN);
    EXPECT_EQ(integerOf("2147483648"), -99);
    EXPECT_EQ(integerOf("-2147483649"), -99);
    EXPECT_EQ(integerOf("99999999999999999999"), -99);
    EXPECT_EQ(integerOf("$80000000"), INT32_MIN);
    EXPECT_EQ(integerOf("$FFFFFFFF"), -1);
    EXPECT_EQ(integerOf("$1FFFFFFFF"), -99);
}

TEST_F(IniFileTest, IntegerConversionForms) {
    EXPECT_EQ(integerOf("0x"), -99);
    EXPECT_EQ(integerOf("0x1a"), 26);
    EXPECT_EQ(integerOf("0X1A"), 26);
    EXPECT_EQ(integerOf("$1A"), 26);
    EXPECT_EQ(integerOf("-0"), 0);
    EXPECT_EQ(integerOf("+7"), 7);
    EXPECT_EQ(integerOf("42abc"), -99);
    EXPECT_EQ(integerOf("0x123456789"), -99);
    EXPECT_EQ(integerOf("-"), -99);
    EXPECT_EQ(integerOf("$"), -99);
    EXPECT_EQ(integerOf("$-1"), -99);
    EXPECT_EQ(integerOf("4 2"), -99);
    EXPECT_EQ(integerOf(""), -99);
    // The store drops outer blanks before the conversion sees them.
    WriteFile(path, "[s]\r\nk=  42\r\n");
    EXPECT_EQ(ini.ReadInteger("s", "k", 0), 42);
    EXPECT_EQ(StrToIntDef("  42", 0), 42);
    EXPECT_EQ(StrToIntDef("42 ", 0), 0);
}

TEST_F(IniFileTest, BooleansReadAsNonZeroIntegers) {
    WriteFile(path, "[s]\r\nt=True\r\ntwo=2\r\nneg=-1\r\nz=0x0\r\nempty=\r\n");
    EXPECT_TRUE(ini.ReadBool("s", "t", true));
    EXPECT_FALSE(ini.ReadBool("s", "t", false));
    EXPECT_TRUE(ini.ReadBool("s", "two", false));
    EXPECT_TRUE(ini.ReadBool("s", "neg", false));
    EXPECT_FALSE(ini.ReadBool("s", "z", true));
    EXPECT_TRUE(ini.ReadBool("s", "empty", true));
    EXPECT_EQ(ini.ReadString("s", "empty", "def"), "");
    EXPECT_EQ(ini.ReadString("s", "absent", "def"), "def");
    EXPECT_EQ(ini.ReadString("nosection", "k", "def"), "def");
    EXPECT_EQ(TIniFile(tmp.file("missing.zrt")).ReadString("s", "k", "def"), "def");
}

TEST_F(IniFileTest, LetterCaseAndInPlaceReplacement) {
    WriteFile(path, "; header comment\r\n[Sec]\r\nclass=TAPString\r\nOther=1\r\n\r\n[Next]\r\nx=y\r\n");
    EXPECT_EQ(ini.ReadString("SEC", "CLASS", ""), "TAPString");
    ini.WriteString("sec", "Class", "TAPNumeric");
    ini.WriteString("SEC", "NewKey", "v");
    ini.WriteString("Third", "k", "3");
    EXPECT_EQ(ReadFile(path), "; header comment\r\n[Sec]\r\nclass=TAPNumeric\r\nOther=1\r\nNewKey=v\r\n\r\n"
                              "[Next]\r\nx=y\r\n\r\n[Third]\r\nk=3\r\n");
    ini.EraseSection("NEXT");
    TStrings keys{"left"};
    ini.ReadSection("Next", keys);
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(ReadFile(path), "; header comment\r\n[Sec]\r\nclass=TAPNumeric\r\nOther=1\r\nNewKey=v\r\n\r\n"
                              "[Third]\r\nk=3\r\n");
}

TEST_F(IniFileTest, MissingFileIsCreatedAndValuesAreTrimmed) {
    ini.WriteString("s", "Separator", " | ");
    ini.WriteInteger("s", "n", -5);
    ini.WriteBool("s", "b", true);
    EXPECT_EQ(ini.ReadString("s", "Separator", ""), "|");
    EXPECT_EQ(ini.ReadString("s", "n", ""), "-5");
    EXPECT_EQ(ini.ReadString("s", "b", ""), "1");
    EXPECT_EQ(ReadFile(path), "[s]\r\nSeparator= | \r\nn=-5\r\nb=1\r\n");
}

TEST_F(IniFileTest, KeyListingsKeepFileOrderAndSkipEmptyValues) {
    WriteFile(path, "[p]\nzeta=1\nalpha=2\nEmpty=\nZETA=3\nnot a key\n;c=4\nmid=5\n");
    TStrings keys{"stale"};
    ini.ReadSection("p", keys);
    EXPECT_EQ(keys, (TStrings{"zeta", "alpha", "Empty", "ZETA", "mid"}));
    TStrings values;
    ini.ReadSectionValues("p", values);
    // A repeated key renames the entry but keeps the first value.
    EXPECT_EQ(values, (TStrings{"ZETA=1", "alpha=2", "mid=5"}));

    ini.ReadSection("absent", keys);
    EXPECT_TRUE(keys.empty());
    TStrings kept{"x=1"};
    ini.ReadSectionValues("absent", kept);
    EXPECT_EQ(kept, (TStrings{"x=1"}));
    // An existing entry is replaced in place, and an empty value deletes it.
    TStrings merged{"ALPHA=old", "empty=gone", "other=o"};
    ini.ReadSectionValues("p", merged);
    EXPECT_EQ(merged, (TStrings{"alpha=2", "other=o", "ZETA=1", "mid=5"}));
}

TEST_F(IniFileTest, QuotedValuesRoundTrip) {
    WriteFile(path, "[s]\r\nd=\"quoted\"\r\ns='single'\r\nm=\"mixed'\r\n");
    EXPECT_EQ(ini.ReadString("s", "d", ""), "quoted");
    EXPECT_EQ(ini.ReadString("s", "s", ""), "single");
    EXPECT_EQ(ini.ReadString("s", "m", ""), "\"mixed'");
    for (std::string value : {"\"x\"", "'y'", "\"", "\"\"", "say \"hi\""}) {
        ini.WriteString("s", "v", value);
        EXPECT_EQ(ini.ReadString("s", "v", ""), value);
        ClearProfileCache();
        EXPECT_EQ(ini.ReadString("s", "v", ""), value);
    }
}

TEST_F(IniFileTest, LongValuesAndLargeSectionsAreNotCut) {
    std::string longValue(5000, 'x');
    longValue += "end";
    ini.WriteString("s", "long", longValue);
    ClearProfileCache();
    EXPECT_EQ(ini.ReadString("s", "long", ""), longValue);

    {
        TIniUpdate update(ini);
        for (int i = 0; i < 2000; ++i)
            ini.WriteString("big", "ParameterWithALongName" + std::to_string(i), "v" + std::to_string(i));
        update.Commit();
    }
    ClearProfileCache();
    TStrings keys;
    ini.ReadSection("big", keys);
    ASSERT_EQ(keys.size(), 2000u);
    EXPECT_EQ(keys.back(), "ParameterWithALongName1999");
}

TEST_F(IniFileTest, LineBreaksAreRefusedAndChangeNothing) {
    ini.WriteString("s", "k", "v");
    const std::string before = ReadFile(path);
    const std::string message = "Unable to write to " + path;
    for (auto [section, key, value] :
         std::initializer_list<std::array<std::string, 3>>{{"s", "k", "a\r\n[evil]\r\nx=1"},
                                                           {"s", "k\n", "v"},
                                                           {"s\r", "k", "v"},
                                                           {"s", "a=b", "v"},
                                                           {"s", "k", std::string("nul\0byte", 8)}}) {
        try {
            ini.WriteString(section, key, value);
            ADD_FAILURE() << "accepted a line break";
        } catch (const EWriteError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(IniFileTest, FailedWriteLeavesFileIntactAndReportsName) {
    ZARN_POSIX_ONLY("the write is made to fail by a file size limit");
    ini.WriteString("s", "k", "old");
    const std::string before = ReadFile(path);
    {
        // A file size limit makes the write fail part-way, also for root.
        FileSizeLimit limit(64);
        try {
            ini.WriteString("s", "k", std::string(4096, 'n'));
            ADD_FAILURE() << "write beyond the size limit succeeded";
        } catch (const EWriteError& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(ini.ReadString("s", "k", ""), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);
}

TEST_F(IniFileTest, FailedWriteIntoMissingFolder) {
    TIniFile nowhere(tmp.file("no/such/folder/x.zrd"));
    try {
        nowhere.WriteString("s", "k", "v");
        FAIL();
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + tmp.file("no/such/folder/x.zrd"));
    }
}

TEST_F(IniFileTest, WritesKeepPermissionsAndReplaceAtomically) {
    WriteFile(path, "[s]\nk=1\n");
#ifndef _WIN32
    ::chmod(path.c_str(), 0640);
#endif
    ini.WriteString("s", "k", "2");
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
    // No temporary files are left behind.
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(tmp.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(IniFileTest, TwoObjectsAndOutsideWritersSeeEachOther) {
    TIniFile other(path);
    ini.WriteString("s", "k", "1");
    EXPECT_EQ(other.ReadString("s", "k", ""), "1");
    // A writer outside this process (or a plug-in library with its own copy of the store).
    WriteFile(path, "[s]\nk=outside\n");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "outside");
    WriteFile(path, "[s]\nk=changed!\n");
    EXPECT_EQ(other.ReadString("s", "k", ""), "changed!");
}

TEST_F(IniFileTest, UpdatesAreSeenAtOnceAndWrittenOnce) {
    ini.WriteString("s", "k", "0");
    {
        TIniUpdate update(ini);
        ini.WriteString("s", "k", "pending");
        EXPECT_EQ(TIniFile(path).ReadString("s", "k", ""), "pending");
        EXPECT_EQ(ReadFile(path), "[s]\r\nk=0\r\n");
        ini.Flush();
        EXPECT_EQ(ReadFile(path), "[s]\r\nk=pending\r\n");
        ini.WriteString("s", "k", "final");
        update.Commit();
    }
    EXPECT_EQ(ReadFile(path), "[s]\r\nk=final\r\n");
    {
        TIniUpdate update(ini);
        ini.WriteString("s", "k", "abandoned");
    }
    EXPECT_EQ(ini.ReadString("s", "k", ""), "final");
    EXPECT_EQ(ReadFile(path), "[s]\r\nk=final\r\n");
}

TEST_F(IniFileTest, BytesLineEndsAndUnknownLinesAreKept) {
    const std::string content =
        std::string("junk line\r[a]\rk=\xA4\x07\xFF\r") + "x=1\n[b]\r\n=nokey\r\nk2=v";
    WriteFile(path, content);
    EXPECT_EQ(ini.ReadString("a", "k", ""), "\xA4\x07\xFF");
    ini.WriteString("a", "x", "2");
    ini.WriteString("b", "k3", "w");
    EXPECT_EQ(ReadFile(path),
              std::string("junk line\r[a]\rk=\xA4\x07\xFF\r") + "x=2\n[b]\r\n=nokey\r\nk2=v\rk3=w\r");
}

TEST_F(IniFileTest, HostileContentLoadsWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += char((i * 7919) % 256);
    garbage += "\n[ok]\nk=v";
    WriteFile(path, garbage);
    EXPECT_EQ(ini.ReadString("ok", "k", ""), "v");

    // Duplicate sections and keys: the first one is read and written.
    WriteFile(path, "[d]\nk=first\nk=second\n[D]\nk=third\nj=only in second\n");
    EXPECT_EQ(ini.ReadString("d", "k", ""), "first");
    EXPECT_EQ(ini.ReadString("d", "j", "absent"), "absent");
    ini.WriteString("d", "k", "new");
    EXPECT_EQ(ReadFile(path), "[d]\nk=new\nk=second\n[D]\nk=third\nj=only in second\n");

    std::string longLine = "[l]\nk=" + std::string(3'000'000, 'q');
    WriteFile(path, longLine);
    EXPECT_EQ(ini.ReadString("l", "k", "").size(), 3'000'000u);
    WriteFile(path, "[unterminated\nk=v\n[]\nz=1");
    // A "[" line without "]" opens no section.
    EXPECT_EQ(ini.ReadString("unterminated", "k", "-"), "-");
    EXPECT_EQ(ini.ReadString("", "z", ""), "1");
}

} // namespace

// Files as other editors leave them: headers with more than one "]", a "[" line that is no header,
// the end-of-file mark of old editors.
TEST_F(IniFileTest, HeadersAndEndMarksAsOtherEditorsWriteThem) {
    struct Case {
        const char* content;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"[a]b]\r\nk=1\r\n", "a]b", "k", "1"},
        {"[a]b]\r\nk=1\r\n", "a", "k", "-"},
        {"[s] ; note\r\nk=1\r\n", "s", "k", "1"},
        {"[s]\r\nk=1\r\n[broken\r\nm=2\r\n", "s", "m", "2"},
        {"[s]\r\nk=1\r\n[broken\r\nm=2\r\n", "broken", "m", "-"},
        {"[s]\r\nk=v\x1A", "s", "k", "v"},
        {"[s]\r\nk=v\r\n\x1A", "s", "k", "v"},
        {"[s]\r\nk=a\x1A"
         "b\r\n",
         "s", "k",
         "a\x1A"
         "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        ClearProfileCache();
        WriteFile(path, c.content);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "-"), c.expected);
    }
    // The end mark stays the last byte when keys are added.
    ClearProfileCache();
    WriteFile(path, "[s]\r\nk=v\x1A");
    ini.WriteString("s", "n", "w");
    EXPECT_EQ(ReadFile(path), "[s]\r\nk=v\r\nn=w\r\n\x1A");
    ini.WriteString("a]b", "k", "2");
    ClearProfileCache();
    EXPECT_EQ(ini.ReadString("a]b", "k", "-"), "2");
}

// A value ending in the end-of-file mark keeps it: the file gets a line end after it.
TEST_F(IniFileTest, ValuesEndingInTheEndMarkReadBack) {
    for (const char* content : {"[s]\r\nk=old", "[s]\r\nk=old\r\n"}) {
        SCOPED_TRACE(content);
        ClearProfileCache();
        WriteFile(path, content);
        ini.WriteString("s", "k", "v\x1A");
        ClearProfileCache();
        EXPECT_EQ(ini.ReadString("s", "k", "-"), "v\x1A");
    }
}
