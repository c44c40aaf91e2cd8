// What only the Windows build has: the registry settings store, the profile replacement through
// the system's replacing move, processes started from a quoted command line, pinned libraries.
#ifdef _WIN32

#include "TestUtil.h"

#include "platform/ProcessActions.h"
#include "platform/SettingsStore.h"
#include "plugins/DynamicLibrary.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"

#include <gtest/gtest.h>

#include <windows.h>

// After windows.h, whose declarations it uses.
#include <shellapi.h>

#include <filesystem>

namespace zarn {
namespace {

namespace fs = std::filesystem;

// Test values live in the real key, under names no release uses, and are removed afterwards.
class RegistryStoreTest : public testing::Test {
protected:
    void TearDown() override {
        for (const char* name : {"ZarnTestText", "ZarnTestNumber"})
            RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Trelvix\\ZARN\\1.0", name);
    }
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
};

TEST_F(RegistryStoreTest, ValuesKeepTheirTypeAndNamesIgnoreLetterCase) {
    ASSERT_TRUE(store->Open());
    EXPECT_EQ(store->Location(), "the registry key HKEY_CURRENT_USER\\Software\\Trelvix\\ZARN\\1.0");
    EXPECT_EQ(store->ValueType("ZarnTestText"), TSettingType::Missing);
    store->WriteString("ZarnTestText", "C:\\Program Files\\Java\\bin\\appletviewer.exe \xE9");
    store->WriteInteger("ZarnTestNumber", -2);
    store->Close();

    ASSERT_TRUE(store->Open());
    EXPECT_EQ(store->ValueType("zarntesttext"), TSettingType::Text);
    EXPECT_EQ(store->ValueType("ZARNTESTNUMBER"), TSettingType::Integer);
    EXPECT_EQ(store->ReadString("ZarnTestText"), "C:\\Program Files\\Java\\bin\\appletviewer.exe \xE9");
    EXPECT_EQ(store->ReadInteger("ZarnTestNumber"), -2);
    const struct {
        const char* name;
        bool asText;
        const char* message;
    } refused[] = {
        {"ZarnTestNumber", true, "Invalid data type for 'ZarnTestNumber'"},
        {"ZarnTestText", false, "Invalid data type for 'ZarnTestText'"},
        {"ZarnTestMissing", true, "Failed to get data for 'ZarnTestMissing'"},
    };
    for (const auto& row : refused) {
        try {
            if (row.asText)
                store->ReadString(row.name);
            else
                store->ReadInteger(row.name);
            ADD_FAILURE() << row.name << " was read";
        } catch (const EZarnError& error) {
            EXPECT_EQ(error.Message(), row.message);
        }
    }
    // A value written again under another type takes the new type.
    store->WriteInteger("ZarnTestText", 7);
    EXPECT_EQ(store->ValueType("ZarnTestText"), TSettingType::Integer);
}

TEST(ProfileReplacementTest, WritesReplaceTheFileAndLeaveNothingBeside) {
    test::TempDir dir;
    const std::string path = dir.file("doc.zrd");
    test::WriteFile(path, "[s]\r\nk=old\r\n");
    TIniFile ini(path);
    ini.WriteString("s", "k", "new");
    ini.WriteString("s", "other", "2");
    EXPECT_EQ(test::ReadFile(path), "[s]\r\nk=new\r\nother=2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

// Every argument comes back whole in the started program, as its runtime splits the line.
TEST(WindowsProcessTest, CommandLinesSplitBackIntoTheArgumentsAndNoShellRuns) {
    const std::vector<std::wstring> arguments = {
        L"plain",
        L"",
        L"with blank",
        L"tab\there",
        L"quote\"inside",
        L"\"",
        L"trailing\\",
        L"blank and trailing\\",
        L"back\\\\slashes\\\"quote",
        L"C:\\Program Files\\x\\",
        L"\\\\server\\share",
    };
    const std::wstring line = WindowsCommandLine(L"C:\\My Tools\\viewer.exe", arguments);
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(split, nullptr);
    ASSERT_EQ(std::size_t(count), arguments.size() + 1) << std::string(line.begin(), line.end());
    EXPECT_EQ(std::wstring(split[0]), L"C:\\My Tools\\viewer.exe");
    for (std::size_t i = 0; i < arguments.size(); ++i)
        EXPECT_EQ(std::wstring(split[i + 1]), arguments[i]) << i;
    LocalFree(split);

    ProcessActions actions("cmd.exe");
    EXPECT_TRUE(actions.StartProgram("cmd.exe", {"/c", "exit", "3"}, true));
    EXPECT_TRUE(actions.StartProgram("cmd.exe", {"/c", "exit", "0"}, false));
    EXPECT_FALSE(actions.StartProgram("zarn-no-such-program.exe", {"x"}, true));
    EXPECT_FALSE(actions.StartProgram("", {}, true));
    EXPECT_FALSE(actions.StartProgram("say\"hi.exe", {}, true));
    // Batch files would split their arguments in the command interpreter: never started.
    test::TempDir dir;
    test::WriteFile(dir.file("run.bat"), "@echo off\r\n");
    EXPECT_FALSE(actions.StartProgram(dir.file("run.bat"), {"&", "calc"}, true));
    EXPECT_FALSE(actions.StartProgram(dir.file("RUN.CMD"), {}, true));
    EXPECT_FALSE(ProcessActions("zarn-no-such-opener.exe").OpenWithDefault("x"));
    EXPECT_FALSE(ProcessActions("").OpenWithDefault(""));
}

// A plug-in's code must outlive its handle: its threads or callbacks may still run.
TEST(WindowsLibraryTest, LibrariesStayLoadedAfterTheirHandleCloses) {
    DynamicLibrary library;
    ASSERT_TRUE(library.Open(std::string(ZARN_TEST_PLUGIN_DIR) + "/stub_six.dll")) << library.Error();
    library.Close();
    EXPECT_NE(GetModuleHandleA("stub_six.dll"), nullptr);
    EXPECT_FALSE(library.Open(std::string(ZARN_TEST_PLUGIN_DIR) + "/no_such.dll"));
    EXPECT_FALSE(library.Error().empty());
}

} // namespace
} // namespace zarn

#endif
