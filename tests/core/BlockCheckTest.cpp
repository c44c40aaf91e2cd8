#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ScalarParams.h"
#include "paths/PathForms.h"
#include "plugins/PluginFolders.h"
#include "support/TestJars.h"
#include "tag/AppletTag.h"
#include "tag/BlockCheck.h"
#include "tag/Preview.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::Ini;
using test::TempDir;
using test::WriteFile;
using test::WriteJar;

class BlockCheck : public ::testing::Test {
protected:
    // A tag whose basic section gets `basic` and whose parameters are (name, section lines).
    void Load(const std::string& basic, const std::vector<std::pair<std::string, std::string>>& params) {
        std::string text =
            "[Applet Basic Parameters]\r\nCode=Demo.class\r\nTemplateFile=1\r\nCodeBase=" + dir.dir() +
            "cb\r\n" + basic + "\r\n[Applet Parameters]\r\n";
        for (std::size_t i = 0; i < params.size(); ++i)
            text += "Param" + std::to_string(i) + "=" + params[i].first + "\r\n";
        for (const auto& [name, body] : params)
            text += "[" + name + " parameter]\r\nUFName=" + name + "\r\n" + body + "\r\n";
        // A new name each time: a rewritten file of the same size may look unchanged to the cache.
        const std::string name = dir.file("t" + std::to_string(loads++) + ".zrt");
        WriteFile(name, text);
        TKelmFile file(name);
        tag.Load(file);
    }
    std::vector<std::string> Texts(TBlockWarningKind kind) {
        std::vector<std::string> texts;
        for (const TBlockWarning& warning : LookAtBlock(tag).warnings)
            if (warning.kind == kind)
                texts.push_back(warning.text);
        return texts;
    }

    TempDir dir;
    TJavaAppletTag tag;
    int loads = 0;
};

TEST_F(BlockCheck, NamesThatMatchNoMacroAreTracedToTheirParameter) {
    struct Case {
        std::string value;
        std::vector<std::string> noted; // runs the compile notes for the parameter "text"
        std::size_t warnings;           // what the look lists for it
    } cases[] = {
        {"$nothing here", {"nothing"}, 1},
        {"$speed and $WIDTH", {}, 0}, // a parameter and a basic attribute
        {"$speedy", {}, 0},           // the longest known prefix is used
        {"\\$escaped", {}, 0},
        {"cost $5 or $5", {"5", "5"}, 1}, // one thing to fix
        {"$a then $B", {"a", "B"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Load("AlternateText=see $alt",
             {{"speed", "Class=TAPNumeric\r\nValue=3"}, {"text", "Class=TAPString\r\nValue=" + c.value}});
        TCompileNotes notes;
        tag.CompileToHTML(PurposeClipboard, "", &notes);
        const TAppletParam* text = &(*tag.ParamList)[1];
        std::vector<std::string> noted;
        for (const auto& run : notes.unresolved) {
            if (run.param == text)
                noted.push_back(run.name);
            else
                EXPECT_EQ(run.param, tag.ObsoleteText.get()) << run.name;
        }
        EXPECT_EQ(noted, c.noted);
        const std::vector<std::string> listed = Texts(TBlockWarningKind::UnresolvedMacro);
        ASSERT_EQ(listed.size(), c.warnings + 1);
        EXPECT_EQ(listed.back(), "$alt in the alternate text matches no value and stays as typed");
        if (c.warnings > 0) {
            EXPECT_EQ(listed.front(), "$" + c.noted.front() + " in text matches no value and stays as typed");
        }
    }
}

TEST_F(BlockCheck, LooksAtTheCodeBaseAndTheValuesWithoutWritingAnything) {
    fs::create_directory(dir.path() / "cb");
    WriteFile(dir.file("cb/there.gif"), "x");
    Load("Copy=there.gif gone.gif", {{"speed", "Class=TAPNumeric\r\nValue=120\r\nMin=0\r\nMax=99"},
                                     {"mode", "Class=TAPComboList\r\nItems=a|b\r\nValue=5"},
                                     {"fine", "Class=TAPNumeric\r\nValue=5\r\nMin=9\r\nMax=0"}});
    EXPECT_EQ(Texts(TBlockWarningKind::MissingSupportFile),
              std::vector<std::string>{"Support file gone.gif is missing from the code base"});
    EXPECT_EQ(Texts(TBlockWarningKind::MissingClassFile),
              std::vector<std::string>{"Class file Demo.class is missing from the code base"});
    EXPECT_EQ(
        Texts(TBlockWarningKind::RefusedValue),
        (std::vector<std::string>{"speed: 120 is not between 0 and 99", "mode: entry 5 is not in the list"}));
    // The code base check only looked.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "cb"), fs::directory_iterator()), 1);
    EXPECT_EQ(LookAtBlock(tag).code, tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot));
}

TEST_F(BlockCheck, FileValuesTheSiteDoesNotPublishAreNamed) {
    struct Case {
        std::string webRoot;
        std::string value;
        std::string warned; // the page's name for the file; empty: no warning
    } cases[] = {
        {"site", dir.file("site/img/a.gif"), ""},
        {"site/", dir.file("elsewhere/a.gif"), "../elsewhere/a.gif"},
        {"site/img", dir.file("site/a.gif"), "../a.gif"},
        {"", dir.file("site/a.gif"), ToFileURL(dir.file("site/a.gif"))},
        {"", "http://example.com/a.gif", ""},
        {"", "file:/srv/a.gif", "file:/srv/a.gif"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.webRoot + " " + c.value);
        Load(c.webRoot.empty() ? "" : "WebRoot=" + dir.file(c.webRoot),
             {{"Background", "Class=TAPFileName\r\nValue=" + c.value}});
        std::vector<std::string> expected;
        if (!c.warned.empty())
            expected.push_back("Background: the page will not find " + c.warned + " (outside the web root)");
        EXPECT_EQ(Texts(TBlockWarningKind::FileOutsideWebRoot), expected);
    }
}

TEST_F(BlockCheck, ClassesAreLookedForInTheArchivesWhichAreSupportFiles) {
    fs::create_directories(dir.path() / "cb/lib");
    if (!WriteJar(dir.file("cb/lib/viewer.jar"), {"org/example/Viewer.class"}))
        GTEST_SKIP() << "this build does not look into archives";
    WriteFile(dir.file("cb/bad.jar"), "PK");
    Load("Archive=bad.jar,lib/viewer.jar,gone.jar", {{"p", "Class=TAPString\r\nValue=x"}});
    tag.BasicParams.Code = "org.example.Viewer";
    EXPECT_TRUE(Texts(TBlockWarningKind::MissingClassFile).empty());
    EXPECT_EQ(Texts(TBlockWarningKind::UnreadableArchive),
              std::vector<std::string>{"Archive bad.jar cannot be read: Not a zip archive"});
    EXPECT_EQ(Texts(TBlockWarningKind::MissingSupportFile),
              std::vector<std::string>{"Support file gone.jar is missing from the code base"});

    tag.BasicParams.Code = "org/example/Other.class";
    EXPECT_EQ(Texts(TBlockWarningKind::MissingClassFile),
              std::vector<std::string>{"Class org.example.Other is missing from the code base. Looked for "
                                       "org/example/Other.class (not there), bad.jar (cannot be read: Not a "
                                       "zip archive), lib/viewer.jar (not in it), gone.jar (missing)"});
}

TEST_F(BlockCheck, APlugInCompilesTheSameValueButWritesNoDataFile) {
    const std::string memlet = std::string(ZARN_BIN_DIR) + "/memlet.so";
    if (!fs::exists(memlet))
        GTEST_SKIP() << "memlet is built with ZARN_GUI=ON";
    SetPluginSearchPath({ZARN_BIN_DIR});
    fs::create_directory(dir.path() / "site");
    Load("WebRoot=" + dir.file("site"),
         {{"notes",
           "Class=TAPPlugin\r\nPlugin=memlet.dll\r\nLineCount=1\r\nLine0=hi\r\nFName=notes\r\next=.txt"}});
    const TBlockLook look = LookAtBlock(tag);
    EXPECT_NE(look.code.find("<PARAM NAME=notes VALUE=notes.txt>"), std::string::npos) << look.code;
    EXPECT_FALSE(fs::exists(dir.file("site/notes.txt")));
    // The real compile still writes it, with the same block.
    EXPECT_EQ(tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot), look.code);
    EXPECT_TRUE(fs::exists(dir.file("site/notes.txt")));
    SetPluginSearchPath({});
}

} // namespace
} // namespace zarn
