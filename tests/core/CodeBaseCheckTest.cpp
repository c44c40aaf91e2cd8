#include "TestUtil.h"

#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "support/ScriptedPrompt.h"
#include "support/TestJars.h"
#include "tag/AppletTag.h"
#include "tag/CodeBaseCheck.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using test::WriteJar;
namespace fs = std::filesystem;

const std::string kClassWarning = "Warning : the file Demo.class is missing from your Code Base. \r"
                                  "Your applet is very unlikely to run in the current state. You will have "
                                  "to manually copy the files related to your applet into your code base. "
                                  "Continue anyway ?";

std::string MissingQuestion(const TStrings& names) {
    std::string text = "ZARN has found that your code base lacks the following files : \r";
    for (const auto& name : names)
        text += name + "\r";
    return text + "which are very likely to be required by your Applet to run.\r"
                  "Do you want ZARN to copy them into your Code Base ? ";
}

// A template folder holding the applet's files, and a tag loaded from it (fields set directly).
class CodeBaseCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir.path() / "tpl");
        for (const char* name : {"Demo.class", "b.gif", "A.au", "Zeta.jar"})
            WriteFile(dir.file(std::string("tpl/") + name), std::string("content of ") + name);
        tag.FileName = dir.file("tpl/Demo.zrt");
        tag.BasicParams.Code = "Demo.class";
        tag.BasicParams.TemplateFile = true;
        tag.FileList = {"Zeta.jar", "b.gif", "Demo.class", "A.au"};
    }

    std::string CodeBase(const std::string& relative) const { return dir.dir() + relative; }

    TempDir dir;
    TJavaAppletTag tag;
};

TEST_F(CodeBaseCheck, MissingCodeBaseIsCreatedLevelByLevelAndFilledOnYes) {
    tag.BasicParams.CodeBase = CodeBase("site/java/classes");
    ScriptedPrompt prompt({true, true});

    EXPECT_TRUE(CheckFiles(tag, prompt));

    // The code base is ended with the separator its path begins with (the temporary folder's).
    const std::string cb = CodeBase("site/java/classes") + dir.dir().back();
    ASSERT_EQ(prompt.Texts().size(), 2u);
    // Sorted without letter case; the class file is offered because the template names it.
    EXPECT_EQ(prompt.Texts()[0], MissingQuestion({"A.au", "b.gif", "Demo.class", "Zeta.jar"}));
    EXPECT_EQ(prompt.Texts()[1], "The directory " + cb + " does not exists. Should ZARN create it ? ");
    EXPECT_EQ(prompt.Entries()[1].kind, ScriptedPrompt::Kind::Confirm);
    for (const char* name : {"Demo.class", "b.gif", "A.au", "Zeta.jar"})
        EXPECT_EQ(ReadFile(cb + name), std::string("content of ") + name);
    EXPECT_TRUE(MissingSupportFiles(tag).empty());
    EXPECT_FALSE(ClassFileMissing(tag));
}

TEST_F(CodeBaseCheck, NoCopiesNothingAndTheClassWarningDecidesTheResult) {
    tag.BasicParams.CodeBase = CodeBase("cb");
    fs::create_directory(dir.path() / "cb");

    ScriptedPrompt no({false, false});
    EXPECT_FALSE(CheckFiles(tag, no));
    ASSERT_EQ(no.Texts().size(), 2u);
    EXPECT_EQ(no.Texts()[1], kClassWarning);
    EXPECT_EQ(no.Entries()[1].kind, ScriptedPrompt::Kind::ConfirmWarning);
    EXPECT_TRUE(fs::is_empty(dir.path() / "cb"));

    ScriptedPrompt continueAnyway({false, true});
    EXPECT_TRUE(CheckFiles(tag, continueAnyway));
}

TEST_F(CodeBaseCheck, RefusingToCreateTheCodeBaseStillTriesTheCopiesWhichFail) {
    tag.BasicParams.CodeBase = CodeBase("absent/cb");
    ScriptedPrompt prompt({true, false, true});

    EXPECT_TRUE(CheckFiles(tag, prompt));
    EXPECT_FALSE(fs::exists(dir.path() / "absent"));
    ASSERT_EQ(prompt.Texts().size(), 3u);
    EXPECT_EQ(prompt.Texts()[2], kClassWarning);
}

TEST_F(CodeBaseCheck, WithoutACodeBaseNothingIsCopiedAndTheUserIsTold) {
    tag.FileList = {"b.gif"};
    const fs::path here = fs::current_path();
    fs::create_directory(dir.path() / "run");
    fs::current_path(dir.path() / "run");
    ScriptedPrompt prompt({true, true, true});
    EXPECT_TRUE(CheckFiles(tag, prompt));
    fs::current_path(here);
    EXPECT_TRUE(fs::is_empty(dir.path() / "run"));
    ASSERT_GE(prompt.Entries().size(), 1u);
    EXPECT_EQ(prompt.Entries()[0].kind, ScriptedPrompt::Kind::Warning);
    EXPECT_EQ(prompt.Texts()[0], "Your applet will very likely need the following files in its code base : \r"
                                 "b.gif\rZARN did not copy them, because no Code Base is set. Enter the Code "
                                 "Base folder on the Main page and copy them there.");
}

TEST_F(CodeBaseCheck, SavedDocumentAsksOnlyAboutTheClassFile) {
    tag.BasicParams.CodeBase = CodeBase("cb");
    fs::create_directory(dir.path() / "cb");
    tag.BasicParams.TemplateFile = false;

    ScriptedPrompt prompt({true});
    EXPECT_TRUE(CheckFiles(tag, prompt));
    EXPECT_EQ(prompt.Texts(), TStrings{kClassWarning});
    EXPECT_TRUE(fs::is_empty(dir.path() / "cb"));

    WriteFile(dir.file("cb/Demo.class"), "x");
    ScriptedPrompt silent;
    EXPECT_TRUE(CheckFiles(tag, silent));
    EXPECT_TRUE(silent.Texts().empty());
}

TEST_F(CodeBaseCheck, EverythingPresentOrURLCodeBaseAsksNothing) {
    tag.BasicParams.CodeBase = CodeBase("tpl");
    ScriptedPrompt prompt;
    EXPECT_TRUE(CheckFiles(tag, prompt));

    for (const char* url : {"http://example.com/classes", "FTP:host", "news"}) {
        tag.BasicParams.CodeBase = url;
        EXPECT_TRUE(CheckFiles(tag, prompt)) << url;
        EXPECT_TRUE(MissingSupportFiles(tag).empty()) << url;
        EXPECT_FALSE(ClassFileMissing(tag)) << url;
    }
    EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(CodeBaseCheck, EmptyCopyEntryIsListedAndSkipped) {
    tag.BasicParams.CodeBase = CodeBase("cb");
    fs::create_directory(dir.path() / "cb");
    tag.FileList = {"Demo.class", "", "b.gif"};
    ScriptedPrompt prompt({true});

    EXPECT_TRUE(CheckFiles(tag, prompt));
    ASSERT_EQ(prompt.Texts().size(), 1u);
    EXPECT_EQ(prompt.Texts()[0], MissingQuestion({"", "b.gif", "Demo.class"}));
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "cb/Demo.class"));
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "cb/b.gif"));
    EXPECT_EQ(MissingSupportFiles(tag), TStrings{""});
}

TEST_F(CodeBaseCheck, NamesLeadingOutOfTheTemplateFolderAreListedButNotCopied) {
    WriteFile(dir.file("secret.txt"), "secret");
    fs::create_directories(dir.path() / "site/cb");
    tag.BasicParams.CodeBase = CodeBase("site/cb");
    tag.FileList = {"Demo.class", "../secret.txt", dir.file("secret.txt"), "C:\\secret.txt",
                    "sub\\..\\..\\x"};
    ScriptedPrompt prompt({true});

    EXPECT_TRUE(CheckFiles(tag, prompt));
    ASSERT_EQ(prompt.Texts().size(), 2u);
    EXPECT_EQ(prompt.Entries()[1].kind, ScriptedPrompt::Kind::Warning);
    EXPECT_EQ(prompt.Texts()[1], "ZARN did not copy the following files, because their names lead out of the "
                                 "template's folder : \r../secret.txt\r" +
#ifdef _WIN32
                                     std::string("C:\\secret.txt\r") + dir.file("secret.txt") +
                                     "\rsub\\..\\..\\x\r");
#else
                                     dir.file("secret.txt") + "\rC:\\secret.txt\rsub\\..\\..\\x\r");
#endif
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "site/cb/Demo.class"));
    EXPECT_FALSE(fs::exists(dir.path() / "site/secret.txt"));
    EXPECT_EQ(ReadFile(dir.file("secret.txt")), "secret");
    EXPECT_FALSE(IsSafeSupportFileName(".."));
    EXPECT_TRUE(IsSafeSupportFileName("images/..x/a.gif"));
}

// The archives are support files: listed once with the others, copied into their own folders.
TEST_F(CodeBaseCheck, ArchivesAreListedAndCopiedAndTheirClassesFound) {
    fs::create_directories(dir.path() / "tpl/lib");
    if (!WriteJar(dir.file("tpl/lib/viewer.jar"), {"org/example/Viewer.class"}))
        GTEST_SKIP() << "this build does not look into archives";
    fs::create_directory(dir.path() / "cb");
    tag.BasicParams.CodeBase = CodeBase("cb");
    tag.BasicParams.Code = "org.example.Viewer";
    tag.BasicParams.Archive = "Zeta.jar, lib/viewer.jar,gone.jar";
    ScriptedPrompt prompt({true});

    EXPECT_TRUE(CheckFiles(tag, prompt));
    EXPECT_EQ(prompt.Texts(), TStrings{MissingQuestion({"A.au", "b.gif", "Demo.class", "gone.jar",
                                                        "lib/viewer.jar", "Zeta.jar"})});
    EXPECT_EQ(ReadFile(dir.file("cb/lib/viewer.jar")), ReadFile(dir.file("tpl/lib/viewer.jar")));
    EXPECT_EQ(MissingSupportFiles(tag), TStrings{"gone.jar"});
    EXPECT_FALSE(ClassFileMissing(tag));

    // Without its jar the class is named, with the places it was looked for.
    fs::remove(dir.path() / "cb/lib/viewer.jar");
    tag.BasicParams.TemplateFile = false;
    ScriptedPrompt no({false});
    EXPECT_FALSE(CheckFiles(tag, no));
    EXPECT_EQ(no.Texts(),
              TStrings{"Warning : the class org.example.Viewer is missing from your Code Base. "
                       "Looked for org/example/Viewer.class (not there), Zeta.jar (cannot be "
                       "read: Not a zip archive), lib/viewer.jar (missing), gone.jar (missing). \r"
                       "Your applet is very unlikely to run in the current state. You will have "
                       "to manually copy the files related to your applet into your code base. "
                       "Continue anyway ?"});
}

TEST_F(CodeBaseCheck, FileValuesNamingTemplateFilesArePointedAtTheirCopiesOnYes) {
    auto file = [](const std::string& caption, const std::string& value) {
        auto param = std::make_unique<TAPFileName>();
        param->UFName = caption;
        param->Value = value;
        return param;
    };
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        fs::remove_all(dir.path() / "cb");
        fs::create_directory(dir.path() / "cb");
        WriteFile(dir.file("other.gif"), "x");
        tag.BasicParams.CodeBase = CodeBase("cb");
        tag.ParamList = std::make_unique<TAppletParamList>();
        tag.ParamList->Add(file("Background", dir.file("tpl/b.gif")));
        auto images = std::make_unique<TAPParamVector>();
        images->Containers.push_back(std::make_unique<TAPContainer>());
        images->Containers.back()->Field = file("Image", dir.file("tpl/A.au"));
        TAppletParam& image = *images->Containers.back()->Field;
        tag.ParamList->Add(std::move(images));
        // Neither outside the template's folder, nor a URL, nor a file that is not there.
        tag.ParamList->Add(file("Other", dir.file("other.gif")));
        tag.ParamList->Add(file("Web", "http://example.com/b.gif"));
        tag.ParamList->Add(file("Gone", dir.file("tpl/gone.gif")));
        ScriptedPrompt prompt({true, yes}, true);
        TValueChanges changes;

        EXPECT_TRUE(CheckFiles(tag, prompt, &changes));

        ASSERT_GE(prompt.Texts().size(), 2u);
        EXPECT_EQ(prompt.Texts()[1],
                  "The following parameters name files of the template's folder, which the "
                  "page will not find : \rBackground : b.gif\rImage : A.au\rDo you want ZARN "
                  "to copy them into your Code Base and set the parameters to the copies ? ");
        const std::string cb = CodeBase("cb") + dir.dir().back();
        EXPECT_EQ((*tag.ParamList)[0].GetValue(), yes ? cb + "b.gif" : dir.file("tpl/b.gif"));
        EXPECT_EQ(image.GetValue(), yes ? cb + "A.au" : dir.file("tpl/A.au"));
        EXPECT_EQ((*tag.ParamList)[2].GetValue(), dir.file("other.gif"));
        ASSERT_EQ(changes.size(), yes ? 2u : 0u);
        if (yes) {
            EXPECT_EQ(changes[0].param, &(*tag.ParamList)[0]);
            EXPECT_EQ(changes[0].before.Text, dir.file("tpl/b.gif"));
            EXPECT_EQ(changes[1].param, &image);
            EXPECT_EQ(ReadFile(cb + "A.au"), "content of A.au");
        }
        // Pointed at the code base, the values are not offered again.
        EXPECT_EQ(TemplateFileValues(tag).size(), yes ? 0u : 2u);
    }
}

TEST_F(CodeBaseCheck, CopyReplacesAPlantedLinkInsteadOfWritingThroughIt) {
    ZARN_POSIX_ONLY("file links");
    fs::create_directory(dir.path() / "cb");
    tag.BasicParams.CodeBase = CodeBase("cb");
    fs::create_symlink(dir.path() / "outside.gif", dir.path() / "cb/b.gif"); // dangling: counts as missing
    const TCopyReport report = CopySupportFiles(tag, {"b.gif", "nosuch.gif", ""});

    EXPECT_EQ(report.copied, TStrings{"b.gif"});
    EXPECT_EQ(report.failed, (TStrings{"nosuch.gif", ""}));
    EXPECT_FALSE(fs::exists(dir.path() / "outside.gif"));
    EXPECT_FALSE(fs::is_symlink(dir.path() / "cb/b.gif"));
    EXPECT_EQ(ReadFile(dir.file("cb/b.gif")), "content of b.gif");
}

TEST(CodeBaseDirectory, LevelsAreCreatedAtThePathsOwnSeparator) {
    TempDir dir;
    CreateDirectoryLevels(dir.dir() + "a/b/c/");
    EXPECT_TRUE(fs::is_directory(dir.path() / "a/b/c"));

    // A relative path written with "/" is split at "/" too.
    const fs::path kept = fs::current_path();
    fs::current_path(dir.path());
    CreateDirectoryLevels("rel/x/");
    fs::current_path(kept);
    EXPECT_TRUE(fs::is_directory(dir.path() / "rel/x"));
}

} // namespace
} // namespace zarn
