#include "TestUtil.h"

#include "paths/InstallPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zarn {
namespace {

namespace fs = std::filesystem;

// An installation staged somewhere the build never configured: prefix/bin and prefix/share/zarn.
struct StagedInstall {
    test::TempDir temp;
    fs::path prefix = fs::canonical(temp.path());
    std::string bin = (prefix / "bin").string();
    fs::path share = prefix / "share" / "zarn";

    StagedInstall() {
        fs::create_directories(bin);
        fs::create_directories(share / "Templates" / "Text");
        fs::create_directories(share / "Docs");
        test::WriteFile((share / "viewer.jar").string(), "PK");
    }
};

TEST(InstallPaths, StagedInstallFindsItsOwnDataThroughTheProgramFolder) {
    ZARN_POSIX_ONLY("the installed layout (share/zarn, lib/zarn) is the one of Linux installs");
    StagedInstall staged;
    EXPECT_EQ(FindTemplatesFolder(staged.bin), (staged.share / "Templates").string());
    EXPECT_EQ(FindHelpRoot(staged.bin), staged.share.string());
    EXPECT_EQ(FindViewerJar(staged.bin, "viewer.jar"), (staged.share / "viewer.jar").string());
    // A folder is not a jar, and a missing jar is not found anywhere else.
    EXPECT_EQ(FindViewerJar(staged.bin, "Docs"), "");
    EXPECT_EQ(FindViewerJar(staged.bin, "missing.jar"), "");

    // Plug-ins: the program's folder first, then a folder of the staged tree, never the source's.
    const std::vector<std::string> plugins = PluginFolderCandidates(staged.bin);
    ASSERT_GE(plugins.size(), 2u);
    EXPECT_EQ(plugins[0], staged.bin);
    EXPECT_EQ(plugins[1].rfind(staged.prefix.string() + "/", 0), 0u) << plugins[1];
    EXPECT_TRUE(plugins[1].ends_with("/zarn")) << plugins[1];
}

TEST(InstallPaths, BesideTheProgramWinsAndMissingDataIsReportedWhereExpected) {
    ZARN_POSIX_ONLY("the installed layout (share/zarn, lib/zarn) is the one of Linux installs");
    StagedInstall staged;
    fs::create_directories(fs::path(staged.bin) / "Templates");
    EXPECT_EQ(FindTemplatesFolder(staged.bin), staged.bin + "/Templates");

    // Nothing anywhere: no templates, and the help root is the program's own folder.
    test::TempDir empty;
    const std::string lonely = fs::canonical(empty.path()).string();
    EXPECT_EQ(FindTemplatesFolder(lonely), "");
    EXPECT_EQ(FindHelpRoot(lonely), lonely);
    // Relative parts are resolved, so the same folder is never listed twice.
    const std::vector<std::string> folders = DataFolderCandidates(lonely + "/./");
    EXPECT_EQ(folders.front(), lonely);
    EXPECT_EQ(std::count(folders.begin(), folders.end(), lonely), 1);
}

TEST(InstallPaths, OnlyTheBuildTreeFallsBackToTheSourceTree) {
    const std::string source = fs::canonical(ZARN_SOURCE_DIR).string();
    const std::vector<std::string> fromBuild = DataFolderCandidates(ZARN_BIN_DIR);
    EXPECT_EQ(fromBuild.back(), source);
    EXPECT_EQ(FindHelpRoot(ZARN_BIN_DIR), source);

    StagedInstall staged;
    for (const std::string& folder : DataFolderCandidates(staged.bin))
        EXPECT_NE(folder, source);
}

} // namespace
} // namespace zarn
