#include "TestUtil.h"

#include "support/TestJars.h"
#include "tag/ClassLookup.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using test::WriteJar;
namespace fs = std::filesystem;

TEST(ClassLookup, CodeNamesTheClassInEveryFormSitesUsed) {
    const struct {
        const char* code;
        const char* name;
        const char* entry;
    } cases[] = {
        {"Ticker.class", "Ticker", "Ticker.class"},
        {"Ticker", "Ticker", "Ticker.class"},
        {"Ticker.CLASS", "Ticker", "Ticker.class"},
        {"org.example.Viewer", "org.example.Viewer", "org/example/Viewer.class"},
        {" org.example.Viewer.class ", "org.example.Viewer", "org/example/Viewer.class"},
        {"org/example/Viewer.class", "org.example.Viewer", "org/example/Viewer.class"},
        {"org\\example\\Viewer", "org.example.Viewer", "org/example/Viewer.class"},
    };
    for (const auto& c : cases) {
        const TClassName name = AppletClassName(c.code);
        EXPECT_EQ(name.name, c.name) << c.code;
        EXPECT_EQ(name.entry, c.entry) << c.code;
    }
    EXPECT_EQ(ArchiveNames(" a.jar,, lib/b.jar ,"), (TStrings{"a.jar", "lib/b.jar"}));
}

// A code base folder with classes at their package paths and in jars, some of them broken.
class ClassLookupFolder : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "org/example");
        fs::create_directories(dir.path() / "lib");
        WriteFile(dir.file("Ticker.class"), "x");
        WriteFile(dir.file("org/example/Viewer.class"), "x");
        jars =
            WriteJar(dir.file("viewer.jar"), {"org/example/jar/Main.class", "org/example/jar/Util.class"}) &&
            WriteJar(dir.file("lib/more.jar"), {"net/x/Second.class"});
        WriteFile(dir.file("broken.jar"), "PK\x03\x04 is all there is");
        const std::string whole = ReadFile(dir.file("viewer.jar"));
        WriteFile(dir.file("short.jar"), whole.substr(0, whole.size() - 30));
    }

    TempDir dir;
    bool jars = false;
};

TEST_F(ClassLookupFolder, ClassesAreFoundInTheFolderAtTheirPackagePath) {
    const struct {
        const char* code;
        const char* foundIn; // relative to the folder; empty: missing
        const char* where;
    } cases[] = {
        {"Ticker.class", "Ticker.class", "Ticker.class"},
        {"Ticker", "Ticker.class", "Ticker.class"},
        {"org.example.Viewer", "org/example/Viewer.class", "org/example/Viewer.class"},
        {"org/example/Viewer.class", "org/example/Viewer.class", "org/example/Viewer.class"},
        {"Viewer.class", "", "Viewer.class (not there)"},
        {"org.example.Nowhere", "", "org/example/Nowhere.class (not there)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const TClassLookup lookup = LookForClass(dir.dir(), c.code, "");
        EXPECT_EQ(lookup.foundIn, *c.foundIn ? dir.dir() + c.foundIn : "");
        EXPECT_EQ(lookup.Missing(), !*c.foundIn);
        EXPECT_EQ(lookup.Where(), c.where);
    }
    EXPECT_TRUE(LookForClass(dir.dir(), "Viewer.class", "").PlainFile("Viewer.class"));
    EXPECT_FALSE(LookForClass(dir.dir(), "Viewer", "").PlainFile("Viewer"));
    EXPECT_EQ(LookForClass(dir.dir(), "Gone", "").Where(true), dir.dir() + "Gone.class (not there)");
}

TEST_F(ClassLookupFolder, ClassesAreFoundInsideTheArchives) {
    if (!jars)
        GTEST_SKIP() << "this build does not look into archives";
    const std::string notZip = ArchiveUnreadable + std::string("Not a zip archive");
    const struct {
        const char* code;
        const char* archive;
        const char* foundIn;
        std::string where;
    } cases[] = {
        {"org.example.jar.Main", "viewer.jar", "viewer.jar",
         "org/example/jar/Main.class (not there), viewer.jar"},
        {"org/example/jar/Util.class", " lib/more.jar , viewer.jar", "viewer.jar",
         "org/example/jar/Util.class (not there), lib/more.jar (not in it), viewer.jar"},
        {"net.x.Second", "gone.jar,viewer.jar,lib/more.jar", "lib/more.jar",
         "net/x/Second.class (not there), gone.jar (missing), viewer.jar (not in it), lib/more.jar"},
        // The folder comes first; an archive holding the class too is still read.
        {"org.example.Viewer", "viewer.jar", "org/example/Viewer.class",
         "org/example/Viewer.class, viewer.jar (not in it)"},
        {"org.example.Nowhere", "viewer.jar,gone.jar", "",
         "org/example/Nowhere.class (not there), viewer.jar (not in it), gone.jar (missing)"},
        {"org.example.jar.Main", "broken.jar,short.jar", "",
         "org/example/jar/Main.class (not there), broken.jar (" + notZip + "), short.jar (" + notZip + ")"},
        {"org.example.jar.Main", "lib", "", "org/example/jar/Main.class (not there), lib (missing)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " in " + c.archive);
        const TClassLookup lookup = LookForClass(dir.dir(), c.code, c.archive);
        EXPECT_EQ(lookup.foundIn, *c.foundIn ? dir.dir() + c.foundIn : "");
        EXPECT_EQ(lookup.Missing(), !*c.foundIn);
        EXPECT_EQ(lookup.Where(), c.where);
        EXPECT_FALSE(lookup.PlainFile(c.code));
    }
    // A jar on another server cannot be looked into: the class may be there.
    const TClassLookup remote = LookForClass(dir.dir(), "Elsewhere", "http://host/a.jar");
    EXPECT_FALSE(remote.Missing());
    EXPECT_EQ(remote.Where(true),
              dir.dir() + "Elsewhere.class (not there), http://host/a.jar (not looked into)");
}

// Whatever the bytes, the entries are read or the reason is given; nothing else happens.
TEST_F(ClassLookupFolder, BrokenArchivesGiveAReasonNotACrash) {
    if (!jars) {
        EXPECT_EQ(ReadArchiveEntries(dir.file("viewer.jar")).problem,
                  "this build of ZARN does not look into archives");
        return;
    }
    const std::string whole = ReadFile(dir.file("viewer.jar"));
    const auto bytes = [](const std::string& text) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(ReadArchiveEntries(bytes(whole)).names,
              (TStrings{"META-INF/MANIFEST.MF", "org/example/jar/Main.class", "org/example/jar/Util.class"}));
    EXPECT_EQ(ReadArchiveEntries(dir.file("viewer.jar")).names, ReadArchiveEntries(bytes(whole)).names);

    // The end record's directory offset (at 16 from its start, 22 from the end) sent past the file,
    // and its entry counts raised beyond the directory.
    std::string farOffset = whole;
    farOffset.replace(farOffset.size() - 22 + 16, 4, "\xff\xff\xff\x7f", 4);
    std::string moreEntries = whole;
    moreEntries.replace(moreEntries.size() - 22 + 8, 4, "\xff\x00\xff\x00", 4);
    const std::string broken[] = {"",
                                  "PK",
                                  "PK\x05\x06",
                                  whole.substr(0, whole.size() / 2),
                                  whole.substr(0, whole.size() - 1),
                                  farOffset,
                                  moreEntries,
                                  std::string(5000, '\0')};
    for (const std::string& text : broken) {
        const TArchiveEntries entries = ReadArchiveEntries(bytes(text));
        EXPECT_FALSE(entries.problem.empty()) << text.size();
        EXPECT_TRUE(entries.names.empty()) << text.size();
    }
    EXPECT_FALSE(ReadArchiveEntries(dir.file("lib")).problem.empty());
}

} // namespace
} // namespace zarn
