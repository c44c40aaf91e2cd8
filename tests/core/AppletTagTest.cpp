#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "profile/Errors.h"
#include "tag/AppletTag.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>

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

struct ParamSpec {
    std::string name;
    std::string value;
    std::string kind = "TAPString";
};

// A template: basic attribute lines, then the parameters, then any further lines.
std::string Template(const std::string& basicLines, std::initializer_list<ParamSpec> params,
                     const std::string& rest = "") {
    std::string text = "[Applet Basic Parameters]\r\n" + basicLines + "[Applet Parameters]\r\n";
    int i = 0;
    for (const auto& param : params)
        text += "Param" + std::to_string(i++) + "=" + param.name + "\r\n";
    for (const auto& param : params)
        text += Ini({"[" + param.name + " parameter]", "Class=" + param.kind, "Value=" + param.value});
    return text + rest;
}

// A kind that fails half-way through saving, as a full disk or a plug-in would.
class TFailOnSave : public TAPString {
public:
    static constexpr const char* StaticClassName = "TFailOnSave";
    std::string ClassName() const override { return StaticClassName; }
    void SaveToFile(TKelmFile& file) override {
        TAPString::SaveToFile(file);
        throw EZarnError("The device is full");
    }
};

std::set<std::string> FolderEntries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The CODEBASE attribute's value, or "(none)".
std::string CodeBaseOf(const std::string& block) {
    const auto end = block.find('>');
    const auto at = block.find("CODEBASE=\"");
    if (at == std::string::npos || at > end)
        return "(none)";
    const auto start = at + 10;
    return block.substr(start, block.find('"', start) - start);
}

class AppletTagTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool registered = false;
        if (!registered)
            RegisterParamClass<TFailOnSave>();
        registered = true;
    }
    void SetUp() override { ClearProfileCache(); }

    std::string Write(const std::string& content, const std::string& name = "t.zrt") {
        const std::string path = dir.file(name);
        WriteFile(path, content);
        return path;
    }
    void Load(const std::string& content, const std::string& name = "t.zrt") {
        TKelmFile file(Write(content, name));
        tag.Load(file);
    }
    // The compiled block's lines, without their carriage returns.
    TStrings Lines(int purpose = PurposeClipboard, const std::string& base = "") {
        return SplitList(tag.CompileToHTML(purpose, base), '\r');
    }

    TempDir dir;
    TJavaAppletTag tag;
};

TEST_F(AppletTagTest, LoadGivesTheDefaultsOfAMinimalTemplate) {
    Load(Template("", {{"p", "x"}}));
    const auto& basic = tag.BasicParams;
    EXPECT_EQ(basic.Width, 250);
    EXPECT_EQ(basic.Height, 100);
    EXPECT_EQ(basic.HSpace, 0);
    EXPECT_EQ(basic.VSpace, 0);
    EXPECT_EQ(basic.Code, "No code specified !");
    EXPECT_EQ(basic.Align, 6);
    EXPECT_FALSE(basic.TemplateFile);
    EXPECT_EQ(tag.PageNames, TStrings{"Parameters"});
    EXPECT_TRUE(tag.FileList.empty());
    EXPECT_EQ(tag.JavaAuthor, "unknown");
    EXPECT_EQ(tag.Zarnifier, "unknown");
    EXPECT_EQ(tag.Comment, "");
    EXPECT_EQ(tag.ObsoleteText->Value, "");
    EXPECT_EQ(tag.ObsoleteText->Name, "");
    EXPECT_EQ(tag.ObsoleteText->UFName, "Alternate text for Obsolete browsers : ");
    EXPECT_EQ(tag.FileName, dir.file("t.zrt"));
    ASSERT_EQ(tag.ParamList->Count(), 1u);
}

TEST_F(AppletTagTest, LoadReadsPagesCopyAndAlignment) {
    Load(Template("Copy=a.class  b.gif\r\nAlign=511\r\nTemplateFile=1\r\n", {{"p", "x"}}) +
         Ini({"[Pages]", "one=Colours", "two=", "three=Text=Font"}));
    EXPECT_EQ(tag.PageNames, (TStrings{"Colours", "Text=Font"}));
    EXPECT_EQ(tag.FileList, (TStrings{"a.class", "", "b.gif"}));
    EXPECT_EQ(tag.BasicParams.Align, 255);
    EXPECT_TRUE(tag.BasicParams.TemplateFile);

    Load(Template("Copy=single.class \r\n", {{"p", "x"}}));
    EXPECT_EQ(tag.FileList, TStrings{"single.class"});
}

TEST_F(AppletTagTest, AFailedLoadKeepsWhatTheTagHeld) {
    Load(Template("Width=300\r\nCopy=a.class\r\n", {{"p", "x"}}) + Ini({"[Pages]", "a=Main"}));
    const TAppletParam* first = &(*tag.ParamList)[0];

    const std::string bad =
        Ini({"[Applet Basic Parameters]", "Width=1", "Copy=other.class", "[Pages]", "a=Other",
             "[Applet Parameters]", "Param0=n", "[n parameter]", "Class=TAPNumeric", "Value=abc"});
    try {
        Load(bad, "bad.zrt");
        FAIL() << "loaded";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(),
                  "'abc' is not a valid integer value in section [n parameter] loading class TAPNumeric");
    }
    try {
        Load(Ini({"[Applet Basic Parameters]", "Width=1"}), "empty.zrt");
        FAIL() << "loaded";
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "Could not get the [Applet parameters] section");
    }
    EXPECT_EQ(tag.BasicParams.Width, 300);
    EXPECT_EQ(&(*tag.ParamList)[0], first);
    EXPECT_EQ(tag.PageNames, TStrings{"Main"});
    EXPECT_EQ(tag.FileList, TStrings{"a.class"});
    EXPECT_EQ(tag.FileName, dir.file("t.zrt"));
}

TEST_F(AppletTagTest, OpeningLineCarriesAttributesOnlyWhenTheyDifferFromTheirDefaults) {
    Load(Template("Code=Demo.class\r\n", {{"b", "", "TAPBevel"}}));
    EXPECT_EQ(tag.CompileToHTML(PurposeClipboard, ""),
              "<APPLET CODE=\"Demo.class\" WIDTH=250 HEIGHT=100 >\r\r</APPLET>\r");

    tag.BasicParams.HSpace = 5;
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"Demo.class\" WIDTH=250 HEIGHT=100 HSPACE=5 VSPACE=0 >");
    tag.BasicParams.HSpace = 0;
    tag.BasicParams.VSpace = -3;
    tag.BasicParams.Align = 0;
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"Demo.class\" WIDTH=250 HEIGHT=100 ALIGN=LEFT HSPACE=0 VSPACE=-3 >");
}

TEST_F(AppletTagTest, AlignmentWithoutAWordCompilesAsBaselineAndIsKept) {
    Load(Template("Code=A.class\r\nAlign=6\r\n", {{"a", "$ALIGN"}}));
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"A.class\" WIDTH=250 HEIGHT=100 >");
    EXPECT_EQ(Lines()[1], "<PARAM NAME=a VALUE=BASELINE>");

    const std::string doc = Write(Template("Code=A.class\r\nAlign=255\r\n", {{"a", "$ALIGN"}}), "d.zrd");
    TKelmFile file(doc);
    tag.Load(file);
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"A.class\" WIDTH=250 HEIGHT=100 >");
    EXPECT_EQ(Lines()[1], "<PARAM NAME=a VALUE=BASELINE>");
    tag.Save(file);
    EXPECT_EQ(file.ReadInteger("Applet Basic Parameters", "Align", 0), 255);
    tag.BasicParams.Align = 7;
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"A.class\" WIDTH=250 HEIGHT=100 ALIGN=ABSBOTTOM >");
}

TEST_F(AppletTagTest, ExtremeSpacingIsWrittenNotLost) {
    Load(Template("Code=A.class\r\nHSpace=$80000000\r\nVSpace=$80000000\r\n", {{"h", "$HSPACE"}}));
    EXPECT_EQ(Lines()[0],
              "<APPLET CODE=\"A.class\" WIDTH=250 HEIGHT=100 HSPACE=-2147483648 VSPACE=-2147483648 >");
    EXPECT_EQ(Lines()[1], "<PARAM NAME=h VALUE=-2147483648>");
}

TEST_F(AppletTagTest, CodeBaseDependsOnThePurpose) {
    Load(Template("Code=A.class\r\n", {{"cb", "$CODEBASE"}}));
    auto codeBase = [&](const std::string& value, int purpose, const std::string& base = "C:\\web\\") {
        tag.BasicParams.CodeBase = value;
        return CodeBaseOf(tag.CompileToHTML(purpose, base));
    };
    for (int purpose : {0, 1, 2})
        EXPECT_EQ(codeBase("C:\\web\\classes", purpose), "classes/") << purpose;
    for (int purpose : {0, 1, 2})
        EXPECT_EQ(codeBase("", purpose), "(none)") << purpose;

    // Letter case alone: no attribute when compared without case, and the relative form is empty.
    EXPECT_EQ(codeBase("c:\\WEB\\", 0), "(none)");
    EXPECT_EQ(codeBase("c:\\WEB\\", 1), "(none)");
    EXPECT_EQ(codeBase("c:\\WEB\\", 2), "(none)");
    EXPECT_EQ(codeBase("http://host/applets", 0, "HTTP://host/Applets"), "(none)");
    EXPECT_EQ(codeBase("http://host/applets", 1, "HTTP://host/Applets"), "http://host/applets");
    EXPECT_EQ(codeBase("Classes", 1, "classes"), "Classes/");
    EXPECT_EQ(codeBase("C:\\web\\classes", 3), "(none)");

    // Paths the program writes keep their backslashes, in the attribute and in $CODEBASE.
    EXPECT_EQ(codeBase("D:\\java\\", 0), "D:\\java\\");
    EXPECT_EQ(codeBase("D:\\java\\", 1), "D:\\java\\");
    EXPECT_EQ(Lines(1, "C:\\web\\")[1], "<PARAM NAME=cb VALUE=D:\\java\\>");
    EXPECT_EQ(codeBase("D:\\java\\", 2), "file:/D:/java/");
    EXPECT_EQ(codeBase("\\\\server\\share\\java\\", 1), "\\\\server\\share\\java\\");
    EXPECT_EQ(Lines(1, "C:\\web\\")[1], "<PARAM NAME=cb VALUE=\\\\server\\share\\java\\>");

    // POSIX folders differ by letter case.
    EXPECT_EQ(codeBase("/srv/WWW/", 0, "/srv/www/"), "../WWW/");
    EXPECT_EQ(codeBase("/srv/www/", 0, "/srv/www/"), "(none)");
}

// The archives follow the code, as typed, whatever the purpose; none writes no attribute at all.
TEST_F(AppletTagTest, ArchiveFollowsTheCodeAndIsAMacro) {
    Load(Template("Code=org.example.Viewer\r\nArchive=lib/viewer.jar,lib/util.jar\r\n"
                  "CodeBase=C:\\web\\classes\r\n",
                  {{"a", "$ARCHIVE"}, {"both", "$CODEBASE$ARCHIVE"}}));
    for (int purpose : {PurposeDos, PurposeClipboard, PurposeDisplay}) {
        SCOPED_TRACE(purpose);
        const TStrings lines = Lines(purpose, "C:\\web\\");
        EXPECT_EQ(lines[0], "<APPLET CODE=\"org.example.Viewer\" ARCHIVE=\"lib/viewer.jar,lib/util.jar\" "
                            "WIDTH=250 HEIGHT=100 CODEBASE=\"classes/\" >");
        EXPECT_EQ(lines[1], "<PARAM NAME=a VALUE=lib/viewer.jar,lib/util.jar>");
        EXPECT_EQ(lines[2], "<PARAM NAME=both VALUE=classes/lib/viewer.jar,lib/util.jar>");
    }

    // Typed blanks stay, and a backslash is no escape.
    tag.BasicParams.Archive = "a.jar, b\\c.jar";
    EXPECT_EQ(Lines(PurposeClipboard, "C:\\web\\")[0],
              "<APPLET CODE=\"org.example.Viewer\" ARCHIVE=\"a.jar, "
              "b\\c.jar\" WIDTH=250 HEIGHT=100 CODEBASE=\"classes/\" >");
    tag.BasicParams.Archive.clear();
    EXPECT_EQ(Lines(PurposeClipboard, "C:\\web\\")[0],
              "<APPLET CODE=\"org.example.Viewer\" WIDTH=250 HEIGHT=100 CODEBASE=\"classes/\" >");
}

// A template may preset the archives; a document keeps them, and one without the key has none.
TEST_F(AppletTagTest, ArchiveIsLoadedAndSaved) {
    Load(Template("Code=A.class\r\nArchive=a.jar,lib/b.jar\r\n", {{"p", "x"}}));
    EXPECT_EQ(tag.BasicParams.Archive, "a.jar,lib/b.jar");
    const std::string doc = Write(Template("Code=A.class\r\n", {{"p", "x"}}), "doc.zrd");
    TKelmFile file(doc);
    tag.Save(file);
    EXPECT_NE(ReadFile(doc).find("Archive=a.jar,lib/b.jar\r\n"), std::string::npos);

    TJavaAppletTag reread;
    TKelmFile again(doc);
    reread.Load(again);
    EXPECT_EQ(reread.BasicParams.Archive, "a.jar,lib/b.jar");
    Load(Template("Code=A.class\r\n", {{"p", "x"}}));
    EXPECT_EQ(tag.BasicParams.Archive, "");
}

// Trust is off by default, kept by a document, never handed on by a template, never in the page.
TEST_F(AppletTagTest, TrustIsTheDocumentsOwnChoice) {
    Load(Template("Code=A.class\r\nTrusted=1\r\nTemplateFile=1\r\n", {{"p", "x"}}));
    EXPECT_FALSE(tag.BasicParams.Trusted);
    const std::string doc = Write(Template("Code=A.class\r\n", {{"p", "x"}}), "doc.zrd");
    TJavaAppletTag document;
    TKelmFile file(doc);
    document.Load(file);
    EXPECT_FALSE(document.BasicParams.Trusted);
    document.BasicParams.Trusted = true;
    document.Save(file);
    EXPECT_NE(ReadFile(doc).find("Trusted=1\r\n"), std::string::npos);
    EXPECT_EQ(document.CompileToHTML(PurposeClipboard, "").find("TRUSTED"), std::string::npos);
    TJavaAppletTag reread;
    TKelmFile again(doc);
    reread.Load(again);
    EXPECT_TRUE(reread.BasicParams.Trusted);
}

TEST_F(AppletTagTest, CodeIsWrittenAsStored) {
    Load(Template("Code=pkg\\Main.class\r\n", {{"c", "$CODE"}}));
    EXPECT_EQ(Lines()[0], "<APPLET CODE=\"pkg\\Main.class\" WIDTH=250 HEIGHT=100 >");
    EXPECT_EQ(Lines()[1], "<PARAM NAME=c VALUE=pkg\\Main.class>");
}

TEST_F(AppletTagTest, ParameterValuesExpandMacrosAndEscapes) {
    Load(Template("Code=A.class\r\nWidth=300\r\nAlternateText=Sized $w\\$\r\n", {{"w", "$WIDTHpx"},
                                                                                 {"missing", "$NOSUCH"},
                                                                                 {"A", "x"},
                                                                                 {"B", "y"},
                                                                                 {"ab", "$A$B"},
                                                                                 {"tab", "a\\tb"},
                                                                                 {"path", "c:\\x"},
                                                                                 {"ref", "$path"},
                                                                                 {"dbl", "a\\\\b"},
                                                                                 {"WIDTH", "mine"},
                                                                                 {"width2", "$WIDTH"},
                                                                                 {"words", "two words"},
                                                                                 {"quoted", "$words!"}}));
    EXPECT_EQ(
        Lines(),
        (TStrings{"<APPLET CODE=\"A.class\" WIDTH=300 HEIGHT=100 >", "<PARAM NAME=w VALUE=300px>",
                  "<PARAM NAME=missing VALUE=$NOSUCH>", "<PARAM NAME=A VALUE=x>", "<PARAM NAME=B VALUE=y>",
                  "<PARAM NAME=ab VALUE=xy>", "<PARAM NAME=tab VALUE=\"a\tb\">",
                  "<PARAM NAME=path VALUE=c:x>", "<PARAM NAME=ref VALUE=c:x>", "<PARAM NAME=dbl VALUE=a\\b>",
                  "<PARAM NAME=WIDTH VALUE=mine>", "<PARAM NAME=width2 VALUE=300>",
                  "<PARAM NAME=words VALUE=\"two words\">", "<PARAM NAME=quoted VALUE=\"two words!\">",
                  "Sized $WIDTHpx$", // a value is inserted as stored, not expanded
                  "</APPLET>"}));
}

TEST_F(AppletTagTest, HugeValuesCompileInLinearTime) {
    const std::size_t size = 1 << 20;
    Load(Template(
        "Code=A.class\r\n",
        {{"dollars", std::string(size, '$')}, {"slashes", std::string(size, '\\')}, {"w", "$WIDTH"}}));
    const auto started = std::chrono::steady_clock::now();
    const TStrings lines = Lines();
    const auto elapsed = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "<PARAM NAME=dollars VALUE=" + std::string(size, '$') + ">");
    EXPECT_EQ(lines[2], "<PARAM NAME=slashes VALUE=" + std::string(size / 2, '\\') + ">");
    EXPECT_EQ(lines[3], "<PARAM NAME=w VALUE=250>");
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 3000);
}

TEST_F(AppletTagTest, SaveWritesTheValuesAndMarksTheFileAsADocument) {
    const std::string tpl = Template("Code=A.class\r\nTemplateFile=1\r\nCopy=A.class a.gif\r\nKeep=me\r\n",
                                     {{"greeting", "Hello"}}) +
                            Ini({"[Pages]", "p=Text", "[Description]", "Comment=Demo"});
    Load(tpl);
    ASSERT_TRUE(tag.BasicParams.TemplateFile);
    const std::string doc = Write(tpl, "doc.zrd");
#ifdef _WIN32
    const std::string link = doc; // no links and modes there: the save goes to the document itself
#else
    fs::permissions(doc, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = dir.file("link.zrd");
    fs::create_symlink(doc, link);
#endif

    tag.BasicParams.Width = 320;
    tag.ObsoleteText->Value = "No Java here";
    tag.JavaAuthor = "Someone";
    dynamic_cast<TAPString&>((*tag.ParamList)[0]).Value = "Good day";
    TKelmFile file(link);
    tag.Save(file);

    EXPECT_EQ(tag.FileName, link);
#ifdef _WIN32
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"doc.zrd", "t.zrt"}));
#else
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(doc).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"doc.zrd", "link.zrd", "t.zrt"}));
#endif
    const std::string saved = ReadFile(doc);
    EXPECT_NE(saved.find("TemplateFile=0\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Keep=me\r\n"), std::string::npos);
    EXPECT_NE(saved.find("AlternateText=No Java here\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Param0=greeting\r\n"), std::string::npos);

    TJavaAppletTag reread;
    TKelmFile docFile(doc);
    reread.Load(docFile);
    EXPECT_FALSE(reread.BasicParams.TemplateFile);
    EXPECT_EQ(reread.BasicParams.Width, 320);
    EXPECT_EQ(reread.ObsoleteText->Value, "No Java here");
    EXPECT_EQ(reread.JavaAuthor, "Someone");
    EXPECT_EQ(reread.Comment, "Demo");
    EXPECT_EQ(reread.PageNames, TStrings{"Text"});
    EXPECT_EQ(reread.FileList, (TStrings{"A.class", "a.gif"}));
    EXPECT_EQ((*reread.ParamList)[0].GetValue(), "Good day");
}

TEST_F(AppletTagTest, SavingIntoANewFileStartsFromAnEmptyOneAndRepointsVectors) {
    Load(Ini({"[Applet Basic Parameters]", "Code=V.class", "[Applet Parameters]", "Param0=list",
              "[list parameter]", "Class=TAPParamVector", "ValidTemplates=item*", "[item template parameter]",
              "Class=TAPString"}));
    const std::string doc = dir.file("new.zrd");
    TKelmFile file(doc);
    tag.Save(file);

    auto& vector = dynamic_cast<TAPParamVector&>((*tag.ParamList)[0]);
    ASSERT_TRUE(vector.SourceFile.has_value());
    EXPECT_EQ(vector.SourceFile->FileName(), doc);
    TJavaAppletTag reread;
    reread.Load(file);
    EXPECT_EQ(reread.BasicParams.Code, "V.class");
    EXPECT_FALSE(reread.BasicParams.TemplateFile);
}

TEST_F(AppletTagTest, AFailedSaveLeavesTheDocumentByteForByte) {
    const std::string tpl = Template("Code=A.class\r\nWidth=250\r\nTemplateFile=1\r\n",
                                     {{"a", "1"}, {"b", "2"}, {"f", "3", "TFailOnSave"}});
    Load(tpl);
    const std::string doc = Write(tpl, "doc.zrd");
    TKelmFile file(doc);
    tag.BasicParams.Width = 999;

    // A write error in the middle of the list...
    (*tag.ParamList)[1].Name = "b\r\nbroken";
    try {
        tag.Save(file);
        FAIL() << "saved";
    } catch (const EWriteError& error) {
        EXPECT_EQ(error.Message(), "Unable to write to " + doc);
    }
    EXPECT_EQ(ReadFile(doc), tpl);
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"doc.zrd", "t.zrt"}));

    // ...or a parameter that fails on its own after writing some keys.
    (*tag.ParamList)[1].Name = "b";
    try {
        tag.Save(file);
        FAIL() << "saved";
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "The device is full");
    }
    EXPECT_EQ(ReadFile(doc), tpl);
    EXPECT_EQ(file.ReadInteger("Applet Basic Parameters", "Width", 0), 250);
    EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"doc.zrd", "t.zrt"}));
    EXPECT_EQ(tag.FileName, dir.file("t.zrt"));
}

TEST_F(AppletTagTest, SavingIntoAReadOnlyFolderFailsCleanly) {
    ZARN_POSIX_ONLY("a folder is made read-only by its mode");
#ifndef _WIN32
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
#endif
    Load(Template("Code=A.class\r\n", {{"a", "1"}}));
    const fs::path folder = dir.path() / "locked";
    fs::create_directory(folder);
    const std::string doc = (folder / "doc.zrd").string();
    WriteFile(doc, "[Applet Basic Parameters]\r\nCode=Old.class\r\n");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    TKelmFile file(doc);
    EXPECT_THROW(tag.Save(file), EWriteError);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(ReadFile(doc), "[Applet Basic Parameters]\r\nCode=Old.class\r\n");
    EXPECT_EQ(FolderEntries(folder), std::set<std::string>{"doc.zrd"});
}

// Sample templates compile to the blocks kept beside the tests. ZARN_UPDATE_GOLDEN=1 rewrites them.
class SampleTemplateTest : public testing::TestWithParam<std::string> {};

TEST_P(SampleTemplateTest, CompilesToItsGoldenBlocks) {
    ClearProfileCache();
    const fs::path templates = fs::path(ZARN_SOURCE_DIR) / "Templates";
    const fs::path path = templates / GetParam();
    TJavaAppletTag tag;
    TKelmFile file(path.string());
    tag.Load(file);

    EXPECT_TRUE(tag.BasicParams.TemplateFile);
    EXPECT_NE(tag.PageNames, TStrings{"Parameters"});
    EXPECT_NE(tag.JavaAuthor, "unknown");
    ASSERT_FALSE(tag.FileList.empty());
    for (const auto& name : tag.FileList)
        EXPECT_TRUE(fs::is_regular_file(path.parent_path() / name)) << name;

    // The web root is the template tree, so file values are relative and do not depend on where the
    // sources lie; the code base sits on another drive, so the clipboard and display forms differ.
    const std::string webRoot = templates.string() + "/";
    tag.BasicParams.WebRoot = webRoot;
    tag.BasicParams.CodeBase = "D:\\java\\applets\\";
    const bool update =
        std::getenv("ZARN_UPDATE_GOLDEN") && std::string(std::getenv("ZARN_UPDATE_GOLDEN")) == "1";
    for (int purpose : {PurposeClipboard, PurposeDisplay}) {
        std::string block = tag.CompileToHTML(purpose, webRoot);
        EXPECT_EQ(block.find(ZARN_SOURCE_DIR), std::string::npos);
        // Kept as handed out to other programs: carriage return and line feed.
        std::string handedOut;
        for (char c : block)
            handedOut += c == '\r' ? std::string("\r\n") : std::string(1, c);
        const std::string golden =
            test::DataPath("golden/" + path.stem().string() + ".purpose" + std::to_string(purpose) + ".html");
        if (update) {
            fs::create_directories(fs::path(golden).parent_path());
            WriteFile(golden, handedOut);
        }
        EXPECT_EQ(handedOut, ReadFile(golden)) << golden;
    }
}

INSTANTIATE_TEST_SUITE_P(Templates, SampleTemplateTest,
                         testing::Values("Text/Ticker.zrt", "Images/ImageFader.zrt", "Clocks/AnalogClock.zrt",
                                         "Vectors/SlideShow.zrt", "Vectors/MenuBar.zrt",
                                         "Vectors/Gallery.zrt"),
                         [](const auto& test) { return fs::path(test.param).stem().string(); });

TEST(SampleTemplates, TogetherUseEveryScalarKind) {
    std::set<std::string> kinds;
    for (const char* name : {"Text/Ticker.zrt", "Images/ImageFader.zrt", "Clocks/AnalogClock.zrt"}) {
        TJavaAppletTag tag;
        TKelmFile file((fs::path(ZARN_SOURCE_DIR) / "Templates" / name).string());
        tag.Load(file);
        for (const auto& param : *tag.ParamList)
            kinds.insert(param->ClassName());
    }
    for (const char* kind : {"TAPString", "TAPNumeric", "TAPFloat", "TAPColor", "TAPColorCombo",
                             "TAPFileName", "TAPBoolean", "TAPComboList", "TAPBevel", "TAPColorOption"})
        EXPECT_TRUE(kinds.count(kind)) << kind;
}

} // namespace
} // namespace zarn
