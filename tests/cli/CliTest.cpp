// Drives the real zarn-cli program: output, errors and exit codes of each command.

#include "TestUtil.h"
#include "model/KelmFile.h"
#include "profile/Codepage.h"
#include "tag/AppletTag.h"
#include "tag/Preview.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

namespace zarn::test {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs the program in `cwd` with stdin closed to /dev/null; a run that takes longer than the
// limit is killed and fails the test instead of hanging it.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& cwd) {
    static TempDir captures;
    const std::string outPath = captures.file("out");
    const std::string errPath = captures.file("err");
    const std::string program = std::string(ZARN_BIN_DIR) + "/zarn-cli";

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    RunResult result;
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return result;
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "zarn-cli did not finish in time";
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

// An error as the tool reports it: exit 1, nothing on stdout, one line on stderr.
void ExpectError(const RunResult& result, const std::string& part) {
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("zarn-cli: ", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find(part), std::string::npos) << result.err;
}

// Leftovers of an interrupted write: hidden files beside the documents.
std::vector<std::string> HiddenFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            names.push_back(entry.path().filename().string());
    return names;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(DataPath("cli")))
            fs::copy_file(entry.path(), dir.path() / entry.path().filename());
        templateBytes = ReadFile(file("Sample.zrt"));
    }

    std::string file(const std::string& name) const { return dir.file(name); }
    RunResult run(const std::vector<std::string>& args) const {
        return RunProgram(args, dir.path().string());
    }
    // A document made from the sample, as a first step of many tests.
    void makeDocument(const std::string& name, const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> args = {"new", "Sample.zrt", name};
        args.insert(args.end(), extra.begin(), extra.end());
        const RunResult made = run(args);
        ASSERT_EQ(made.code, 0) << made.err;
    }
    // The block as the editor's "Generate actual code" gives it, computed in this process.
    std::string clipboardText(const std::string& name) const {
        TJavaAppletTag tag;
        TKelmFile profile(file(name));
        tag.Load(profile);
        return GenerateActualCode(tag);
    }

    TempDir dir;
    std::string templateBytes;
};

TEST_F(CliTest, HelpForTheToolAndEachCommand) {
    RunResult main = run({"--help"});
    EXPECT_EQ(main.code, 0);
    EXPECT_EQ(main.out.rfind("Usage: zarn-cli COMMAND", 0), 0u);
    EXPECT_EQ(main.err, "");

    for (const std::string command : {"html", "new", "get", "set", "check", "templates"}) {
        const RunResult help = run({command, "--help"});
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_EQ(help.out.rfind("Usage: zarn-cli " + command, 0), 0u) << help.out;
        // Help wins over everything else wrong on the line.
        const RunResult withJunk = run({command, "--no-such-option", "-h"});
        EXPECT_EQ(withJunk.code, 0) << command;
        EXPECT_EQ(withJunk.out, help.out);
        EXPECT_EQ(run({"help", command}).out, help.out);
    }

    ExpectError(run({}), "missing command (see 'zarn-cli --help')");
    ExpectError(run({"frobnicate"}), "unknown command 'frobnicate'");
}

TEST_F(CliTest, VersionIsTheProjectsOwn) {
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "zarn-cli " ZARN_TEST_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

TEST_F(CliTest, UsageErrorsExitOneWithOneLine) {
    ExpectError(run({"html"}), "missing arguments");
    ExpectError(run({"html", "Sample.zrt", "extra.zrt"}), "too many arguments");
    ExpectError(run({"html", "Sample.zrt", "--purpose"}), "'--purpose' needs a value");
    ExpectError(run({"html", "Sample.zrt", "--purpose", "3"}), "0, 1 or 2");
    ExpectError(run({"html", "Sample.zrt", "--lf=yes"}), "takes no value");
    ExpectError(run({"html", "Sample.zrt", "--colour"}), "unknown option '--colour'");
    ExpectError(run({"set", "Sample.zrt", "count"}), "NAME=VALUE");
    ExpectError(run({"set", "Sample.zrt", "=5"}), "names no parameter");
    ExpectError(run({"check", "Sample.zrt", "--from", "."}), "--from needs --copy");
}

TEST_F(CliTest, HtmlPrintsTheClipboardTextAsUtf8) {
    const RunResult html = run({"html", "Sample.zrt"});
    ASSERT_EQ(html.code, 0) << html.err;
    EXPECT_EQ(html.err, "");
    const std::string expected = clipboardText("Sample.zrt");
    EXPECT_EQ(html.out, Win1252ToUtf8(expected));
    EXPECT_EQ(html.out.rfind("<APPLET CODE=\"Sample.class\" WIDTH=200 HEIGHT=50 >\r\n", 0), 0u) << html.out;
    EXPECT_NE(html.out.find("<PARAM NAME=title VALUE=\"Caf\xC3\xA9 \xE2\x82\xAC 3\">\r\n"),
              std::string::npos);
    EXPECT_NE(html.out.find("No Java here, 200 wide.\r\n</APPLET>\r\n"), std::string::npos);

    const RunResult raw = run({"html", "Sample.zrt", "--raw"});
    EXPECT_EQ(raw.out, expected);

    const RunResult lf = run({"html", "--lf", "Sample.zrt"});
    std::string withoutCR = html.out;
    withoutCR.erase(std::remove(withoutCR.begin(), withoutCR.end(), '\r'), withoutCR.end());
    EXPECT_EQ(lf.out, withoutCR);
}

TEST_F(CliTest, HtmlPurposeAndBaseChooseTheCodeBaseForm) {
    const std::string webRoot = dir.path().string();
    makeDocument("doc.zrd", {"--webroot", webRoot, "--codebase", webRoot + "/applets"});

    const RunResult clipboard = run({"html", "doc.zrd"});
    EXPECT_NE(clipboard.out.find("CODEBASE=\"applets/\" >"), std::string::npos) << clipboard.out;
    EXPECT_EQ(clipboard.out, Win1252ToUtf8(clipboardText("doc.zrd")));

    TJavaAppletTag tag;
    TKelmFile profile(file("doc.zrd"));
    tag.Load(profile);
    const RunResult display = run({"html", "doc.zrd", "--purpose", "2", "--base", "/elsewhere/pages"});
    EXPECT_EQ(display.out, Win1252ToUtf8(ToCRLF(tag.CompileToHTML(PurposeDisplay, "/elsewhere/pages"))));
    EXPECT_NE(display.out.find("CODEBASE=\"../.." + webRoot + "/applets/\""), std::string::npos)
        << display.out;
}

TEST_F(CliTest, LoadFailuresNameTheFile) {
    ExpectError(run({"html", "missing.zrd"}), "missing.zrd: no such file");
    ExpectError(run({"get", "."}), "is a folder");
    // The loader's own message, with the section and class that failed.
    ExpectError(
        run({"html", "Broken.zrt"}),
        "Broken.zrt: List index out of bounds in section [odd parameter] loading class TAPNoSuchKind");
    WriteFile(file("notes.txt"), "just text\n");
    ExpectError(run({"get", "notes.txt"}), "notes.txt: Could not get the [Applet parameters] section");
}

TEST_F(CliTest, NewWritesTheTemplateCopyAsADocument) {
    const RunResult made =
        run({"new", "Sample.zrt", "doc.zrd", "--set", "count=7",
             "--set=TITLE=Gr\xC3\xBC\xC3\x9F"
             "e",
             "--webroot", "/srv/www", "--codebase", "/srv/www/applets", "--set", "align=Middle"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out, "");
    EXPECT_EQ(made.err, "");

    const std::string document = ReadFile(file("doc.zrd"));
    EXPECT_EQ(document.rfind("; Sample template of the command-line tests.", 0), 0u); // the whole copy
    EXPECT_NE(document.find("TemplateFile=0"), std::string::npos);
    EXPECT_NE(document.find("Value=Gr\xFC\xDF"
                            "e"),
              std::string::npos); // stored as Windows-1252
    EXPECT_EQ(ReadFile(file("Sample.zrt")), templateBytes);
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());

    const RunResult values = run({"get", "doc.zrd", "count", "title", "ALIGN", "WEBROOT", "CODEBASE"});
    EXPECT_EQ(values.out, "count=7\ntitle=Gr\xC3\xBC\xC3\x9F"
                          "e\nALIGN=4\nWEBROOT=/srv/www\nCODEBASE=/srv/www/applets\n");

    TJavaAppletTag tag;
    TKelmFile profile(file("doc.zrd"));
    tag.Load(profile);
    EXPECT_FALSE(tag.BasicParams.TemplateFile);
    EXPECT_EQ(tag.Comment, "Caf\xE9 sample for the tests");
}

TEST_F(CliTest, NewRefusesAndLeavesNoPartialDocument) {
    WriteFile(file("doc.zrd"), "keep");
    ExpectError(run({"new", "Sample.zrt", "doc.zrd"}), "doc.zrd: exists already");
    EXPECT_EQ(ReadFile(file("doc.zrd")), "keep");
    // A refused value under --force keeps the old file too.
    ExpectError(run({"new", "Sample.zrt", "doc.zrd", "--force", "--set", "count=x"}),
                "'x' is not a valid integer value");
    EXPECT_EQ(ReadFile(file("doc.zrd")), "keep");
    ASSERT_EQ(run({"new", "Sample.zrt", "doc.zrd", "--force"}).code, 0);
    EXPECT_NE(ReadFile(file("doc.zrd")).find("TemplateFile=0"), std::string::npos);

    ExpectError(run({"new", "Sample.zrt", "fresh.zrd", "--set", "count=many"}),
                "count: 'many' is not a valid integer value");
    ExpectError(run({"new", "Sample.zrt", "fresh.zrd", "--set", "nosuch=1"}), "no parameter 'nosuch'");
    ExpectError(run({"new", "Sample.zrt", "fresh.zrd", "--set", "title=\xE2\x86\x92"}), "Windows-1252");
    ExpectError(run({"new", "Sample.zrt", "fresh.zrd", "--set", "sep=line"}), "keeps no value");
    ExpectError(run({"new", "Sample.zrt", "fresh.zrd", "--set", "WIDTH=0x"}),
                "'0x' is not a valid integer value");
    ExpectError(run({"new", "Broken.zrt", "fresh.zrd"}), "TAPNoSuchKind");
    EXPECT_FALSE(fs::exists(file("fresh.zrd")));
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());

    ExpectError(run({"new", "Sample.zrt", "Sample.zrt", "--force"}), "is the template itself");
    ExpectError(run({"new", "Sample.zrt", "nowhere/doc.zrd"}), "does not exist");
    EXPECT_EQ(ReadFile(file("Sample.zrt")), templateBytes);
}

TEST_F(CliTest, NewThroughALinkReplacesTheLinkedFile) {
    fs::create_directory(dir.path() / "real");
    WriteFile(file("real/doc.zrd"), "old");
    fs::create_symlink("real/doc.zrd", dir.path() / "link.zrd");
    ASSERT_EQ(run({"new", "Sample.zrt", "link.zrd", "--force"}).code, 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.zrd"));
    EXPECT_NE(ReadFile(file("real/doc.zrd")).find("TemplateFile=0"), std::string::npos);
}

// Who may read a document stays as it was, a name means what the system means, and a save that
// cannot reach its document fails.
TEST_F(CliTest, SavesKeepOwnerModeAndTheFileTheSystemMeans) {
    WriteFile(file("private.zrd"), "old");
    ASSERT_EQ(::chmod(file("private.zrd").c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file("private.zrd").c_str(), 65534, 65534), 0);
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"new", "Sample.zrt", "private.zrd", "--force"},
          std::vector<std::string>{"set", "private.zrd", "count=7"}}) {
        SCOPED_TRACE(args[0]);
        const RunResult result = run(args);
        ASSERT_EQ(result.code, 0) << result.err;
        struct stat st {};
        ASSERT_EQ(::stat(file("private.zrd").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        if (root) {
            EXPECT_EQ(st.st_uid, 65534u);
            EXPECT_EQ(st.st_gid, 65534u);
        }
    }
    EXPECT_EQ(run({"get", "private.zrd", "count"}).out, "count=7\n");

    // "lnk/../doc.zrd" with lnk a folder link is real/doc.zrd.
    fs::create_directories(dir.path() / "real" / "inner");
    fs::create_directory_symlink("real/inner", dir.path() / "lnk");
    makeDocument("real/doc.zrd");
    makeDocument("doc.zrd");
    const std::string decoy = ReadFile(file("doc.zrd"));
    const RunResult set = run({"set", "lnk/../doc.zrd", "count=8"});
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(run({"get", "real/doc.zrd", "count"}).out, "count=8\n");
    EXPECT_EQ(ReadFile(file("doc.zrd")), decoy);
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());
    EXPECT_TRUE(HiddenFiles(dir.path() / "real").empty());

    // A long name saves; the temporary name beside it still fits.
    const std::string longName = std::string(240, 'l') + ".zrd";
    makeDocument(longName);
    EXPECT_EQ(run({"set", longName, "count=9"}).code, 0);
    EXPECT_EQ(run({"get", longName, "count"}).out, "count=9\n");
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());
}

TEST_F(CliTest, GetPrintsValuesInTheOrderAsked) {
    const RunResult all = run({"get", "Sample.zrt"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out, "title=Caf\xC3\xA9 \xE2\x82\xAC $count\ncount=3\nmode=1\nshow=1\nratio=0.5\nsep=\n");

    const RunResult some = run({"get", "Sample.zrt", "COUNT", "width", "Title", "hspace", "code"});
    EXPECT_EQ(some.code, 0);
    EXPECT_EQ(some.out,
              "COUNT=3\nwidth=200\nTitle=Caf\xC3\xA9 \xE2\x82\xAC $count\nhspace=0\ncode=Sample.class\n");

    // Nothing is printed when one name is unknown.
    ExpectError(run({"get", "Sample.zrt", "count", "nosuch"}), "no parameter 'nosuch'");

    // "--" ends the options: a file whose name starts with a dash.
    fs::copy_file(file("Sample.zrt"), file("-odd.zrt"));
    EXPECT_EQ(run({"get", "--", "-odd.zrt", "count"}).out, "count=3\n");
}

TEST_F(CliTest, SetSavesAllValuesOrNone) {
    makeDocument("doc.zrd");
    const RunResult set = run({"set", "doc.zrd", "count=9", "ALIGN=absolute middle", "HEIGHT=$10",
                               "title=\xC3\x9C"
                               "ber",
                               "show=0", "ratio=2.25"});
    ASSERT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out, "");
    EXPECT_EQ(run({"get", "doc.zrd", "count", "ALIGN", "HEIGHT", "title", "show", "ratio"}).out,
              "count=9\nALIGN=5\nHEIGHT=16\ntitle=\xC3\x9C"
              "ber\nshow=0\nratio=2.25\n");
    EXPECT_EQ(run({"set", "doc.zrd", "align=ABSBOTTOM"}).code, 0);
    EXPECT_EQ(run({"get", "doc.zrd", "align"}).out, "align=7\n");
    EXPECT_EQ(run({"set", "doc.zrd", "ARCHIVE=lib/a.jar,b.jar"}).code, 0);
    EXPECT_EQ(run({"get", "doc.zrd", "archive"}).out, "archive=lib/a.jar,b.jar\n");
    EXPECT_EQ(run({"get", "doc.zrd", "TRUSTED"}).out, "TRUSTED=0\n");
    EXPECT_EQ(run({"set", "doc.zrd", "trusted=1"}).code, 0);
    EXPECT_EQ(run({"get", "doc.zrd", "trusted"}).out, "trusted=1\n");
    EXPECT_NE(run({"html", "doc.zrd"}).out.find("CODE=\"Sample.class\" ARCHIVE=\"lib/a.jar,b.jar\" "),
              std::string::npos);

    const std::string before = ReadFile(file("doc.zrd"));
    ExpectError(run({"set", "doc.zrd", "count=5", "WIDTH=wide"}),
                "WIDTH: 'wide' is not a valid integer value");
    ExpectError(run({"set", "doc.zrd", "count=5", "ratio=half"}),
                "ratio: 'half' is not a valid floating point value");
    ExpectError(run({"set", "doc.zrd", "ALIGN=8"}), "is not an alignment");
    ExpectError(run({"set", "doc.zrd", "ALIGN=sideways"}), "is not an alignment");
    ExpectError(run({"set", "doc.zrd", "sep=x"}), "keeps no value");
    ExpectError(run({"set", "doc.zrd", "title=two\nlines"}), "line breaks");
    ExpectError(run({"set", "doc.zrd", "nosuch=1"}), "no parameter 'nosuch'");
    ExpectError(run({"set", "doc.zrd"}), "missing arguments");
    EXPECT_EQ(ReadFile(file("doc.zrd")), before);
    EXPECT_TRUE(HiddenFiles(dir.path()).empty());

    // Saving would turn the template into a document.
    ExpectError(run({"set", "Sample.zrt", "count=2"}), "is a template");
    EXPECT_EQ(ReadFile(file("Sample.zrt")), templateBytes);
}

TEST_F(CliTest, CheckListsWhatTheCodeBaseLacks) {
    makeDocument("doc.zrd", {"--codebase", file("cb/applets")});
    // Sorted without letter case; the class file, also a support file, is listed once.
    const RunResult missing = run({"check", "doc.zrd"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_EQ(missing.out, "Alpha.gif\nSample.class\nzeta.gif\n");
    EXPECT_FALSE(fs::exists(file("cb")));

    // The document lies beside the support files, so its own folder is the source.
    const RunResult copied = run({"check", "doc.zrd", "--copy"});
    EXPECT_EQ(copied.code, 0) << copied.err;
    EXPECT_EQ(copied.out, "");
    EXPECT_EQ(ReadFile(file("cb/applets/zeta.gif")), ReadFile(file("zeta.gif")));
    EXPECT_EQ(run({"check", "doc.zrd"}).code, 0);

    ASSERT_EQ(run({"set", "doc.zrd", "CODE=Other.class"}).code, 0);
    const RunResult classOnly = run({"check", "doc.zrd"});
    EXPECT_EQ(classOnly.code, 3);
    EXPECT_EQ(classOnly.out, "Other.class\n");
    EXPECT_EQ(classOnly.err, "");
    ASSERT_EQ(run({"set", "doc.zrd", "CODE=org.example.Viewer", "ARCHIVE=lib/viewer.jar"}).code, 0);
    EXPECT_EQ(run({"check", "doc.zrd"}).err,
              "zarn-cli: the class org.example.Viewer is missing; looked for "
              "org/example/Viewer.class (not there), lib/viewer.jar (missing)\n");
    ASSERT_EQ(run({"set", "doc.zrd", "ARCHIVE="}).code, 0);

    ASSERT_EQ(run({"set", "doc.zrd", "CODEBASE=http://example.com/applets"}).code, 0);
    const RunResult url = run({"check", "doc.zrd", "--copy"});
    EXPECT_EQ(url.code, 0);
    EXPECT_EQ(url.out, "");
}

TEST_F(CliTest, CheckCopiesFromTheTemplateFolderOnly) {
    fs::create_directories(dir.path() / "pages");
    makeDocument("pages/doc.zrd", {"--codebase", file("pages/applets")});
    // Saved away from its template: the copy needs the template's folder.
    const RunResult wrongSource = run({"check", "pages/doc.zrd", "--copy"});
    EXPECT_EQ(wrongSource.code, 3);
    EXPECT_NE(wrongSource.err.find("could not be copied"), std::string::npos);
    EXPECT_EQ(run({"check", "pages/doc.zrd", "--copy", "--from", "."}).code, 0);

    // A name leading out of the template's folder is listed, never copied.
    fs::create_directories(dir.path() / "tpl");
    WriteFile(file("secret.txt"), "outside");
    WriteFile(file("tpl/good.gif"), "good");
    std::string unsafe = templateBytes;
    unsafe.replace(unsafe.find("Copy=Sample.class zeta.gif Alpha.gif"), 36, "Copy=../secret.txt good.gif");
    unsafe.replace(unsafe.find("CodeBase="), 9, "CodeBase=" + file("out/deep"));
    unsafe.replace(unsafe.find("Code=Sample.class"), 17, "Code=good.gif");
    WriteFile(file("tpl/Unsafe.zrt"), unsafe);
    const RunResult refused = run({"check", "tpl/Unsafe.zrt", "--copy"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_EQ(refused.out, "../secret.txt\n");
    EXPECT_NE(refused.err.find("leads out of the template's folder"), std::string::npos);
    EXPECT_TRUE(fs::exists(file("out/deep/good.gif")));
    EXPECT_FALSE(fs::exists(file("out/secret.txt")));
}

TEST_F(CliTest, PlugInParametersUseTheProgramsPlugIns) {
    if (!fs::exists(std::string(ZARN_BIN_DIR) + "/memlet.so"))
        GTEST_SKIP() << "memlet is built with ZARN_GUI only";
    WriteFile(file("Notes.zrt"),
              "[Applet Basic Parameters]\r\nCode=Notes.class\r\nTemplateFile=1\r\n"
              "[Applet Parameters]\r\nParam0=notes\r\n"
              "[notes parameter]\r\nClass=TAPPlugin\r\nPlugin=memlet.dll\r\npclass=Edit\r\n"
              "LineCount=2\r\nLine0=first\r\nLine1=second\r\nFName=notes\r\next=.txt\r\n");
    fs::create_directory(dir.path() / "www");
    ASSERT_EQ(run({"new", "Notes.zrt", "notes.zrd", "--webroot", file("www")}).code, 0);
    // No window system needed: the block compiles and the plug-in writes its data file.
    const RunResult html = run({"html", "notes.zrd", "--lf"});
    EXPECT_EQ(html.code, 0) << html.err;
    EXPECT_NE(html.out.find("<PARAM NAME=notes VALUE=notes.txt>\n"), std::string::npos) << html.out;
    EXPECT_EQ(ReadFile(file("www/notes.txt")), "first\r\nsecond\r\n");
    // The text lives in the plug-in: a value given here would be lost without a word.
    ExpectError(run({"set", "notes.zrd", "notes=other"}), "keeps no value");
}

TEST_F(CliTest, TemplatesShowsTheTreeWithDescriptions) {
    const fs::path root = dir.path() / "Templates";
    fs::create_directories(root / "Clocks");
    fs::create_directories(root / "a" / "b");
    fs::create_directories(root / "Misc");
    fs::copy_file(file("Sample.zrt"), root / "Clocks" / "Analog.zrt");
    fs::copy_file(file("Sample.zrt"), root / "Banner.ZrT");
    fs::copy_file(file("Sample.zrt"), root / "Banner.zrt.bak");
    WriteFile((root / "a" / "b" / "plain.zrt").string(), "[Applet Parameters]\r\nParam0=x\r\n");
    WriteFile((root / "Misc" / "readme.txt").string(), "no templates here");
    // Hostile entries: a link loop, a pipe named like a template, a link to a folder.
    fs::create_directory_symlink("..", root / "a" / "b" / "loop");
    fs::create_directory_symlink(root / "Clocks", root / "Clocks2");
    ASSERT_EQ(mkfifo((root / "a" / "pipe.zrt").c_str(), 0600), 0);

    const RunResult tree = run({"templates", "Templates"});
    EXPECT_EQ(tree.code, 0) << tree.err;
    EXPECT_EQ(tree.out, "a/\n"
                        "  b/\n"
                        "    plain  [a/b/plain.zrt]\n"
                        "        Comment:\n"
                        "        JavaAuthor: unknown\n"
                        "        Copyright:\n"
                        "        Zarnifier: unknown\n"
                        "Banner  [Banner.ZrT]\n"
                        "    Comment: Caf\xC3\xA9 sample for the tests\n"
                        "    JavaAuthor: Ann Author\n"
                        "    Copyright: (c) 2024 Ann Author\n"
                        "    Zarnifier: Test team\n"
                        "Clocks/\n"
                        "  Analog  [Clocks/Analog.zrt]\n"
                        "      Comment: Caf\xC3\xA9 sample for the tests\n"
                        "      JavaAuthor: Ann Author\n"
                        "      Copyright: (c) 2024 Ann Author\n"
                        "      Zarnifier: Test team\n");

    ExpectError(run({"templates", "nowhere"}), "nowhere: is not a folder");
}

TEST_F(CliTest, TemplatesCopesWithLargeAndLockedTrees) {
    const fs::path root = dir.path() / "Many";
    for (int folder = 0; folder < 20; ++folder) {
        const fs::path sub = root / ("f" + std::to_string(folder));
        fs::create_directories(sub);
        for (int i = 0; i < 100; ++i) {
            WriteFile((sub / ("t" + std::to_string(i) + ".zrt")).string(), "[Description]\r\nComment=c\r\n");
            WriteFile((sub / ("x" + std::to_string(i) + ".txt")).string(), "");
        }
    }
    // Deeper than the walk goes: the template at the bottom is not listed, and nothing hangs.
    fs::path deep = root / "deep";
    for (int level = 0; level < 40; ++level)
        deep /= "d";
    fs::create_directories(deep);
    WriteFile((deep / "bottom.zrt").string(), "");

    const RunResult tree = run({"templates", "Many"});
    EXPECT_EQ(tree.code, 0);
    EXPECT_EQ(std::count(tree.out.begin(), tree.out.end(), '['), 2000);
    EXPECT_EQ(tree.out.find("bottom"), std::string::npos);

    if (geteuid() != 0) { // root reads every folder
        fs::create_directories(root / "locked");
        WriteFile((root / "locked" / "hidden.zrt").string(), "");
        fs::permissions(root / "locked", fs::perms::none);
        const RunResult locked = run({"templates", "Many"});
        fs::permissions(root / "locked", fs::perms::owner_all);
        EXPECT_EQ(locked.code, 0);
        EXPECT_EQ(locked.out.find("locked"), std::string::npos);
    }
}

TEST_F(CliTest, TemplatesDefaultsToTheProgramsTemplates) {
    // The build tree has no Templates beside the program; the source tree's are found.
    const RunResult tree = run({"templates"});
    EXPECT_EQ(tree.code, 0) << tree.err;
    EXPECT_NE(tree.out.find("[Text/Ticker.zrt]"), std::string::npos) << tree.out;
}

TEST_F(CliTest, ImportMakesADocumentFromAPageBlock) {
    const std::string templates = std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt";
    WriteFile(file("page.html"),
              "<html><body><p>Old page\n"
              "<APPLET code='Ticker.class' width=300 height=20 codebase=classes>\n"
              "<param name=MESSAGE value=\"Cheap &amp; cheerful $5\"><PARAM NAME=extra VALUE=1>\n"
              "<param name=bold value=maybe>Get Java\n"
              "<applet code=Unknown.class width=1 height=1></applet>\n");
    const RunResult listed = run({"import", "page.html", "doc.zrd"});
    EXPECT_EQ(listed.code, 1);
    EXPECT_NE(listed.out.find("1: Ticker.class  300 x 20  MESSAGE=Cheap & cheerful $5"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.err.find("choose one with --block N"), std::string::npos) << listed.err;
    ExpectError(run({"import", "page.html", "--block", "2", "doc.zrd"}),
                "no template has the CODE Unknown.class");
    ExpectError(run({"import", "page.html", "--block", "3", "doc.zrd"}), "--block takes 1 to 2");
    EXPECT_FALSE(fs::exists(file("doc.zrd")));

    const RunResult made = run({"import", "page.html", "--block", "1", "--template", templates, "doc.zrd"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_NE(made.err.find("not taken: extra=1 (no parameter of this name)"), std::string::npos) << made.err;
    EXPECT_NE(made.err.find("refused: bold=maybe"), std::string::npos) << made.err;
    const RunResult html = run({"html", "doc.zrd", "--lf"});
    ASSERT_EQ(html.code, 0) << html.err;
    EXPECT_EQ(
        html.out.rfind("<APPLET CODE=\"Ticker.class\" WIDTH=300 HEIGHT=20 CODEBASE=\"classes/\" >\n", 0), 0u)
        << html.out;
    EXPECT_NE(html.out.find("<PARAM NAME=message VALUE=\"Cheap & cheerful $5\">"), std::string::npos)
        << html.out;
    EXPECT_NE(html.out.find("\nGet Java\n</APPLET>"), std::string::npos) << html.out;
}

TEST_F(CliTest, ImportNeverReplacesThePageItReads) {
    const std::string templates = std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt";
    const std::string page = "<applet code=Ticker.class><param name=message value=hi></applet>";
    WriteFile(file("page.html"), page);
    fs::create_symlink("page.html", file("link.html"));
    for (const char* target : {"page.html", "link.html", "./page.html"}) {
        ExpectError(run({"import", "page.html", "--template", templates, "--force", target}),
                    std::string(target) + ": is the page itself");
        EXPECT_EQ(ReadFile(file("page.html")), page);
    }
}

// Names and texts from pages and templates cannot forge lines or reach the terminal as commands.
TEST_F(CliTest, PageAndTemplateTextsAreShownWithControlsEscaped) {
    const std::string templates = std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt";
    WriteFile(file("page.html"),
              "<applet code=\"A&#10;2: forged\" width=1><param name=\"p\x1B[2J\" value=1></applet>"
              "<applet code=Ticker.class><param name=\"x&#10;zarn-cli: forged\" value=\"&#13;\"></applet>");
    fs::create_directories(dir.path() / "t");
    WriteFile(file("t/a\nb.zrt"), "[Description]\r\nComment=c\x1B]0;title\x07\r\n");
    const struct {
        std::vector<std::string> args;
        bool toOut;
        std::string shown;
    } cases[] = {
        {{"import", "page.html", "doc.zrd"}, true, "1: A\\n2: forged  1 x ?  p\\x1B[2J=1  (line 1)\n"},
        {{"import", "page.html", "--block", "2", "--template", templates, "doc.zrd"},
         false,
         "zarn-cli: not taken: x\\nzarn-cli: forged=\"\\r\" (no parameter of this name)\n"},
        {{"templates", file("t")}, true, "a\\nb  [a\\nb.zrt]\n    Comment: c\\x1B]0;title\\x07\n"},
    };
    for (const auto& c : cases) {
        const RunResult result = run(c.args);
        const std::string& shown = c.toOut ? result.out : result.err;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        EXPECT_EQ(shown.find_first_of("\x1B\x07\r"), std::string::npos) << shown;
    }
}

TEST_F(CliTest, UpdatePageWritesEachPairAndOneLinePerFailure) {
    const std::string ticker = std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt";
    const std::string one = "<p>one\r\n<applet code=Ticker.class width=9 height=9></applet>\r\n<p>end\r\n";
    const std::string two = "<applet code=A></applet>\n<applet code=B></applet>\n";
    WriteFile(file("one.html"), one);
    WriteFile(file("two.html"), two);
    ASSERT_EQ(run({"import", "one.html", "--template", ticker, "imported.zrd"}).code, 0);
    ASSERT_EQ(run({"set", "imported.zrd", "WIDTH=444"}).code, 0);
    makeDocument("plain.zrd");

    const RunResult pairs =
        run({"update-page", "imported.zrd=one.html", "plain.zrd=two.html", "gone.zrd=one.html"});
    EXPECT_EQ(pairs.code, 1);
    EXPECT_EQ(std::count(pairs.err.begin(), pairs.err.end(), '\n'), 2) << pairs.err;
    EXPECT_NE(pairs.err.find("plain.zrd: two.html: holds 2 applet blocks"), std::string::npos) << pairs.err;
    EXPECT_NE(pairs.err.find("gone.zrd"), std::string::npos) << pairs.err;
    EXPECT_EQ(ReadFile(file("two.html")), two);
    const std::string updated = ReadFile(file("one.html"));
    EXPECT_NE(updated.find("WIDTH=444"), std::string::npos) << updated;
    EXPECT_EQ(updated.rfind("<p>one\r\n<APPLET", 0), 0u) << updated;
    EXPECT_EQ(ReadFile(file("one.html.bak")), one);

    // The document remembers the block as written: the next update needs no page.
    ASSERT_EQ(run({"set", "imported.zrd", "WIDTH=555"}).code, 0);
    const RunResult again = run({"update-page", "imported.zrd"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_NE(ReadFile(file("one.html")).find("WIDTH=555"), std::string::npos);

    const RunResult chosen = run({"update-page", "plain.zrd", "two.html", "--block", "2", "--no-backup"});
    EXPECT_EQ(chosen.code, 0) << chosen.err;
    const std::string written = ReadFile(file("two.html"));
    EXPECT_EQ(written.rfind("<applet code=A></applet>\n<APPLET", 0), 0u) << written;
    EXPECT_FALSE(fs::exists(file("two.html.bak")));
}

TEST_F(CliTest, PreviewWritesThePageAndStartsTheStoredViewer) {
    fs::create_directories(dir.path() / "config/Trelvix/ZARN");
    fs::create_directories(dir.path() / "tmp");
    TScopedEnv config("XDG_CONFIG_HOME", file("config"));
    TScopedEnv temp("TMPDIR", file("tmp"));
    const std::string viewer = file("viewer.sh");
    WriteFile(viewer, "#!/bin/sh\necho \"$@\" >>'" + file("viewed") + "'\n");
    fs::permissions(viewer, fs::perms::owner_all);
    WriteFile(file("config/Trelvix/ZARN/1.0.conf"),
              "[Software\\Trelvix\\ZARN\\1.0]\n\"AppletViewer\"=\"" + viewer +
                  "\"\n\"PathnamesKind\"=dword:00000000\n\"UseWebAsAv\"=dword:00000000\n"
                  "\"WaitForAVToClose\"=dword:00000001\n");

    const RunResult shown = run({"preview", "Sample.zrt"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    ASSERT_FALSE(shown.out.empty());
    const std::string page = shown.out.substr(0, shown.out.size() - 1);
    EXPECT_EQ(shown.out.back(), '\n');
    EXPECT_EQ(page.rfind(file("tmp/"), 0), 0u) << page;
    EXPECT_NE(ReadFile(page).find("<APPLET CODE="), std::string::npos);
    // A bare name is in the current folder, and the page lies elsewhere: its base names that folder.
    EXPECT_NE(ReadFile(page).find("<BASE HREF=\"file:" + dir.dir()), std::string::npos) << ReadFile(page);
    EXPECT_EQ(ReadFile(file("viewed")), page + "\n") << "the viewer is waited for and given the page";

    const RunResult written = run({"preview", "Sample.zrt", "--no-launch"});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_NE(written.out, shown.out) << "each preview has a page of its own";
    EXPECT_TRUE(fs::exists(written.out.substr(0, written.out.size() - 1)));
    EXPECT_EQ(ReadFile(file("viewed")), page + "\n") << "--no-launch starts nothing";

    fs::remove(viewer);
    const RunResult unstartable = run({"preview", "Sample.zrt"});
    EXPECT_EQ(unstartable.code, 1);
    EXPECT_NE(unstartable.err.find("zarn-cli: Can't launch " + viewer), std::string::npos) << unstartable.err;
    ExpectError(run({"preview", "nothing.zrt", "--no-launch"}), "nothing.zrt");
}

} // namespace
} // namespace zarn::test

namespace zarn::test {
namespace {

// The applet's classes are read as data: a java that records being started, first on the search
// path and as JAVA_HOME's, is never run.
TEST(CliScaffoldTest, WritesTemplateFromJarWithoutStartingJava) {
#if !defined(ZARN_SCAFFOLD_JAR) || !defined(ZARN_ARCHIVES)
    GTEST_SKIP() << "no Java compiler at configure time, or no zip library";
#else
    TempDir dir;
    fs::create_directories(dir.path() / "java" / "bin");
    const std::string fakeJava = (dir.path() / "java" / "bin" / "java").string();
    WriteFile(fakeJava, "#!/bin/sh\ntouch '" + dir.file("java-ran") + "'\n");
    fs::permissions(fakeJava, fs::perms::owner_all);
    const TScopedEnv home("JAVA_HOME", (dir.path() / "java").string());
    const TScopedEnv path("PATH", (dir.path() / "java" / "bin").string() + ":" + std::getenv("PATH"));
    const std::string jar = ZARN_SCAFFOLD_JAR;

    const RunResult several = RunProgram({"scaffold", jar, "out.zrt"}, dir.dir());
    EXPECT_EQ(several.code, 1);
    EXPECT_EQ(several.out,
              "InfoApplet 9\norg.zarn.test.plain.PlainApplet 4\norg.zarn.test.swing.SwingApplet 2\n");
    EXPECT_NE(several.err.find("choose one with --class"), std::string::npos) << several.err;
    EXPECT_FALSE(fs::exists(dir.file("out.zrt")));

    const RunResult made = RunProgram({"scaffold", "--class", "InfoApplet", jar, "out.zrt"}, dir.dir());
    EXPECT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out, "out.zrt: InfoApplet, 9 parameters\n");
    ExpectError(RunProgram({"scaffold", "--class", "InfoApplet", jar, "out.zrt"}, dir.dir()),
                "out.zrt already exists (--force replaces it)");
    EXPECT_EQ(RunProgram({"scaffold", "--class=InfoApplet", "--force", jar, "out.zrt"}, dir.dir()).code, 0);
    const RunResult html = RunProgram({"html", "out.zrt", "--lf"}, dir.dir());
    EXPECT_EQ(html.code, 0) << html.err;
    EXPECT_NE(html.out.find("WIDTH=420 HEIGHT=240"), std::string::npos) << html.out;

    ExpectError(RunProgram({"scaffold", jar}, dir.dir()), "needs an archive or folder");
    ExpectError(RunProgram({"scaffold", "--class", "Nope", jar, "x.zrt"}, dir.dir()),
                "Nope is not an applet");
    EXPECT_FALSE(fs::exists(dir.file("java-ran")));
#endif
}

} // namespace
} // namespace zarn::test
