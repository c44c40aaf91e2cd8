#include "TestUtil.h"
#include "support/RecordingActions.h"
#include "support/ScriptedPrompt.h"

#include "model/KelmFile.h"
#include "paths/PathForms.h"
#include "platform/JavaRuntime.h"
#include "platform/PlatformActions.h"
#include "platform/SettingsStore.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/Preview.h"
#include "tag/Prompt.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::TScopedEnv;
using test::WriteFile;

TEST(JavaRuntimeTest, VersionsFromReleaseFilesAndVersionTexts) {
    const std::pair<const char*, int> versions[] = {
        {"1.8.0_392", 8}, {"17.0.15", 17}, {"25", 25}, {"26-ea", 26}, {"1.4.2", 4}, {"", 0}, {"abc", 0}};
    for (const auto& [text, major] : versions)
        EXPECT_EQ(JavaMajorVersion(text), major) << text;
    EXPECT_EQ(ReleaseFileVersion("IMPLEMENTOR=\"Someone\"\nJAVA_VERSION=\"21.0.2\"\nOS_NAME=\"Linux\"\n"),
              "21.0.2");
    EXPECT_EQ(ReleaseFileVersion("JAVA_RUNTIME_VERSION=\"21\"\n"), "");
}

// Kits made of a release file, or a java that only answers -version.
class JavaSearchTest : public ::testing::Test {
protected:
    std::string Kit(const std::string& name, const std::string& version, bool releaseFile = true) {
        const fs::path home = dir.path() / "jvm" / name;
        fs::create_directories(home / "bin");
        const std::string java = (home / "bin" / "java").string();
        WriteFile(java, "#!/bin/sh\necho 'openjdk version \"" + version + "\" 2030-01-01' >&2\n");
        fs::permissions(java, fs::perms::owner_all);
        if (releaseFile)
            WriteFile((home / "release").string(), "JAVA_VERSION=\"" + version + "\"\n");
        return java;
    }
    std::string Jvm() const { return dir.file("jvm"); }

    TempDir dir;
    TScopedEnv path{"PATH", "/nonexistent"};
};

TEST_F(JavaSearchTest, JavaHomeThenPathThenTheKitsFolderEachOnceAndTheFirstUsableWins) {
    ZARN_POSIX_ONLY("the kits are made of links and executable bits");
    const std::string newest = Kit("a-26", "26");
    const std::string old = Kit("b-11", "11.0.2", false);
    const std::string current = Kit("c-17", "17.0.15");
    fs::create_directories(dir.path() / "bin");
    fs::create_symlink(current, dir.path() / "bin" / "java");
    TScopedEnv home("JAVA_HOME", (dir.path() / "jvm" / "a-26").string());
    TScopedEnv pathVar("PATH", dir.file("bin"));

    EXPECT_EQ(JavaCandidates(Jvm()), (TStrings{newest, dir.file("bin/java"), old}))
        << "the kit reached through the PATH's link is not listed twice";
    const TJavaSearch search = FindJavaRuntime(Jvm());
    ASSERT_TRUE(search.usable);
    EXPECT_EQ(search.usable->program, dir.file("bin/java"));
    EXPECT_EQ(search.usable->version, "17.0.15") << "read from the kit the link leads to";
    ASSERT_EQ(search.unusable.size(), 1u);
    EXPECT_EQ(search.unusable[0].major, 26);
    EXPECT_NE(UnusableJavaMessage(search.unusable[0]).find("Java 26 and later have no applet classes"),
              std::string::npos);

    TScopedEnv noPath("PATH", "/nonexistent");
    fs::remove_all(dir.path() / "jvm" / "c-17");
    const TJavaSearch older = FindJavaRuntime(Jvm());
    ASSERT_TRUE(older.usable);
    EXPECT_EQ(older.usable->version, "11.0.2") << "without a release file the kit is asked";
}

TEST_F(JavaSearchTest, OnlyKitsWithoutAppletsOrNoneAtAllAreToldPlainly) {
    ZARN_POSIX_ONLY("the kits are made of links and executable bits");
    TScopedEnv home("JAVA_HOME", dir.file("nowhere"));
    const TJavaSearch none = FindJavaRuntime(Jvm());
    EXPECT_FALSE(none.usable);
    EXPECT_EQ(JavaSearchSummary(none).rfind("No Java runtime found", 0), 0u);
    Kit("x-27", "27.0.1");
    const TJavaSearch tooNew = FindJavaRuntime(Jvm());
    EXPECT_FALSE(tooNew.usable);
    EXPECT_EQ(JavaSearchSummary(tooNew).rfind("Java 27.0.1 (", 0), 0u) << JavaSearchSummary(tooNew);
}

TEST(ZarnViewerSettingsTest, AFreshInstallChoosesTheViewerOnlyWhenItRunsAndNothingIsStored) {
    TempDir dir;
    struct Case {
        std::string stored;
        bool runs;
        bool chosen;
    };
    const Case cases[] = {
        {"", true, true},
        {"", false, false},
        {"\"AppletViewer\"=\"/opt/viewer\"\n", true, false},
        {"\"UseWebAsAV\"=dword:00000001\n", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteFile(dir.file("s.conf"), "[Software\\Trelvix\\ZARN\\1.0]\n" + c.stored);
        FileSettingsStore store(dir.file("s.conf"));
        ASSERT_TRUE(store.Open());
        TAppSettings settings;
        ReadSettings(settings, store);
        const TAppSettings before = settings;
        EXPECT_EQ(ChooseZarnViewerWhenFresh(settings, store, [&] { return c.runs; }), c.chosen);
        EXPECT_EQ(UsesZarnViewer(settings), c.chosen);
        if (!c.chosen) {
            EXPECT_EQ(settings, before);
        }
    }
}

TEST(ZarnViewerSettingsTest, PreviewStartsJavaWithTheJarAndThePageWithoutWaiting) {
    TempDir dir;
    WriteFile(dir.file("Demo.class"), "class");
    WriteFile(dir.file("demo.zrd"),
              "[Applet Basic Parameters]\nCode=Demo.class\nWidth=20\nHeight=10\n[Applet "
              "Parameters]\nParam0=a\n[a parameter]\nClass=TAPString\nValue=x\n");
    TJavaAppletTag tag;
    TKelmFile file(dir.file("demo.zrd"));
    tag.Load(file);
    TAppSettings settings;
    settings.UseWebAsAV = false;
    settings.AppletViewer = ZarnAppletViewer;
    ScriptedPrompt prompt;
    RecordingActions actions;
    TTempFiles pages;
    // Opened by a relative name, as from the command line: the page in the temporary folder still
    // gets the document's folder, absolute, as its base.
    const fs::path current = fs::current_path();
    fs::current_path(dir.path().parent_path());
    const TPreviewResult result = RunPreview(tag, dir.path().filename().string() + "/demo.zrd", settings,
                                             prompt, actions, pages, dir.dir());
    fs::current_path(current);
    EXPECT_NE(ReadFile(result.page).find("<BASE HREF=\"" + ToFileURL(dir.dir())), std::string::npos)
        << ReadFile(result.page);
    const TZarnViewerLaunch launch = ZarnViewerLaunch();
    if (!launch.problem.empty()) {
        EXPECT_TRUE(actions.starts.empty());
        EXPECT_EQ(prompt.Texts(), TStrings{launch.problem});
        GTEST_SKIP() << "without Java or the viewer's jar: " << launch.problem;
    }
    EXPECT_TRUE(prompt.Texts().empty());
    ASSERT_EQ(actions.starts.size(), 1u);
    EXPECT_EQ(actions.starts[0].program, launch.java);
    // Runtimes that have a security manager only when told get told, for the viewer's sandbox.
    TStrings expected = {"-jar", ViewerJarPath(), result.page};
    if (AllowsSecurityManagerOption(FindJavaRuntime().usable->major))
        expected.insert(expected.begin(), "-Djava.security.manager=allow");
    EXPECT_EQ(actions.starts[0].arguments, expected);
    EXPECT_FALSE(actions.starts[0].wait);
    EXPECT_NE(ReadFile(result.page).find("<APPLET CODE=\"Demo.class\""), std::string::npos);

    // A document that trusts its applet has it run outside the sandbox.
    tag.BasicParams.Trusted = true;
    const TPreviewResult trusted =
        RunPreview(tag, dir.file("demo.zrd"), settings, prompt, actions, pages, dir.dir());
    ASSERT_EQ(actions.starts.size(), 2u);
    expected.back() = "--trusted";
    expected.push_back(trusted.page);
    EXPECT_EQ(actions.starts[1].arguments, expected);
}

TEST(ZarnViewerSettingsTest, OnlyRuntimesThatTakeItAreToldToAllowTheSecurityManager) {
    for (const auto& [major, allows] : std::vector<std::pair<int, bool>>{{0, false},
                                                                         {8, false},
                                                                         {11, false},
                                                                         {12, true},
                                                                         {17, true},
                                                                         {23, true},
                                                                         {24, false},
                                                                         {25, false}})
        EXPECT_EQ(AllowsSecurityManagerOption(major), allows) << major;
}

} // namespace
} // namespace zarn
