// Files from anywhere: each hostile file gives a clear error or loads as the rules say, in bounded
// time, writes nothing outside its document, and a failed save leaves the document as it was.

#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "platform/SettingsStore.h"
#include "plugins/PluginFolders.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"
#include "support/ScriptedPrompt.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/CodeBaseCheck.h"
#include "tag/Prompt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::Ini;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Sanitized builds run several times slower: the big inputs shrink, every case stays.
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t Shrink = 5;
constexpr double SecondsAllowed = 180;
#else
constexpr std::size_t Shrink = 1;
constexpr double SecondsAllowed = 60;
#endif

std::string Basic(const std::string& extra = "") {
    return Ini({"[Applet Basic Parameters]", "Code=Hostile.class", "Width=250", "Height=100"}) + extra;
}

std::string OneParam(const std::string& kind, const std::string& body, const std::string& basicExtra = "") {
    return Basic(basicExtra) + Ini({"[Applet Parameters]", "Param0=p", "[p parameter]", "Class=" + kind}) +
           body;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every file below a folder with its content (a digest for big ones), to show what was written.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string content = entry.is_regular_file() ? ReadFile(entry.path().string()) : "/";
        if (content.size() > 256)
            content = std::to_string(content.size()) + " bytes, digest " +
                      std::to_string(std::hash<std::string>()(content));
        files[fs::relative(entry.path(), root).generic_string()] = std::move(content);
    }
    return files;
}

// A kind that fails half-way through a save, as a full disk would.
class THostileFailOnSave : public TAPString {
public:
    static constexpr const char* StaticClassName = "THostileFailOnSave";
    std::string ClassName() const override { return StaticClassName; }
    void SaveToFile(TKelmFile& file) override {
        TAPString::SaveToFile(file);
        throw EZarnError("The device is full");
    }
};

class HostileFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterParamClass<THostileFailOnSave>(); }
    void SetUp() override {
        ClearProfileCache();
        fs::create_directories(site / "docs");
        fs::create_directories(site / "outside");
        WriteFile((site / "outside" / "keep.txt").string(), "untouched");
    }
    void TearDown() override {
        ClearProfileCache();
        SetPluginSearchPath({});
    }

    // Writes the document and loads it; the error message when the load fails.
    std::optional<std::string> Load(const std::string& content, TJavaAppletTag& tag) {
        WriteFile(doc, content);
        return LoadWritten(tag);
    }
    std::optional<std::string> LoadWritten(TJavaAppletTag& tag) {
        ClearProfileCache();
        TKelmFile file(doc);
        try {
            tag.Load(file);
        } catch (const EZarnError& error) {
            return error.Message();
        }
        return std::nullopt;
    }

    // Loads, compiles for every purpose and saves over the document: only the document may change.
    void LoadCompileSave(const std::string& content, const std::function<void(TJavaAppletTag&)>& check = {}) {
        WriteFile(doc, content);
        const auto before = Tree(world.path());
        const auto start = std::chrono::steady_clock::now();
        TJavaAppletTag tag;
        const auto error = LoadWritten(tag);
        ASSERT_FALSE(error) << *error;
        for (int purpose : {PurposeDos, PurposeClipboard, PurposeDisplay})
            EXPECT_EQ(tag.CompileToHTML(purpose, tag.BasicParams.WebRoot).rfind("<APPLET CODE=", 0), 0u);
        EXPECT_EQ(Tree(world.path()), before) << "loading or compiling wrote a file";
        TKelmFile file(doc);
        tag.Save(file);
        auto after = Tree(world.path());
        after.erase("site/docs/doc.zrd");
        auto expected = before;
        expected.erase("site/docs/doc.zrd");
        EXPECT_EQ(after, expected) << "saving wrote beside the document";
        ClearProfileCache();
        TJavaAppletTag reloaded;
        TKelmFile again(doc);
        ASSERT_NO_THROW(reloaded.Load(again));
        if (check)
            check(reloaded);
        EXPECT_LT(SecondsSince(start), SecondsAllowed);
    }

    // The load fails with exactly this message, in bounded time, and the file stays as it was.
    void ExpectLoadError(const std::string& content, const std::string& message) {
        const auto start = std::chrono::steady_clock::now();
        TJavaAppletTag tag;
        const auto error = Load(content, tag);
        ASSERT_TRUE(error);
        EXPECT_EQ(*error, message);
        EXPECT_FALSE(tag.ParamList);
        EXPECT_EQ(ReadFile(doc), content);
        EXPECT_LT(SecondsSince(start), SecondsAllowed);
    }

    TempDir world;
    const fs::path site = world.path() / "site";
    const std::string doc = (site / "docs" / "doc.zrd").string();
};

TEST_F(HostileFilesTest, BinaryGarbageAndNulBytesGiveAClearErrorOrLoad) {
    std::mt19937 random(20240601);
    std::string garbage(256 * 1024, '\0');
    for (char& c : garbage)
        c = char(random());
    ExpectLoadError(garbage, "Could not get the [Applet parameters] section");
    ExpectLoadError(std::string(64 * 1024, '\0'), "Could not get the [Applet parameters] section");
    const std::string nul("\0", 1);
    ExpectLoadError("[Applet Parameters]" + nul + "Param0=p",
                    "Could not get the [Applet parameters] section");

    // A value ends at its first NUL, as the C strings of the format's origin do; names too.
    LoadCompileSave(Ini({"[Applet Basic Parameters]", "Code=Nul" + nul + ".class", "[Applet Parameters]",
                         "Param0=p" + nul + "junk", "[p parameter]", "Class=TAPString",
                         "Value=ab" + nul + "cd", "UFName=" + nul}),
                    [](TJavaAppletTag& tag) {
                        EXPECT_EQ(tag.BasicParams.Code, "Nul");
                        EXPECT_EQ(tag.ParamList->Count(), 1u);
                        EXPECT_EQ((*tag.ParamList)[0].Name, "p");
                        EXPECT_EQ((*tag.ParamList)[0].GetValue(), "ab");
                    });

    // Bare CR and LF line ends, lines without "=", stray brackets and high bytes between the keys;
    // behind a UTF-8 mark, bytes that are no UTF-8 read as "?".
    LoadCompileSave(
        "\xEF\xBB\xBF[Applet Basic Parameters]\rCode=A.class\n\xFF\xFE garbage\r\n]\r\n[\r\n"
        "[Applet Parameters]\nParam0=p\r=orphan\n[p parameter]\rClass=TAPString\rValue=\x80\x81\n",
        [](TJavaAppletTag& tag) { EXPECT_EQ((*tag.ParamList)[0].GetValue(), "??"); });
    LoadCompileSave(
        "[Applet Basic Parameters]\rCode=A.class\n\xFF\xFE garbage\r\n]\r\n[\r\n"
        "[Applet Parameters]\nParam0=p\r=orphan\n[p parameter]\rClass=TAPString\rValue=\x80\x81\n",
        [](TJavaAppletTag& tag) { EXPECT_EQ((*tag.ParamList)[0].GetValue(), "\x80\x81"); });
}

TEST_F(HostileFilesTest, HugeValuesAndParameterCountsStayInBoundedTime) {
    const std::string big(10 * 1024 * 1024 / Shrink, 'v');
    LoadCompileSave(OneParam("TAPString", Ini({"Value=" + big, "UFName=" + big})),
                    [&](TJavaAppletTag& tag) { EXPECT_EQ((*tag.ParamList)[0].GetValue(), big); });

    // Blank lines between the sections, as people write them, and a long run of them after the list:
    // each key saved goes in before them, which must not cost a walk over them or a rebuilt index.
    const std::size_t count = 100000 / Shrink;
    std::string many = Basic() + "\r\n[Applet Parameters]\r\n";
    for (std::size_t i = 0; i < count; ++i)
        many += "Param" + std::to_string(i) + "=p" + std::to_string(i) + "\r\n";
    for (std::size_t i = 0; i < count; ++i)
        many += "\r\n";
    for (std::size_t i = 0; i < count; ++i)
        many += Ini(
            {"[p" + std::to_string(i) + " parameter]", "Class=TAPNumeric", "Value=" + std::to_string(i), ""});
    LoadCompileSave(many, [&](TJavaAppletTag& tag) {
        ASSERT_EQ(tag.ParamList->Count(), count);
        EXPECT_EQ((*tag.ParamList)[count - 1].GetValue(), std::to_string(count - 1));
    });
}

TEST_F(HostileFilesTest, NewKeysGoBeforeAGapBetweenSectionsButAfterALongRunOfBlankLines) {
    const std::string path = (site / "docs" / "gaps.ini").string();
    std::string runOfBlanks;
    for (int i = 0; i < 200; ++i)
        runOfBlanks += "\r\n";
    WriteFile(path, "[gap]\r\na=1\r\n\r\n\r\n[run]\r\na=1\r\n" + runOfBlanks + "[end]\r\n");
    TIniFile ini(path);
    ini.WriteString("gap", "b", "2");
    ini.WriteString("run", "b", "2");
    EXPECT_EQ(ReadFile(path),
              "[gap]\r\na=1\r\nb=2\r\n\r\n\r\n[run]\r\na=1\r\n" + runOfBlanks + "b=2\r\n[end]\r\n");
}

TEST_F(HostileFilesTest, HugeCountsAndDeepVectorsFailWithTheirMessages) {
    const std::string elements = Ini(
        {"[p.0 parameter]", "Class=TAPString", "Value=a", "[p.1 parameter]", "Class=TAPString", "Value=b"});
    // The count is not trusted for memory: the first missing element ends the load.
    ExpectLoadError(OneParam("TAPParamVector", Ini({"FieldCount=2147483647"}) + elements),
                    "List index out of bounds in section [p parameter] loading class TAPParamVector");
    LoadCompileSave(OneParam("TAPParamVector", Ini({"FieldCount=-2147483647"}) + elements),
                    [](TJavaAppletTag& tag) {
                        EXPECT_TRUE(dynamic_cast<TAPParamVector&>((*tag.ParamList)[0]).Containers.empty());
                    });

    // Element sections are named after their parents, so each level costs two more bytes per name:
    // a file describing 100,000 levels would hold 10 GB. The loader must stop at its limit long
    // before the levels a file can hold run out.
    const int levels = int(2000 / Shrink);
    std::string deep = Basic() + Ini({"[Applet Parameters]", "Param0=v"});
    std::string stem = "v";
    for (int level = 0; level < levels; ++level) {
        deep += Ini({"[" + stem + " parameter]", "Class=TAPParamVector", "FieldCount=1"});
        stem += ".0";
    }
    ExpectLoadError(deep,
                    "Parameter vectors nested deeper than 32 levels in section [v parameter] loading class "
                    "TAPParamVector");

    // Element templates nest the same way when an element is added.
    std::string chain = OneParam("TAPParamVector", Ini({"ValidTemplates=t*", "FieldCount=0"}));
    stem = "t template";
    for (int level = 0; level < 40; ++level) {
        chain += Ini({"[" + stem + " parameter]", "Class=TAPParamVector", "FieldCount=1"});
        stem += ".0";
    }
    TJavaAppletTag tag;
    ASSERT_FALSE(Load(chain, tag));
    auto& vector = dynamic_cast<TAPParamVector&>((*tag.ParamList)[0]);
    EXPECT_THROW(vector.AddFromTemplate("t*"), EZarnError);
    EXPECT_TRUE(vector.Containers.empty());
}

TEST_F(HostileFilesTest, MacroStormsStopAtTheGrowthLimit) {
    std::string storm;
    for (std::size_t i = 0; i < 512 * 1024; ++i)
        storm += "$A";
    TJavaAppletTag tag;
    ASSERT_FALSE(Load(Basic() + Ini({"[Applet Parameters]", "Param0=A", "[A parameter]", "Class=TAPString",
                                     "Value=" + storm}),
                      tag));
    const auto start = std::chrono::steady_clock::now();
    try {
        tag.CompileToHTML(PurposeClipboard, "");
        FAIL() << "a self-referring value of 1 MB compiled";
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "The applet block grows beyond 64 MB through its macros");
    }
    EXPECT_LT(SecondsSince(start), SecondsAllowed);

    // Many references to short values stay well inside the limit.
    std::string widths;
    for (std::size_t i = 0; i < 100000; ++i)
        widths += "$WIDTH";
    LoadCompileSave(OneParam("TAPString", Ini({"Value=" + widths})), [](TJavaAppletTag& reloaded) {
        const std::string html = reloaded.CompileToHTML(PurposeClipboard, "");
        EXPECT_NE(html.find("VALUE=250250250"), std::string::npos);
    });
}

TEST_F(HostileFilesTest, OutOfRangeIndicesPagesAndAlignmentsLoadAsTheRulesSay) {
    for (const char* index : {"99", "-1", "2147483647", "-2147483647"}) {
        SCOPED_TRACE(index);
        LoadCompileSave(OneParam("TAPComboList", Ini({"Items=a|b", "Value=" + std::string(index)})),
                        [&](TJavaAppletTag& tag) {
                            EXPECT_EQ((*tag.ParamList)[0].GetValue(), index);
                            EXPECT_EQ(tag.CompileToHTML(PurposeClipboard, "").find("<PARAM"),
                                      std::string::npos);
                        });
    }
    ExpectLoadError(
        OneParam("TAPComboList", Ini({"Items=a|b", "Value=first"})),
        "'first' is not a valid integer value in section [p parameter] loading class TAPComboList");

    for (const char* page : {"-1", "-2147483647", "2147483647"}) {
        SCOPED_TRACE(page);
        LoadCompileSave(OneParam("TAPString", Ini({"Value=x", "Page=" + std::string(page)})),
                        [&](TJavaAppletTag& tag) { EXPECT_EQ((*tag.ParamList)[0].Page, std::stoi(page)); });
    }
    // Past the integer grammar the default page is taken.
    LoadCompileSave(OneParam("TAPString", Ini({"Value=x", "Page=99999999999"})),
                    [](TJavaAppletTag& tag) { EXPECT_EQ((*tag.ParamList)[0].Page, 0); });

    // No word of its own: compiled as baseline, kept as stored.
    LoadCompileSave(OneParam("TAPString", Ini({"Value=$ALIGN"}), "Align=255\r\n"), [](TJavaAppletTag& tag) {
        EXPECT_EQ(tag.BasicParams.Align, 255);
        const std::string html = tag.CompileToHTML(PurposeClipboard, "");
        EXPECT_EQ(html.find("ALIGN="), std::string::npos);
        EXPECT_NE(html.find("VALUE=BASELINE"), std::string::npos);
    });
}

TEST_F(HostileFilesTest, PluginNamesWithFoldersAreRefused) {
    SetPluginSearchPath({ZARN_TEST_PLUGIN_DIR});
    const std::string dir = ZARN_TEST_PLUGIN_DIR;
    for (const std::string& name :
         {dir + "/stub_six.so", std::string("../plugins/stub_six"), std::string("..\\plugins\\stub_six.dll"),
          std::string("C:stub_six.dll"), std::string("C:\\zarn\\stub_six.dll"),
          std::string("\\\\server\\share\\stub_six.dll"), std::string("stub_six/../stub_six"),
          std::string("..stub_six"), std::string("stub_six\tx")}) {
        SCOPED_TRACE(name);
        ExpectLoadError(OneParam("TAPPlugin", Ini({"Plugin=" + name, "pclass=Long"})),
                        "could not load plugin " + name +
                            ": a plug-in is named by its bare library name, without a folder in section "
                            "[p parameter] loading class TAPPlugin");
    }
    // The bare name of the same library loads.
    LoadCompileSave(OneParam("TAPPlugin", Ini({"Plugin=stub_six.dll", "pclass=Long"})));
    SetPluginSearchPath({});
}

TEST_F(HostileFilesTest, MemletDataNamesStayInTheWebRoot) {
    if (!fs::exists(std::string(ZARN_BIN_DIR) + "/memlet.so"))
        GTEST_SKIP() << "memlet is built with ZARN_GUI=ON";
    SetPluginSearchPath({ZARN_BIN_DIR});
    const fs::path webRoot = site / "www";
    fs::create_directories(webRoot);
    for (const std::string& fName : {std::string("../outside/escape"), std::string("..\\outside\\escape"),
                                     (site / "outside" / "escape").string(), std::string("C:\\escape"),
                                     std::string("a/../../escape"), std::string("..")}) {
        SCOPED_TRACE(fName);
        const auto before = Tree(site / "outside");
        TJavaAppletTag tag;
        ASSERT_FALSE(Load(
            OneParam("TAPPlugin",
                     Ini({"Plugin=memlet.dll", "LineCount=1", "Line0=text", "FName=" + fName, "ext=.txt"}),
                     "WebRoot=" + webRoot.string() + "/\r\n"),
            tag));
        const std::string html = tag.CompileToHTML(PurposeClipboard, webRoot.string() + "/");
        EXPECT_EQ(html.find(".."), std::string::npos) << html;
        EXPECT_EQ(Tree(site / "outside"), before);
        for (const auto& entry : fs::directory_iterator(webRoot))
            EXPECT_EQ(ReadFile(entry.path().string()), "text\r\n");
    }
    SetPluginSearchPath({});
}

TEST_F(HostileFilesTest, CopyEntriesLeavingTheTemplateFolderAreNotCopied) {
    const fs::path tpl = site / "tpl";
    fs::create_directories(tpl / "sub");
    for (const char* name : {"good.gif", "sub/inner.gif"})
        WriteFile((tpl / name).string(), name);
    WriteFile((site / "secret.txt").string(), "secret");
    const fs::path codeBase = site / "cb";
    const std::string templatePath = (tpl / "t.zrt").string();
    WriteFile(templatePath, OneParam("TAPString", Ini({"Value=x"}),
                                     "TemplateFile=1\r\nCodeBase=" + codeBase.string() +
                                         "/\r\nCopy=good.gif sub/inner.gif ../secret.txt ..\\secret.txt " +
                                         (site / "secret.txt").string() +
                                         " C:\\secret.txt sub/../../secret.txt sub\\..\\..\\secret.txt\r\n"));
    TJavaAppletTag tag;
    TKelmFile file(templatePath);
    tag.Load(file);
    fs::create_directories(codeBase / "sub");
    const auto outside = Tree(site / "outside");

    // Every entry is handed over: a name like "../secret.txt" may even count as present, since the
    // file it leads to exists.
    const TCopyReport report = CopySupportFiles(tag, tag.FileList);
    EXPECT_EQ(report.copied, (TStrings{"good.gif", "sub/inner.gif"}));
    EXPECT_EQ(report.refused.size(), 6u);
    EXPECT_TRUE(report.failed.empty());
    EXPECT_EQ(Tree(codeBase),
              (std::map<std::string, std::string>{
                  {"good.gif", "good.gif"}, {"sub", "/"}, {"sub/inner.gif", "sub/inner.gif"}}));
    EXPECT_EQ(Tree(site / "outside"), outside);
    EXPECT_EQ(ReadFile((site / "secret.txt").string()), "secret");
}

// A pack is published as it is copied: a link in it (a file, or a folder on the way to one) must not
// bring in what lies outside, while links that stay in the pack, or lead to the pack itself, work.
TEST_F(HostileFilesTest, LinksLeavingATemplatePackAreRefused) {
    ZARN_POSIX_ONLY("file and folder links");
    const fs::path tpl = site / "tpl";
    fs::create_directories(tpl / "sub");
    WriteFile((tpl / "good.gif").string(), "good");
    WriteFile((tpl / "sub" / "inner.gif").string(), "inner");
    WriteFile((site / "secret.txt").string(), "secret");
    fs::create_symlink(site / "secret.txt", tpl / "readme.txt");
    fs::create_directory_symlink(site / "outside", tpl / "img");
    fs::create_symlink("good.gif", tpl / "alias.gif");
    fs::create_directory_symlink("sub", tpl / "sublink");
    fs::create_directory_symlink(tpl, site / "pack");
    const fs::path codeBase = site / "cb";
    const std::string body =
        OneParam("TAPString", Ini({"Value=x"}),
                 "TemplateFile=1\r\nCodeBase=" + codeBase.string() +
                     "/\r\nCopy=good.gif readme.txt img/keep.txt alias.gif sublink/inner.gif\r\n");
    for (const fs::path& folder : {tpl, site / "pack"}) {
        SCOPED_TRACE(folder.string());
        fs::remove_all(codeBase);
        fs::create_directories(codeBase / "sublink");
        WriteFile((tpl / "t.zrt").string(), body);
        ClearProfileCache();
        TJavaAppletTag tag;
        TKelmFile file((folder / "t.zrt").string());
        tag.Load(file);
        ScriptedPrompt yes({}, true);
        CheckFiles(tag, yes);
        ASSERT_EQ(yes.Entries().size(), 3u);
        EXPECT_EQ(yes.Texts()[1],
                  "ZARN did not copy the following files, because their names lead out of the "
                  "template's folder : \rimg/keep.txt\rreadme.txt\r");
        EXPECT_EQ(Tree(codeBase), (std::map<std::string, std::string>{{"alias.gif", "good"},
                                                                      {"good.gif", "good"},
                                                                      {"sublink", "/"},
                                                                      {"sublink/inner.gif", "inner"}}));
    }
}

// The data file's name comes from the document: it never writes through a link of that name, never
// makes a hidden file, and an extension other than letters and digits is dropped.
TEST_F(HostileFilesTest, MemletDataFilesAreNeverLinksOrHiddenFiles) {
    if (!fs::exists(std::string(ZARN_BIN_DIR) + "/memlet.so"))
        GTEST_SKIP() << "memlet is built with ZARN_GUI=ON";
    SetPluginSearchPath({ZARN_BIN_DIR});
    const fs::path home = site / "home";
    fs::create_directories(home);
    WriteFile((home / ".bashrc").string(), "shell start-up");
    fs::create_symlink(site / "outside" / "keep.txt", home / "notes.txt");
    struct Case {
        std::string fName, ext, value; // "MLT" in `value`: a generated name with what follows
    };
    for (const Case& c :
         {Case{"notes", ".txt", "notes.txt"}, Case{".bashrc", "", "MLT."}, Case{".bashrc", ".txt", "MLT.txt"},
          Case{"bashrc", "", "bashrc."}, Case{"notes", "txt", "notes."}, Case{"notes", ".t xt", "notes."},
          Case{"notes", ".tar.gz", "notes."}, Case{"notes", ".", "notes."}, Case{"notes", "..", "notes."},
          Case{"notes", ".TXT2", "notes.TXT2"}, Case{"a.b", ".gif", "a.b.gif"}}) {
        SCOPED_TRACE(c.fName + " " + c.ext);
        const auto outside = Tree(site / "outside");
        TJavaAppletTag tag;
        ASSERT_FALSE(Load(OneParam("TAPPlugin",
                                   Ini({"Plugin=memlet.dll", "LineCount=1", "Line0=text", "FName=" + c.fName,
                                        "ext=" + c.ext}),
                                   "WebRoot=" + home.string() + "/\r\n"),
                          tag));
        const std::string html = tag.CompileToHTML(PurposeClipboard, home.string() + "/");
        const size_t at = html.find("VALUE=") + 6;
        const std::string value = html.substr(at, html.find('>', at) - at);
        if (c.value.starts_with("MLT"))
            EXPECT_TRUE(value.starts_with("MLT") && value.ends_with(c.value.substr(3)) && value[3] != '.')
                << value;
        else
            EXPECT_EQ(value, c.value);
        EXPECT_FALSE(fs::is_symlink(home / value));
        EXPECT_EQ(ReadFile((home / value).string()), "text\r\n");
        EXPECT_EQ(Tree(site / "outside"), outside);
        EXPECT_EQ(ReadFile((home / ".bashrc").string()), "shell start-up");
        for (const auto& entry : fs::directory_iterator(home))
            EXPECT_FALSE(entry.path().filename().string().starts_with(".mlt"))
                << "temporary file left behind";
    }
    EXPECT_EQ(ReadFile((site / "outside" / "keep.txt").string()), "untouched");

    // A POSIX web root ends with "/" only: a backslash at its end belongs to the folder's name.
    const fs::path odd = site / "odd\\";
    fs::create_directories(odd);
    TJavaAppletTag tag;
    ASSERT_FALSE(Load(OneParam("TAPPlugin",
                               Ini({"Plugin=memlet.dll", "LineCount=1", "Line0=text", "FName=n", "ext=.txt"}),
                               "WebRoot=" + odd.string() + "\r\n"),
                      tag));
    tag.CompileToHTML(PurposeClipboard, odd.string());
    EXPECT_EQ(ReadFile((odd / "n.txt").string()), "text\r\n");
    EXPECT_FALSE(fs::exists(site / "odd\\n.txt"));
    SetPluginSearchPath({});
}

// Lines a section does not hold cost nothing: a few bytes naming line two billion load in no time.
TEST_F(HostileFilesTest, MemletHugeLineCountWithOneFarLineKeyStaysBounded) {
    if (!fs::exists(std::string(ZARN_BIN_DIR) + "/memlet.so"))
        GTEST_SKIP() << "memlet is built with ZARN_GUI=ON";
    SetPluginSearchPath({ZARN_BIN_DIR});
    const fs::path webRoot = site / "www";
    fs::create_directories(webRoot);
    for (const std::string far : {"Line2147483646", "Line2000000000", "Line10000000"}) {
        SCOPED_TRACE(far);
        const auto start = std::chrono::steady_clock::now();
        TJavaAppletTag tag;
        ASSERT_FALSE(Load(OneParam("TAPPlugin",
                                   Ini({"Plugin=memlet.dll", "LineCount=2147483647", "Line0=first",
                                        far + "=last", "FName=far", "ext=.txt"}),
                                   "WebRoot=" + webRoot.string() + "/\r\n"),
                          tag));
        tag.CompileToHTML(PurposeClipboard, webRoot.string() + "/");
        EXPECT_EQ(ReadFile((webRoot / "far.txt").string()), "first\r\nlast\r\n");
        TKelmFile file(doc);
        tag.Save(file);
        TJavaAppletTag reloaded;
        ASSERT_FALSE(LoadWritten(reloaded));
        fs::remove(webRoot / "far.txt");
        reloaded.CompileToHTML(PurposeClipboard, webRoot.string() + "/");
        EXPECT_EQ(ReadFile((webRoot / "far.txt").string()), "first\r\nlast\r\n");
        EXPECT_LT(SecondsSince(start), 5.0 * Shrink);
    }
    SetPluginSearchPath({});
}

TEST_F(HostileFilesTest, SettingsWithWrongTypesAndGarbageKeepTheirDefaults) {
    const std::string settingsFile = (site / "settings.conf").string();
    const std::string garbage = std::string("\0\xFF\xFE", 3) + " garbage without a line end";
    WriteFile(settingsFile,
              Ini({"; ZARN settings", "[Software\\Trelvix\\ZARN\\1.0]", "\"AppletViewer\"=dword:00000001",
                   "\"PathnamesKind\"=\"two\"", "\"RealNames\"=dword:zz", "\"ShowHints\"=dword:123456789",
                   "\"DefaultWebRoot\"=\"unterminated", "\"UseWebAsAV\"=hex:01,02", "=\"no name\"",
                   "\"WaitForAVToClose\"=dword:00000000"}) +
                  garbage);
    FileSettingsStore store(settingsFile);
    ASSERT_TRUE(store.Open());
    TAppSettings settings;
    std::vector<std::string> reports;
    ReadSettings(settings, store, [&](const std::string& message) { reports.push_back(message); });
    ASSERT_EQ(reports.size(), 1u);
    for (const char* name :
         {"AppletViewer", "PathnamesKind", "RealNames", "ShowHints", "DefaultWebRoot", "UseWebAsAV"})
        EXPECT_NE(reports[0].find(std::string("'") + name + "' in " + settingsFile + " has the wrong type"),
                  std::string::npos)
            << name;
    TAppSettings expected;
    expected.WaitForAVToClose = false;
    EXPECT_EQ(settings, expected);

    // The next write stores every value with its right type and keeps the lines it does not own.
    WriteSettings(settings, store);
    FileSettingsStore again(settingsFile);
    ASSERT_TRUE(again.Open());
    TAppSettings reread;
    reports.clear();
    ReadSettings(reread, again, [&](const std::string& message) { reports.push_back(message); });
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(reread, settings);
    EXPECT_NE(ReadFile(settingsFile).find(garbage), std::string::npos);

    // Pure binary garbage reads as no values at all.
    std::mt19937 random(7);
    std::string noise(1024 * 1024 / Shrink, '\0');
    for (char& c : noise)
        c = char(random() % 3 == 0 ? '"' : random());
    WriteFile(settingsFile, noise);
    FileSettingsStore noisy(settingsFile);
    ASSERT_TRUE(noisy.Open());
    const auto start = std::chrono::steady_clock::now();
    TAppSettings fromNoise;
    ReadSettings(fromNoise, noisy, [](const std::string&) {});
    EXPECT_LT(SecondsSince(start), SecondsAllowed);

    // A folder where the file should be cannot be opened and is never replaced.
    fs::remove(settingsFile);
    fs::create_directory(settingsFile);
    FileSettingsStore folder(settingsFile);
    EXPECT_FALSE(folder.Open());
    EXPECT_THROW(folder.WriteString("AppletViewer", "x"), EZarnError);
    EXPECT_TRUE(fs::is_directory(settingsFile));
}

TEST_F(HostileFilesTest, FailedSavesLeaveTheDocumentAsItWas) {
    const std::string failing = Ini({"[f parameter]", "Class=THostileFailOnSave", "Value=f"});
    const std::string nul("\0", 1);
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "Param" + std::to_string(i + 1) + "=f\r\n";
    for (const std::string& content :
         {Basic() +
              Ini({"[Applet Parameters]", "Param0=p", "Param1=f", "[p parameter]", "Class=TAPString",
                   "Value=a" + nul + "b"}) +
              failing,
          Basic() +
              Ini({"[Applet Parameters]", "Param0=p", "Param1=f", "[p parameter]", "Class=TAPString",
                   "Value=" + std::string(1024 * 1024, 'x')}) +
              failing,
          Basic("Align=255\r\n") + "[Applet Parameters]\r\nParam0=f\r\n" + many + failing}) {
        TJavaAppletTag tag;
        ASSERT_FALSE(Load(content, tag));
        const auto before = Tree(world.path());
        TKelmFile file(doc);
        try {
            tag.Save(file);
            FAIL() << "the save succeeded";
        } catch (const EZarnError& error) {
            EXPECT_EQ(error.Message(), "The device is full");
        }
        EXPECT_EQ(Tree(world.path()), before);
        EXPECT_EQ(ReadFile(doc), content);
    }
}

} // namespace
} // namespace zarn
