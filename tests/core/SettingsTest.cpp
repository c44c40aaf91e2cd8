#include "TestUtil.h"

#include "platform/SettingsStore.h"
#include "profile/Errors.h"
#include "tag/AppSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using TEnvVar = test::TScopedEnv;

// A private HOME per test, so the user's own settings are never touched.
class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        ZARN_POSIX_ONLY("the settings file; Windows keeps them in the registry (RegistryStoreTest)");
        AppSettings = TAppSettings{};
    }
    void TearDown() override {
        CloseAppSettings({});
        AppSettings = TAppSettings{};
    }

    std::string StoreFile() const { return home.dir() + ".config/Trelvix/ZARN/1.0.conf"; }
    void WriteStore(const std::string& content) {
        fs::create_directories(fs::path(StoreFile()).parent_path());
        WriteFile(StoreFile(), content);
    }
    TSettingsReport Collect() {
        return [this](const std::string& message) { reports.push_back(message); };
    }

    TempDir home;
    TEnvVar homeVar{"HOME", home.path().string().c_str()};
    TEnvVar xdgVar{"XDG_CONFIG_HOME", nullptr};
    std::vector<std::string> reports;
};

const char* const kDefaultFile = "; ZARN settings: \"Name\"=\"text\" or \"Name\"=dword:<hexadecimal>\n"
                                 "[Software\\Trelvix\\ZARN\\1.0]\n"
                                 "\"AppletViewer\"=\"appletviewer\"\n"
                                 "\"PathnamesKind\"=dword:00000001\n"
                                 "\"RealNames\"=dword:00000001\n"
                                 "\"UseWebAsAv\"=dword:00000001\n"
                                 "\"WaitForAVToClose\"=dword:00000001\n"
                                 "\"DefaultWebRoot\"=\"\"\n"
                                 "\"DefaultCodeBase\"=\"\"\n"
                                 "\"ShowHints\"=dword:00000001\n"
                                 "\"UseCheerpJ\"=dword:00000000\n";

TEST_F(SettingsTest, FirstRunReadsDefaultsAndWritesAllEightAtExit) {
    OpenAppSettings(Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(AppSettings, TAppSettings{});
    EXPECT_EQ(AppSettings.AppletViewer, "appletviewer");
    EXPECT_FALSE(fs::exists(StoreFile())) << "nothing is written before the first write";

    CloseAppSettings(Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(AppSettingsStore(), nullptr);
    EXPECT_EQ(ReadFile(StoreFile()), kDefaultFile);
    auto folder = fs::directory_iterator(fs::path(StoreFile()).parent_path());
    EXPECT_EQ(std::distance(folder, fs::directory_iterator()), 1) << "no temporary file is left";
}

TEST_F(SettingsTest, ConfigFolderFollowsXdgConfigHomeWhenAbsolute) {
    EXPECT_EQ(UserConfigFolder(), home.dir() + ".config");
    {
        TEnvVar xdg("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ(UserConfigFolder(), home.dir() + ".config");
    }
    TEnvVar xdg("XDG_CONFIG_HOME", home.file("xdg").c_str());
    OpenAppSettings(Collect());
    AppSettings.ShowHints = false;
    CloseAppSettings(Collect());
    EXPECT_NE(ReadFile(home.file("xdg/Trelvix/ZARN/1.0.conf")).find("\"ShowHints\"=dword:00000000"),
              std::string::npos);
}

TEST_F(SettingsTest, MissingValuesKeepTheFieldAndAnEmptyViewerBecomesTheDefault) {
    WriteStore("\"AppletViewer\"=\"\"\n\"PathnamesKind\"=dword:00000002\n\"RealNames\"=dword:00000005\n");
    FileSettingsStore store(StoreFile());
    ASSERT_TRUE(store.Open());
    TAppSettings settings;
    settings.AppletViewer = "custom";
    settings.DefaultWebRoot = "/srv/www";
    settings.RealNames = false;
    ReadSettings(settings, store, Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(settings.AppletViewer, "appletviewer");
    EXPECT_EQ(settings.PathnamesKind, 2);
    EXPECT_TRUE(settings.RealNames) << "any non-zero integer is true";
    EXPECT_EQ(settings.DefaultWebRoot, "/srv/www");
}

TEST_F(SettingsTest, UseWebAsAVWrittenByHandIsReadAndOverwrittenUnderTheSameValue) {
    WriteStore("\"UseWebAsAV\"=dword:00000000\n");
    OpenAppSettings(Collect());
    EXPECT_FALSE(AppSettings.UseWebAsAV);
    AppSettings.UseWebAsAV = true;
    WriteSettings();
    std::string file = ReadFile(StoreFile());
    EXPECT_NE(file.find("\"UseWebAsAV\"=dword:00000001\n"), std::string::npos);
    EXPECT_EQ(file.find("UseWebAsAv"), std::string::npos) << "no second value under the written name";
    EXPECT_TRUE(reports.empty());
}

TEST_F(SettingsTest, WrongTypesKeepTheDefaultReportOnceAndTheNextWriteRepairsThem) {
    WriteStore("\"AppletViewer\"=dword:00000001\n"
               "\"PathnamesKind\"=\"0\"\n"
               "\"RealNames\"=dword:xyz\n"
               "\"ShowHints\"=\"unterminated\n"
               "\"WaitForAVToClose\"=dword:00000000\n");
    OpenAppSettings(Collect());
    ASSERT_EQ(reports.size(), 1u);
    for (const char* name : {"'AppletViewer'", "'PathnamesKind'", "'RealNames'", "'ShowHints'"})
        EXPECT_NE(reports[0].find(name), std::string::npos) << name;
    EXPECT_NE(reports[0].find(StoreFile()), std::string::npos);
    EXPECT_NE(reports[0].find("should be a number"), std::string::npos);
    EXPECT_EQ(reports[0].find("WaitForAVToClose"), std::string::npos);
    TAppSettings expected;
    expected.WaitForAVToClose = false;
    EXPECT_EQ(AppSettings, expected);

    // Reading a wrong type through the store itself raises the plain message.
    FileSettingsStore store(StoreFile());
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(store.ValueType("pathnameskind"), TSettingType::Text);
    try {
        store.ReadInteger("PathnamesKind");
        FAIL() << "expected EZarnError";
    } catch (const EZarnError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'PathnamesKind'");
    }

    WriteSettings();
    reports.clear();
    TAppSettings reread;
    FileSettingsStore after(StoreFile());
    ASSERT_TRUE(after.Open());
    ReadSettings(reread, after, Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(reread, expected);
}

TEST_F(SettingsTest, FileKeepsForeignLinesAndRoundTripsTexts) {
    WriteStore("; written by hand\r\n"
               "[Software\\Trelvix\\ZARN\\1.0]\r\n"
               "  \"pathnameskind\" =  DWORD:ffffffff  \r\n"
               "\"SomethingElse\"=hex:01,02\r\n"
               "not a value line\r\n");
    FileSettingsStore store(StoreFile());
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(store.ReadInteger("PathnamesKind"), -1);
    EXPECT_EQ(store.ValueType("Missing"), TSettingType::Missing);

    TAppSettings settings;
    settings.DefaultWebRoot = "C:\\Web \"root\"\\";
    settings.DefaultCodeBase = "/srv/caf\xE9/classes";
    settings.PathnamesKind = 0;
    WriteSettings(settings, store);

    std::string file = ReadFile(StoreFile());
    EXPECT_EQ(file.rfind("; written by hand\r\n[Software\\Trelvix\\ZARN\\1.0]\r\n"
                         "\"pathnameskind\"=dword:00000000\r\n"
                         "\"SomethingElse\"=hex:01,02\r\nnot a value line\r\n",
                         0),
              0u);
    EXPECT_NE(file.find("\"DefaultWebRoot\"=\"C:\\\\Web \\\"root\\\"\\\\\"\n"), std::string::npos);

    TAppSettings reread;
    FileSettingsStore again(StoreFile());
    ASSERT_TRUE(again.Open());
    ReadSettings(reread, again, Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(reread, settings);
}

TEST_F(SettingsTest, WritesReplaceTheTargetOfALinkAndKeepItsPermissions) {
    fs::create_directories(fs::path(StoreFile()).parent_path());
    WriteFile(home.file("dotfiles.conf"), "; mine\n");
    fs::permissions(home.file("dotfiles.conf"), fs::perms(0640));
    fs::create_symlink(home.file("dotfiles.conf"), StoreFile());

    OpenAppSettings(Collect());
    CloseAppSettings(Collect());
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(fs::is_symlink(StoreFile()));
    EXPECT_EQ(ReadFile(home.file("dotfiles.conf")).rfind("; mine\n\"AppletViewer\"", 0), 0u);
    EXPECT_EQ(fs::status(home.file("dotfiles.conf")).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_F(SettingsTest, StoreFailuresAreReportedAndNeverStopStartUpOrExit) {
    // A store that cannot be read: defaults, one report, and it is not overwritten at exit.
    fs::create_directories(StoreFile());
    AppSettings.PathnamesKind = 0;
    OpenAppSettings(Collect());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Failed to open ZARN's settings file " + StoreFile());
    EXPECT_EQ(AppSettings.PathnamesKind, 0);
    CloseAppSettings(Collect());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].rfind("Failed to set data for 'AppletViewer' in " + StoreFile(), 0), 0u);
    EXPECT_TRUE(fs::is_directory(StoreFile()));

    // A folder that cannot be created: WriteSettings raises, TryWriteSettings reports.
    TempDir other;
    WriteFile(other.file("Trelvix"), "");
    FileSettingsStore blocked(SettingsFileName(other.path().string()));
    EXPECT_TRUE(blocked.Open()) << "a missing file opens";
    try {
        WriteSettings(TAppSettings{}, blocked);
        FAIL() << "expected EZarnError";
    } catch (const EZarnError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'AppletViewer'");
    }
    EXPECT_FALSE(TryWriteSettings(TAppSettings{}, blocked, {}));

    // A value that would break the line structure is refused; the file stays readable.
    FileSettingsStore store(home.file("plain.conf"));
    ASSERT_TRUE(store.Open());
    TAppSettings settings;
    settings.DefaultWebRoot = "a\nb";
    EXPECT_THROW(WriteSettings(settings, store), EZarnError);
    EXPECT_EQ(store.ValueType("DefaultWebRoot"), TSettingType::Missing);
    EXPECT_EQ(store.ValueType("AppletViewer"), TSettingType::Missing);
}

// All eight values reach the file in one replace: a failure at any of them leaves every old value.
TEST_F(SettingsTest, WriteSettingsStoresAllValuesOrNone) {
    const std::string old = "[Software\\Trelvix\\ZARN\\1.0]\n\"AppletViewer\"=\"old viewer\"\n"
                            "\"ShowHints\"=dword:00000000\n";
    for (int broken = 0; broken < 3; ++broken) {
        SCOPED_TRACE(broken);
        WriteFile(home.file("all.conf"), old);
        FileSettingsStore store(home.file("all.conf"));
        ASSERT_TRUE(store.Open());
        TAppSettings settings;
        settings.AppletViewer = "new viewer";
        settings.ShowHints = true;
        (broken == 0   ? settings.AppletViewer
         : broken == 1 ? settings.DefaultWebRoot
                       : settings.DefaultCodeBase) = "two\rlines";
        const char* name = broken == 0 ? "AppletViewer" : broken == 1 ? "DefaultWebRoot" : "DefaultCodeBase";
        try {
            WriteSettings(settings, store);
            ADD_FAILURE() << "the write succeeded";
        } catch (const EZarnError& error) {
            EXPECT_EQ(error.Message(), std::string("Failed to set data for '") + name + "'");
        }
        EXPECT_EQ(ReadFile(home.file("all.conf")), old);
        EXPECT_EQ(store.ReadString("AppletViewer"), "old viewer");
    }
}

} // namespace
} // namespace zarn
