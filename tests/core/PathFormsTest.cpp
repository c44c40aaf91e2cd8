#include "paths/PathForms.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace zarn;

#ifdef _WIN32
static const std::string kNative = "\\";
#else
static const std::string kNative = "/";
#endif

TEST(PathFormsTest, TrailingSeparatorFollowsThePathsOwnSeparator) {
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\web"), "C:\\web\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\web\\"), "C:\\web\\");
    EXPECT_EQ(WithTrailingBackslash("c:"), "c:\\");
    EXPECT_EQ(WithTrailingBackslash("\\\\m\\share"), "\\\\m\\share\\");
    EXPECT_EQ(WithTrailingBackslash("/srv/web"), "/srv/web/");
    EXPECT_EQ(WithTrailingBackslash("/srv/web/"), "/srv/web/");
    EXPECT_EQ(WithTrailingBackslash("img/a"), "img/a/");
    EXPECT_EQ(WithTrailingBackslash("img/"), "img/");
    EXPECT_EQ(WithTrailingBackslash("classes"), "classes" + kNative);
}

TEST(PathFormsTest, IsURLTestsTheSchemeBeforeTheFirstColon) {
    EXPECT_TRUE(IsURL("Http:"));
    EXPECT_TRUE(IsURL("ftp"));
    EXPECT_TRUE(IsURL("FILE:/c:/x"));
    EXPECT_TRUE(IsURL("news"));
    EXPECT_TRUE(IsURL("minitel:x:y"));
    EXPECT_TRUE(IsURL("https://example.org/a"));
    EXPECT_FALSE(IsURL("c:\\java"));
    EXPECT_FALSE(IsURL(""));
    EXPECT_FALSE(IsURL("classes"));
    EXPECT_FALSE(IsURL(" http:"));
    EXPECT_FALSE(IsURL("httpx://a"));
}

TEST(PathFormsTest, IsRelativePathRejectsRootsAndDrives) {
    EXPECT_TRUE(IsRelativePath(""));
    EXPECT_TRUE(IsRelativePath("classes\\a.gif"));
    EXPECT_TRUE(IsRelativePath("img/a.gif"));
    EXPECT_TRUE(IsRelativePath("c"));
    EXPECT_FALSE(IsRelativePath("/srv"));
    EXPECT_FALSE(IsRelativePath("\\foo"));
    EXPECT_FALSE(IsRelativePath("c:"));
    EXPECT_FALSE(IsRelativePath("c:foo"));
}

TEST(PathFormsTest, DirectoryAndFileExistence) {
    test::TempDir dir;
    const std::string file = dir.file("a.html");
    test::WriteFile(file, "x");
    std::filesystem::create_directory(dir.file("empty"));

    EXPECT_TRUE(DirectoryExists(dir.path().string()));
    EXPECT_TRUE(DirectoryExists(dir.dir()));
    EXPECT_TRUE(DirectoryExists(dir.file("empty")));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(dir.file("missing")));
    EXPECT_FALSE(DirectoryExists(""));

    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.file("empty")));
    EXPECT_FALSE(FileExists(dir.file("missing")));
    EXPECT_FALSE(FileExists(""));
}

TEST(PathFormsTest, MakeRelativePathWindowsExamples) {
    EXPECT_EQ(MakeRelativePath("C:\\web", "c:\\WEB\\classes"), "classes\\");
    EXPECT_EQ(MakeRelativePath("C:\\web\\html\\", "C:\\web\\classes\\"), "..\\classes\\");
    EXPECT_EQ(MakeRelativePath("C:\\web\\a\\", "C:\\web\\ab\\"), "..\\ab\\");
    EXPECT_EQ(MakeRelativePath("C:\\web\\", "C:\\web"), "");
    EXPECT_EQ(MakeRelativePath("C:\\web\\", "D:\\java\\"), "D:\\java\\");
    EXPECT_EQ(MakeRelativePath("C:\\web\\", "classes"), "classes\\");
    EXPECT_EQ(MakeRelativePath("C:\\Web\\Html", "c:\\wEB\\hTML\\"), "");
    EXPECT_EQ(MakeRelativePath("C:\\web\\a\\b\\", "C:\\java"), "..\\..\\..\\java\\");
    // Accented letters match without case as Windows file names do ("é" and "É").
    const std::string lower = std::string("C:\\Donn\xE9") + "es";
    const std::string upper = std::string("c:\\DONN\xC9") + "ES\\x";
    EXPECT_EQ(MakeRelativePath(lower, upper), "x\\");
}

TEST(PathFormsTest, MakeRelativePathUNCShareIsTheRoot) {
    EXPECT_EQ(MakeRelativePath("C:\\web", "\\\\m\\c\\java"), "\\\\m\\c\\java\\");
    EXPECT_EQ(MakeRelativePath("\\\\m\\c\\web", "C:\\java"), "C:\\java\\");
    EXPECT_EQ(MakeRelativePath("\\\\Server\\Share\\web\\", "\\\\server\\SHARE\\classes"), "..\\classes\\");
    EXPECT_EQ(MakeRelativePath("\\\\server\\share", "\\\\SERVER\\share\\web\\classes"), "web\\classes\\");
    EXPECT_EQ(MakeRelativePath("\\\\server\\share\\web", "\\\\server\\other\\web"),
              "\\\\server\\other\\web\\");
    EXPECT_EQ(MakeRelativePath("\\\\server\\share\\web", "\\\\server2\\share\\web"),
              "\\\\server2\\share\\web\\");
    EXPECT_EQ(MakeRelativePath("\\\\server\\sh\\web", "\\\\server\\share\\web"), "\\\\server\\share\\web\\");
    EXPECT_EQ(MakeRelativePath("\\\\server", "\\\\server\\x"), "\\\\server\\x\\");
}

TEST(PathFormsTest, MakeRelativePathPosixPaths) {
    EXPECT_EQ(MakeRelativePath("/srv/site", "/srv/site/classes"), "classes/");
    EXPECT_EQ(MakeRelativePath("/srv/site/html/", "/srv/site/classes/"), "../classes/");
    EXPECT_EQ(MakeRelativePath("/a/", "/a"), "");
    EXPECT_EQ(MakeRelativePath("/a/b", "/c"), "../../c/");
    EXPECT_EQ(MakeRelativePath("/", "/srv"), "srv/");
    // Letter case counts on POSIX.
    EXPECT_EQ(MakeRelativePath("/srv/Site/", "/srv/site/x"), "../site/x/");
    // No shared root: the target itself, with its own separator.
    EXPECT_EQ(MakeRelativePath("/srv/site/", "C:\\java"), "C:\\java\\");
    EXPECT_EQ(MakeRelativePath("C:\\web", "/srv/java"), "/srv/java/");
    EXPECT_EQ(MakeRelativePath("/srv/site/", "\\\\m\\c\\java"), "\\\\m\\c\\java\\");
    EXPECT_EQ(MakeRelativePath("/srv/site/", "classes"), "classes/");
    EXPECT_EQ(MakeRelativePath("/srv/site/", "img/a"), "img/a/");
    EXPECT_EQ(MakeRelativePath("classes", "classes"), "classes" + kNative);
}

TEST(PathFormsTest, RelativeCodeBaseUsesSlashesForRelativeResults) {
    EXPECT_EQ(RelativeCodeBase("C:\\web\\html\\", "C:\\web\\classes\\"), "../classes/");
    EXPECT_EQ(RelativeCodeBase("C:\\web", "c:\\WEB\\classes"), "classes/");
    EXPECT_EQ(RelativeCodeBase("C:\\web\\", "D:\\java\\"), "D:\\java\\");
    EXPECT_EQ(RelativeCodeBase("C:\\web\\", "\\\\m\\c\\java"), "\\\\m\\c\\java\\");
    EXPECT_EQ(RelativeCodeBase("C:\\web", "C:\\WEB"), "");
    EXPECT_EQ(RelativeCodeBase("classes", "classes"), "classes/");
    EXPECT_EQ(RelativeCodeBase("C:\\web\\", "http://host/classes"), "http://host/classes");
    EXPECT_EQ(RelativeCodeBase("news", "news"), "news");

    EXPECT_EQ(RelativeCodeBase("/srv/site/", "/srv/site/classes"), "classes/");
    EXPECT_EQ(RelativeCodeBase("/srv/site/html/", "/srv/site/classes/"), "../classes/");
    EXPECT_EQ(RelativeCodeBase("/a/", "/a"), "");
    EXPECT_EQ(RelativeCodeBase("/srv/site/", "/opt/java"), "../../opt/java/");
    EXPECT_EQ(RelativeCodeBase("C:\\web\\", "/opt/java"), "/opt/java/");
}

TEST(PathFormsTest, PreviewForms) {
    EXPECT_EQ(ToFileURL("c:\\foo\\bar.html"), "file:/c:/foo/bar.html");
    EXPECT_EQ(ToFileURL("\\\\machine\\c\\x.html"), "file://machine/c/x.html");
    EXPECT_EQ(ToFileURL("\\foo"), "file:/foo");
    EXPECT_EQ(ToFileURL("classes\\a.gif"), "classes/a.gif");
    EXPECT_EQ(ToFileURL(""), "");
    EXPECT_EQ(ToFileURL("/srv/site/a.html"), "file:/srv/site/a.html");
    EXPECT_EQ(ToFileURL("img/a.gif"), "img/a.gif");

    EXPECT_EQ(ToNetscapeURL("c:\\Temp\\My Page.html"), "file:///c|/Temp/My%20Page.html");
    EXPECT_EQ(ToNetscapeURL("C:\\x"), "file:///C|/x");
    EXPECT_EQ(ToNetscapeURL("Temp\\My Page.html"), "Temp/My%20Page.html");
    EXPECT_EQ(ToNetscapeURL("\\\\m\\c\\a b#%?.html"), "//m/c/a%20b#%?.html");
    EXPECT_EQ(ToNetscapeURL("/srv/My Page.html"), "file:///srv/My%20Page.html");
    EXPECT_EQ(ToNetscapeURL(""), "");

    EXPECT_EQ(ToDosPath("c:/foo/bar.html"), "c:\\foo\\bar.html");
    EXPECT_EQ(ToDosPath("a\\b c"), "a\\b c");
}

// On POSIX a backslash is a character of a name like any other: every function keeps it in its name.
TEST(PathFormsTest, PosixPathsKeepBackslashesInTheirNames) {
    struct Case {
        std::string got, expected;
    };
    const Case cases[] = {
        {WithTrailingBackslash("/srv/my\\dir"), "/srv/my\\dir/"},
        {WithTrailingBackslash("/srv/dir\\"), "/srv/dir\\/"},
        {WithTrailingBackslash("/srv/dir\\/"), "/srv/dir\\/"},
        {MakeRelativePath("/srv/", "/srv/my\\dir"), "my\\dir/"},
        {MakeRelativePath("/srv/a\\b", "/srv/a\\c"), "../a\\c/"},
        {MakeRelativePath("/srv/my\\dir", "/srv/my\\dir\\"), "../my\\dir\\/"},
        {RelativeCodeBase("/srv/", "/srv/my\\classes"), "my\\classes/"},
        {RelativeCodeBase("/srv/web\\x/", "/srv/web\\x/a\\b/"), "a\\b/"},
        {ToNetscapeURL("/srv/my\\dir/a b.html"), "file:///srv/my%5Cdir/a%20b.html"},
        {ExtractFilePath("/srv/my\\dir/a.html"), "/srv/my\\dir/"},
        {ExtractFileName("/srv/my\\a.html"), "my\\a.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(PathFormsTest, FolderAndNameParts) {
    EXPECT_EQ(ExtractFilePath("C:\\web\\a.html"), "C:\\web\\");
    EXPECT_EQ(ExtractFileName("C:\\web\\a.html"), "a.html");
    EXPECT_EQ(ExtractFilePath("c:a.html"), "c:");
    EXPECT_EQ(ExtractFilePath("img/a.gif"), "img/");
    EXPECT_EQ(ExtractFilePath("a.gif"), "");
    EXPECT_EQ(ExtractFileName("a.gif"), "a.gif");
    EXPECT_EQ(ExtractFilePath("/srv/site/a:b.html"), "/srv/site/");
    EXPECT_EQ(ExtractFileName("/srv/site/a:b.html"), "a:b.html");
    EXPECT_EQ(ExtractFileName("/srv/site/"), "");

    EXPECT_TRUE(IsPosixPath("/srv"));
    EXPECT_FALSE(IsPosixPath("\\\\m\\c"));
    EXPECT_FALSE(IsPosixPath("img/a.gif"));
    EXPECT_FALSE(IsPosixPath(""));
}
