// Saves of hostile documents: who may read a file stays as it was, a name means the file the system
// means, long names save, files other editors wrote keep their encoding, and nothing is left beside.

#include "TestUtil.h"

#include "model/KelmFile.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"
#include "tag/AppletTag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::Ini;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string Document =
    Ini({"[Applet Basic Parameters]", "Code=Save.class", "Width=250", "Height=100", "[Applet Parameters]",
         "Param0=p", "[p parameter]", "Class=TAPString", "Value=old"});

// Names in a folder, for leftovers of a save.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}
#endif

// The two ways a document is saved: one key through the profile file, the whole tag.
void WriteKey(const std::string& name) {
    TIniFile(name).WriteString("p parameter", "Value", "new");
}
void SaveTag(const std::string& name) {
    TJavaAppletTag tag;
    TKelmFile file(name);
    tag.Load(file);
    if (tag.ParamList && tag.ParamList->Count() > 0)
        (*tag.ParamList)[0].SetValue("new");
    tag.Save(file);
}

// A good document saved under another name.
void SaveOver(const std::string& name) {
    TempDir source;
    WriteFile(source.file("good.zrd"), Document);
    TJavaAppletTag tag;
    TKelmFile good(source.file("good.zrd"));
    tag.Load(good);
    TKelmFile file(name);
    tag.Save(file);
}

struct TSaveWay {
    const char* name;
    std::function<void(const std::string&)> save;
};
const TSaveWay SaveWays[] = {{"WriteString", WriteKey}, {"Save", SaveTag}};

class HostileSavesTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    void TearDown() override { ClearProfileCache(); }
    TempDir dir;
};

TEST_F(HostileSavesTest, SavesKeepModeOwnerAndGroupAndLeaveNothingBeside) {
#ifdef _WIN32
    ZARN_POSIX_ONLY("modes, owners and groups (ProfileReplacementTest checks what is left beside)");
#else
    const bool root = ::geteuid() == 0;
    for (const TSaveWay& way : SaveWays)
        for (mode_t mode : {0600, 0640, 0664}) {
            SCOPED_TRACE(std::string(way.name) + " " + std::to_string(mode));
            ClearProfileCache();
            const std::string doc = dir.file("doc.zrd");
            WriteFile(doc, Document);
            ASSERT_EQ(::chmod(doc.c_str(), mode), 0);
            // Run as root, a save of another user's document must not hand it to root.
            if (root) {
                ASSERT_EQ(::chown(doc.c_str(), 65534, 65534), 0);
            }
            way.save(doc);
            const struct stat st = StatOf(doc);
            EXPECT_EQ(st.st_mode & 07777, mode);
            if (root) {
                EXPECT_EQ(st.st_uid, 65534u);
                EXPECT_EQ(st.st_gid, 65534u);
            }
            EXPECT_NE(ReadFile(doc).find("Value=new"), std::string::npos);
            EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"doc.zrd"});
        }
#endif
}

TEST_F(HostileSavesTest, NamesThroughFolderLinksMeanWhatTheSystemMeans) {
    ZARN_POSIX_ONLY("folder links");
    // "lnk/../doc.zrd" is real/doc.zrd to the system; tidied as text it would be the decoy.
    fs::create_directories(dir.path() / "real" / "inner");
    fs::create_directory_symlink("real/inner", dir.path() / "lnk");
    const std::string meant = dir.file("real/doc.zrd");
    const std::string decoy = dir.file("doc.zrd");
    for (const TSaveWay& way : SaveWays)
        for (const std::string& name : {dir.file("lnk/../doc.zrd"), dir.file("lnk/./../doc.zrd")}) {
            SCOPED_TRACE(std::string(way.name) + " " + name);
            ClearProfileCache();
            WriteFile(meant, Document);
            WriteFile(decoy, "decoy");
            EXPECT_EQ(TIniFile(name).ReadString("p parameter", "Value", "?"), "old");
            way.save(name);
            EXPECT_NE(ReadFile(meant).find("Value=new"), std::string::npos);
            EXPECT_EQ(ReadFile(decoy), "decoy");
            EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"doc.zrd", "lnk", "real"}));
            EXPECT_EQ(Names(dir.path() / "real"), (std::vector<std::string>{"doc.zrd", "inner"}));
        }
}

TEST_F(HostileSavesTest, DocumentsWithLongNamesSave) {
    ZARN_POSIX_ONLY("names of 230 to 255 bytes pass the 260-character limit of a whole Windows path");
    for (const TSaveWay& way : SaveWays)
        for (std::size_t length : {230, 240, 250, 255}) {
            SCOPED_TRACE(std::string(way.name) + " " + std::to_string(length));
            ClearProfileCache();
            fs::remove_all(dir.path() / "long");
            fs::create_directory(dir.path() / "long");
            const std::string base(length - 4, 'd');
            const std::string doc = dir.file("long/" + base + ".zrd");
            WriteFile(doc, Document);
            ASSERT_NO_THROW(way.save(doc));
            EXPECT_NE(ReadFile(doc).find("Value=new"), std::string::npos);
            EXPECT_EQ(Names(dir.path() / "long"), std::vector<std::string>{base + ".zrd"});
        }
}

TEST_F(HostileSavesTest, FilesWithByteOrderMarksKeepTheirEncoding) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string doc = dir.file("doc.zrd");

    // UTF-8 with a mark: the first section is found, texts arrive in Windows-1252 and go back in UTF-8.
    WriteFile(doc, bom + Ini({"[Applet Basic Parameters]", "Code=Save.class", "Width=250", "Height=100",
                              "[Applet Parameters]", "Param0=p", "[p parameter]", "Class=TAPString",
                              "Value=Caf\xC3\xA9 \xE2\x82\xAC", "; \xE4\xB8\xAD stays as it was"}));
    {
        TJavaAppletTag tag;
        TKelmFile file(doc);
        tag.Load(file);
        EXPECT_EQ(tag.BasicParams.Code, "Save.class");
        ASSERT_EQ(tag.ParamList->Count(), 1u);
        EXPECT_EQ((*tag.ParamList)[0].GetValue(), "Caf\xE9 \x80");
        (*tag.ParamList)[0].SetValue("Th\xE9");
        tag.Save(file);
    }
    const std::string saved = ReadFile(doc);
    EXPECT_EQ(saved.rfind(bom + "[Applet Basic Parameters]\r\n", 0), 0u);
    EXPECT_NE(saved.find("Value=Th\xC3\xA9\r\n"), std::string::npos);
    EXPECT_NE(saved.find("; \xE4\xB8\xAD stays as it was"), std::string::npos);
    EXPECT_EQ(saved.find("[Applet Basic Parameters]", 4), std::string::npos)
        << "a second copy of the section";

    // UTF-16: unreadable, and no write may damage it.
    for (const std::string& mark : {std::string("\xFF\xFE"), std::string("\xFE\xFF")}) {
        SCOPED_TRACE(mark == "\xFF\xFE" ? "UTF-16LE" : "UTF-16BE");
        ClearProfileCache();
        std::string wide = mark;
        for (char c : std::string("[p parameter]\r\nValue=x\r\n"))
            wide += mark == "\xFF\xFE" ? std::string{c, '\0'} : std::string{'\0', c};
        WriteFile(doc, wide);
        TIniFile file(doc);
        for (const auto& write : std::vector<std::function<void()>>{
                 [&] { file.WriteString("p parameter", "Value", "y"); },
                 [&] { file.EraseSection("p parameter"); }, [&] { SaveOver(doc); }}) {
            try {
                write();
                ADD_FAILURE() << "a write to a UTF-16 file succeeded";
            } catch (const EZarnError& error) {
                EXPECT_EQ(error.Message(), "Unable to write to " + doc);
            }
            EXPECT_EQ(ReadFile(doc), wide);
        }
        EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"doc.zrd"});
    }
}

} // namespace
} // namespace zarn
