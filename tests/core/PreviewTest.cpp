#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ScalarParams.h"
#include "paths/PathForms.h"
#include "platform/ProcessActions.h"
#include "profile/Errors.h"
#include "support/RecordingActions.h"
#include "support/ScriptedPrompt.h"
#include "support/TestJars.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/Preview.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using test::WriteJar;
namespace fs = std::filesystem;

// Paths as this system writes them: "\\" between names on Windows.
std::string Native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

#ifdef _WIN32
std::string Slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
#endif

// A local folder as a page's BASE; a drive path reads "file:/C:/...".
std::string BaseURL(const std::string& folder) {
#ifdef _WIN32
    return "file:/" + Slashed(folder);
#else
    return "file:" + folder;
#endif
}

// A local file as the browser is asked to open it: a URL, but a path where paths have drives.
std::string BrowserForm(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    return "file://" + path;
#endif
}

// A help page's URL: a drive path reads "file:///C:/...".
std::string HelpURL(const std::string& path) {
#ifdef _WIN32
    return "file:///" + Slashed(path);
#else
    return "file://" + path;
#endif
}

// A web site with the applet under classes/, a document beside it, and a temporary folder of its own.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "web/classes");
        fs::create_directories(dir.path() / "docs");
        fs::create_directories(dir.path() / "tmp");
        WriteFile(dir.file("web/classes/Demo.class"), "class");
        web = Native(dir.dir() + "web/");
        documentPath = dir.file("docs/demo.zrd");
        WriteDocument("WebRoot=" + dir.dir() + "web\nCodeBase=" + web + "classes\n");
        settings.UseWebAsAV = false;
        settings.AppletViewer = "viewer";
        settings.PathnamesKind = 0;
        settings.WaitForAVToClose = false;
    }

    void WriteDocument(const std::string& paths) {
        WriteFile(documentPath, "[Applet Basic Parameters]\nWidth=300\nHeight=120\nCode=Demo.class\n" +
                                    paths +
                                    "Align=0\nTemplateFile=0\nAlternateText=No applets here\n"
                                    "[Applet Parameters]\nParam0=greeting\nParam1=picture\n"
                                    "[greeting parameter]\nClass=TAPString\nValue=Hello $WIDTH\n"
                                    "[picture parameter]\nClass=TAPFileName\nValue=" +
                                    web + "images/a.gif\n");
        TKelmFile file(documentPath);
        tag.Load(file);
    }

    TPreviewResult Preview() {
        return RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp");
    }

    TempDir dir;
    std::string web;
    std::string documentPath;
    TJavaAppletTag tag;
    TAppSettings settings;
    ScriptedPrompt prompt;
    RecordingActions actions;
    TTempFiles tempFiles;
};

TEST_F(PreviewFixture, PageHoldsTheBlockCompiledAgainstTheWebRoot) {
    const TPreviewResult result = Preview();

    EXPECT_EQ(ReadFile(result.page), "<HTML> <HEAD> <TITLE> Applet test </TITLE>\r\n"
                                     "<BASE HREF=\"" +
                                         BaseURL(web) +
                                         "\">\r\n"
                                         "</HEAD> <BODY>\r\n"
                                         "<APPLET CODE=\"Demo.class\" WIDTH=300 HEIGHT=120 ALIGN=LEFT "
                                         "CODEBASE=\"classes/\" >\r\n"
                                         "<PARAM NAME=greeting VALUE=\"Hello 300\">\r\n"
                                         "<PARAM NAME=picture VALUE=images/a.gif>\r\n"
                                         "No applets here\r\n"
                                         "</APPLET>\r\n"
                                         "\r\n"
                                         "</BODY></HTML>\r\n");
    EXPECT_TRUE(prompt.Texts().empty());
    EXPECT_EQ(tag.BasicParams.WebRoot, web);
    EXPECT_EQ(tag.BasicParams.CodeBase, Native(web + "classes/"));

    // A new page of our own in the given folder, for the user's eyes only, listed for clean-up.
    EXPECT_EQ(ExtractFilePath(result.page), Native(dir.dir() + "tmp/"));
    EXPECT_TRUE(ExtractFileName(result.page).starts_with("ZAR"));
    EXPECT_TRUE(result.page.ends_with(".html"));
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(stat(result.page.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    EXPECT_EQ(tempFiles.Files(), TStrings{result.page});
}

TEST_F(PreviewFixture, ViewerGetsThePageInTheChosenForm) {
    for (int kind : {0, 1, 2}) {
        settings.PathnamesKind = kind;
        actions.starts.clear();
        const TPreviewResult result = Preview();
#ifdef _WIN32
        // Drive paths: their forms are checked one by one below.
        const std::string expected = PreviewPathForViewer(result.page, kind);
#else
        const std::string expected = kind == 1   ? "file://" + result.page
                                     : kind == 2 ? "file:" + result.page
                                                 : result.page;
#endif
        ASSERT_EQ(actions.starts.size(), 1u) << kind;
        EXPECT_EQ(actions.starts[0].program, "viewer");
        EXPECT_EQ(actions.starts[0].arguments, TStrings{expected}) << kind;
        EXPECT_EQ(result.command, "viewer " + expected);
    }
    // Drive paths keep the forms the viewers of that platform expect.
    EXPECT_EQ(PreviewPathForViewer("C:\\TEMP\\ZAR1.html", 0), "C:\\TEMP\\ZAR1.html");
    EXPECT_EQ(PreviewPathForViewer("C:\\TEMP\\ZAR1.html", 1), "file:///C|/TEMP/ZAR1.html");
    EXPECT_EQ(PreviewPathForViewer("C:\\TEMP\\ZAR1.html", 2), "file:/C:/TEMP/ZAR1.html");
    EXPECT_EQ(PreviewPathForViewer("c:/TEMP/ZAR1.html", 7), "c:\\TEMP\\ZAR1.html");
}

TEST_F(PreviewFixture, ViewerPathWithBlanksRunsThatProgram) {
    const std::string viewer = dir.file("my viewer");
    WriteFile(viewer, "");
    settings.AppletViewer = viewer;
    settings.WaitForAVToClose = true;
    TPreviewResult result = Preview();
    ASSERT_EQ(actions.starts.size(), 1u);
    EXPECT_EQ(actions.starts[0].program, viewer);
    EXPECT_EQ(actions.starts[0].arguments, TStrings{result.page});
    EXPECT_TRUE(actions.starts[0].wait);

    // Not a file: a command line, with quotes grouping.
    settings.AppletViewer = "java -cp \"/opt/my classes\" 'Viewer'";
    result = Preview();
    ASSERT_EQ(actions.starts.size(), 2u);
    EXPECT_EQ(actions.starts[1].program, "java");
    EXPECT_EQ(actions.starts[1].arguments, (TStrings{"-cp", "/opt/my classes", "Viewer", result.page}));
}

TEST_F(PreviewFixture, ViewerThatCannotStartIsReported) {
    actions.startWorks = false;
    TPreviewResult result = Preview();
    EXPECT_FALSE(result.started);
    EXPECT_EQ(prompt.Texts(), TStrings{"Can't launch viewer " + result.page + " !"});

    settings.AppletViewer = "  ";
    result = Preview();
    EXPECT_EQ(actions.starts.size(), 1u); // nothing to start
    EXPECT_EQ(prompt.Texts().back(), "Can't launch    " + result.page + " !");
}

TEST_F(PreviewFixture, BrowserGetsThePagesFileURL) {
    settings.UseWebAsAV = true;
    TPreviewResult result = Preview();
    EXPECT_EQ(actions.opened, TStrings{BrowserForm(result.page)});
    EXPECT_TRUE(actions.starts.empty());
    EXPECT_TRUE(prompt.Texts().empty());
    // Without a browser the page's URL is named, so it can be opened by hand.
    actions.openWorks = false;
    result = Preview();
    EXPECT_FALSE(result.started);
    EXPECT_EQ(prompt.Texts(), TStrings{"Could not open " + BrowserForm(result.page) +
                                       ". Please check that you have a properly configured default Web "
                                       "browser."});
    EXPECT_EQ(BrowserFileURL("/tmp/a b#c%.html"), "file:///tmp/a%20b%23c%25.html");
    EXPECT_EQ(BrowserFileURL("C:\\My Docs\\x.html"), "file:///C:/My%20Docs/x.html");
    EXPECT_EQ(BrowserFileURL("\\\\srv\\share\\x.html"), "file://srv/share/x.html");
}

TEST_F(PreviewFixture, EmptyWebRootAndCodeBaseUseTheDocumentsFolder) {
    WriteFile(dir.file("docs/Demo.class"), "class");
    WriteDocument("");
    const TPreviewResult result = Preview();
    const std::string page = ReadFile(result.page);
    EXPECT_NE(page.find("<BASE HREF=\"" + BaseURL(Native(dir.dir() + "docs/")) + "\">"), std::string::npos);
    EXPECT_NE(page.find("ALIGN=LEFT >"), std::string::npos); // code base is the web root: no CODEBASE
    EXPECT_TRUE(prompt.Texts().empty());
    EXPECT_EQ(tag.BasicParams.WebRoot, "");
    EXPECT_EQ(tag.BasicParams.CodeBase, "");
}

// The page's BASE is the web root: a relative code base is found there, whatever folder is current,
// and a web root whose name holds URL characters still leads to it.
TEST_F(PreviewFixture, RelativeCodeBaseAndTheBaseURLFollowTheWebRoot) {
    fs::create_directories(dir.path() / "site#1 x/classes");
    WriteFile(dir.file("site#1 x/classes/Demo.class"), "class");
    struct Case {
        std::string webRoot, codeBase, base, codeBaseAttribute;
    };
    for (const Case& c : {Case{web, "classes", BaseURL(web), " CODEBASE=\"classes/\" >"},
                          Case{web, "classes/", BaseURL(web), " CODEBASE=\"classes/\" >"},
                          Case{dir.dir() + "site#1 x", "classes", BaseURL(dir.dir()) + "site%231%20x/",
                               " CODEBASE=\"classes/\" >"}}) {
        SCOPED_TRACE(c.webRoot + " " + c.codeBase);
        WriteDocument("WebRoot=" + c.webRoot + "\nCodeBase=" + c.codeBase + "\n");
        const fs::path current = fs::current_path();
        fs::current_path(dir.path() / "docs");
        ScriptedPrompt quiet;
        const std::string page = ReadFile(
            RunPreview(tag, documentPath, settings, quiet, actions, tempFiles, dir.dir() + "tmp").page);
        fs::current_path(current);
        EXPECT_TRUE(quiet.Texts().empty()) << quiet.Texts().front();
        EXPECT_NE(page.find("<BASE HREF=\"" + c.base + "\">"), std::string::npos) << page;
        EXPECT_NE(page.find(c.codeBaseAttribute), std::string::npos) << page;
        EXPECT_EQ(tag.BasicParams.CodeBase,
                  c.codeBase.back() == '/' ? c.codeBase : c.codeBase + char(fs::path::preferred_separator));
    }
}

TEST_F(PreviewFixture, MissingAppletIsWarnedAndThePreviewGoesOn) {
    tag.BasicParams.Code = "Nowhere.class";
    Preview();
    EXPECT_EQ(prompt.Texts(),
              TStrings{"Warning : ZARN cannot find the applet file \"Nowhere.class\", which is "
                       "required to preview the applet"});
    EXPECT_EQ(actions.starts.size(), 1u);
}

TEST_F(PreviewFixture, ClassesInPackagesAndArchivesAreFoundOrNamedWithThePlacesLookedAt) {
    fs::create_directories(dir.path() / "web/classes/org/example");
    WriteFile(dir.file("web/classes/org/example/Viewer.class"), "class");
    tag.BasicParams.Code = "org.example.Viewer";
    Preview();
    EXPECT_TRUE(prompt.Texts().empty());

    fs::create_directories(dir.path() / "web/classes/lib");
    if (!WriteJar(dir.file("web/classes/lib/app.jar"), {"org/example/App.class"}))
        GTEST_SKIP() << "this build does not look into archives";
    tag.BasicParams.Code = "org.example.App";
    tag.BasicParams.Archive = "lib/app.jar";
    const std::string page = ReadFile(Preview().page);
    EXPECT_TRUE(prompt.Texts().empty());
    EXPECT_NE(page.find("<APPLET CODE=\"org.example.App\" ARCHIVE=\"lib/app.jar\" "), std::string::npos)
        << page;

    tag.BasicParams.Code = "org.example.Gone";
    Preview();
    const std::string codeBase = tag.BasicParams.CodeBase;
    const std::string documents = ExtractFilePath(documentPath);
    EXPECT_EQ(
        prompt.Texts(),
        TStrings{"Warning : ZARN cannot find the applet class \"org.example.Gone\", which is required to "
                 "preview the applet. Looked for " +
                 codeBase + "org/example/Gone.class (not there), " + codeBase + "lib/app.jar (not in it), " +
                 documents + "org/example/Gone.class (not there), " + documents + "lib/app.jar (missing)"});
}

class ThrowingParam : public TAPString {
public:
    bool CompileParamLines(const std::string&, int, std::vector<TParamLine>&, TStrings*, TStrings*) override {
        throw EZarnError("cannot compile");
    }
};

TEST_F(PreviewFixture, FailureRestoresTheDocumentAndTheCurrentFolder) {
    tag.ParamList->Add(std::make_unique<ThrowingParam>());
    const fs::path current = fs::current_path();
    EXPECT_THROW(Preview(), EZarnError);
    EXPECT_EQ(tag.BasicParams.WebRoot, web);
    EXPECT_EQ(tag.BasicParams.CodeBase, Native(web + "classes/"));
    EXPECT_EQ(fs::current_path(), current);
    ASSERT_EQ(tempFiles.Files().size(), 1u); // the page was made, so it is cleaned up
    EXPECT_TRUE(actions.starts.empty());

    // No temporary folder: nothing made, nothing changed.
    TTempFiles none;
    try {
        RunPreview(tag, documentPath, settings, prompt, actions, none, dir.dir() + "gone");
        FAIL() << "no error";
    } catch (const EZarnError& error) {
        EXPECT_TRUE(
            std::string(error.what()).starts_with("Cannot create the preview page in " + dir.dir() + "gone"));
    }
    EXPECT_TRUE(none.Files().empty());
}

// Stands in for the editor's web server.
class FakeHost : public PreviewHost {
public:
    bool works = true;
    std::string refused;
    std::vector<TStrings> served; // page, web root, code base
    std::optional<TServedPreview> Serve(const std::string& page, const std::string& webRoot,
                                        const std::string& codeBase) override {
        served.push_back({page, webRoot, codeBase});
        if (!works)
            return std::nullopt;
        return TServedPreview{"http://h/~zarn/preview/" + ExtractFileName(page), "http://h/",
                              "http://h/~zarn/code/", refused};
    }
};

// Browser previews go over HTTP when a host serves them: the BASE is the served web root, and a code
// base outside it gets the host's URL. Without a host, or when serving fails, the file URL as before.
TEST_F(PreviewFixture, BrowserPreviewIsServedByTheHost) {
    ZARN_POSIX_ONLY("the loopback server belongs to the editor, which Windows builds leave out");
    fs::create_directories(dir.path() / "lib");
    WriteFile(dir.file("lib/Demo.class"), "class");
    settings.UseWebAsAV = true;
    struct Case {
        std::string codeBase;
        bool works;
        std::string base, codeBaseAttribute;
    };
    for (const Case& c : {Case{web + "classes", true, "http://h/", "CODEBASE=\"classes/\" >"},
                          Case{dir.dir() + "lib", true, "http://h/", "CODEBASE=\"http://h/~zarn/code/\" >"},
                          Case{web + "classes", false, "file:" + web, "CODEBASE=\"classes/\" >"}}) {
        SCOPED_TRACE(c.codeBase);
        WriteDocument("WebRoot=" + web + "\nCodeBase=" + c.codeBase + "\n");
        FakeHost host;
        host.works = c.works;
        actions.opened.clear();
        const TPreviewResult result =
            RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp", &host);
        const std::string page = ReadFile(result.page);
        EXPECT_NE(page.find("<BASE HREF=\"" + c.base + "\">"), std::string::npos) << page;
        EXPECT_NE(page.find(c.codeBaseAttribute), std::string::npos) << page;
        ASSERT_EQ(host.served.size(), 1u);
        EXPECT_EQ(host.served[0], (TStrings{result.page, web, c.codeBase + "/"}));
        EXPECT_EQ(actions.opened, TStrings{c.works ? "http://h/~zarn/preview/" + ExtractFileName(result.page)
                                                   : "file://" + result.page});
        EXPECT_EQ(tag.BasicParams.CodeBase, c.codeBase + "/");
    }
    // The applet viewer reads the page from its file.
    settings.UseWebAsAV = false;
    FakeHost host;
    RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp", &host);
    EXPECT_TRUE(host.served.empty());
    EXPECT_TRUE(prompt.Texts().empty());
    // A folder the host will not serve is not passed over in silence.
    settings.UseWebAsAV = true;
    host.refused = "not served";
    RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp", &host);
    EXPECT_EQ(prompt.Texts(), TStrings{"not served"});
}

// The in-browser runtime goes into browser previews only: never the document, the generated code or
// a page for the applet viewer.
TEST_F(PreviewFixture, CheerpJOptionChangesThePreviewPageOnly) {
    const std::string documentBefore = ReadFile(documentPath);
    const std::string codeBefore = GenerateActualCode(tag);
    settings.UseCheerpJ = true;
    for (bool browser : {true, false}) {
        settings.UseWebAsAV = browser;
        FakeHost host;
        const std::string page = ReadFile(
            RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp", &host)
                .page);
        const size_t loader =
            page.find(std::string("<SCRIPT SRC=\"") + CheerpJLoaderURL + "\"></SCRIPT>\r\n</HEAD>");
        const size_t start = page.find("</APPLET>\r\n\r\n<SCRIPT>cheerpjInit();</SCRIPT>\r\n</BODY>");
        EXPECT_EQ(loader != std::string::npos, browser) << page;
        EXPECT_EQ(start != std::string::npos, browser) << page;
    }
    EXPECT_EQ(GenerateActualCode(tag), codeBefore);
    EXPECT_EQ(ShowHTMLCode(tag).find("cheerpj"), std::string::npos);
    EXPECT_EQ(ReadFile(documentPath), documentBefore);
}

TEST_F(PreviewFixture, CleanUpDeletesThePagesMostRecentFirst) {
    const std::string first = Preview().page;
    const std::string second = Preview().page;
    const std::string third = Preview().page;
    EXPECT_NE(first, second);
    fs::remove(second);
    EXPECT_EQ(tempFiles.CleanUp(), (TStrings{third, first}));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(third));
    EXPECT_TRUE(tempFiles.Files().empty());
}

TEST_F(PreviewFixture, GeneratedCodeGoesToTheClipboardWithCRLF) {
    tag.BasicParams.TemplateFile = false;
    EXPECT_TRUE(CopyActualCode(tag, prompt, actions));
    ASSERT_EQ(actions.clipboard.size(), 1u);
    EXPECT_EQ(actions.clipboard[0],
              "<APPLET CODE=\"Demo.class\" WIDTH=300 HEIGHT=120 ALIGN=LEFT "
              "CODEBASE=\"classes/\" >\r\n<PARAM NAME=greeting VALUE=\"Hello 300\">\r\n"
              "<PARAM NAME=picture VALUE=images/a.gif>\r\nNo applets here\r\n</APPLET>\r\n");
    EXPECT_EQ(prompt.Texts(), TStrings{"Generated HTML code is now in the clipboard.\r"
                                       "You may now paste it into your favorite HTML editor."});
    EXPECT_EQ(ShowHTMLCode(tag).find("\n"), std::string::npos);

    // The code base check still runs without a clipboard; the user is not told the code is there.
    actions.clipboardWorks = false;
    tag.BasicParams.Code = "Nowhere.class";
    ScriptedPrompt no;
    EXPECT_FALSE(CopyActualCode(tag, no, actions));
    ASSERT_EQ(no.Entries().size(), 2u);
    EXPECT_EQ(no.Entries()[0].kind, ScriptedPrompt::Kind::ConfirmWarning);
    EXPECT_EQ(no.Entries()[1].kind, ScriptedPrompt::Kind::Warning);
}

TEST(PreviewText, LineEndsBecomeCRLF) {
    EXPECT_EQ(ToCRLF("a\rb\nc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(ToCRLF(""), "");
    EXPECT_EQ(SplitCommandLine("  a\t'b c'  \"\" d"), (TStrings{"a", "b c", "", "d"}));
}

class HelpPages : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "Docs/applets");
        WriteFile(dir.file("Docs/index.html"), "");
        WriteFile(dir.file("Docs/applets/demo.html"), "");
        WriteFile(dir.file("Docs/run.sh"), "");
        WriteFile(dir.file("secret.html"), "");
    }
    std::string CouldNotOpen(const std::string& path) {
        return "Could not open " + path +
               ". Please check that you have a properly configured default Web browser.";
    }

    TempDir dir;
    // The folder's own separator joins the pages' names.
    const std::string docs = dir.dir() + "Docs" + char(fs::path::preferred_separator);
    ScriptedPrompt prompt;
    RecordingActions actions;
};

TEST_F(HelpPages, PageOpensAsFileURLWithItsAnchor) {
    EXPECT_TRUE(OpenHelpPage(dir.dir(), "index.html", prompt, actions));
    EXPECT_TRUE(OpenHelpPage(dir.path().string(), "applets\\demo.html#Using it", prompt, actions));
    EXPECT_EQ(actions.opened, (TStrings{HelpURL(dir.dir() + "Docs/index.html"),
                                        HelpURL(dir.dir() + "Docs/applets/demo.html") + "#Using%20it"}));
    EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(HelpPages, NamesOutsideTheDocsFolderOrNotPagesAreRefused) {
    for (const std::string& name :
         TStrings{"../secret.html", dir.file("secret.html"), "run.sh", "missing.html", "#top"}) {
        ScriptedPrompt refused;
        EXPECT_FALSE(OpenHelpPage(dir.dir(), name, refused, actions)) << name;
        EXPECT_EQ(refused.Texts(), TStrings{CouldNotOpen(docs + name.substr(0, name.find('#')))});
        EXPECT_EQ(refused.Entries()[0].kind, ScriptedPrompt::Kind::Message);
    }
    EXPECT_TRUE(actions.opened.empty());

    actions.openWorks = false;
    EXPECT_FALSE(OpenHelpPage(dir.dir(), "index.html", prompt, actions));
    EXPECT_EQ(prompt.Texts(), TStrings{CouldNotOpen(docs + "index.html")});
}

TEST(ProcessActionsTest, ReportsWhetherProgramsStartAndOpenersSucceed) {
    ZARN_POSIX_ONLY("the programs true, sh and false and an opener command (WindowsProcessTest there)");
    ProcessActions actions("true");
    EXPECT_TRUE(actions.StartProgram("true", {}, true));
    EXPECT_TRUE(actions.StartProgram("sh", {"-c", "exit 3"}, false));
    EXPECT_FALSE(actions.StartProgram("zarn-no-such-program", {"x"}, true));
    EXPECT_FALSE(actions.StartProgram("", {}, true));
    EXPECT_TRUE(actions.OpenWithDefault("file:///nowhere"));
    EXPECT_FALSE(ProcessActions("false").OpenWithDefault("file:///nowhere"));
    EXPECT_FALSE(ProcessActions("zarn-no-such-opener").OpenWithDefault("x"));
    EXPECT_FALSE(actions.SetClipboardText("x"));
}

} // namespace
} // namespace zarn
