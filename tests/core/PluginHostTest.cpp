#include "TestUtil.h"

#include "model/KelmFile.h"
#include "plugins/Plugin.h"
#include "plugins/PluginFolders.h"
#include "profile/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

// "MLT" and one to five upper-case hexadecimal digits, then the extension.
bool IsGeneratedDataName(const std::string& name, const std::string& ext = "") {
    if (name.size() < 3 + ext.size() || name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    const std::string stem = name.substr(0, name.size() - ext.size());
    if (stem.rfind("MLT", 0) != 0 || stem.size() < 4 || stem.size() > 8)
        return false;
    return stem.find_first_not_of("0123456789ABCDEF", 3) == std::string::npos;
}

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string MemletPath = std::string(ZARN_BIN_DIR) + "/memlet.so";

// A document with the plug-in parameters given as (name, section lines after "Class").
std::string pluginDoc(const std::vector<std::pair<std::string, std::string>>& params) {
    std::string text = "[Applet Parameters]\r\n";
    for (std::size_t i = 0; i < params.size(); ++i)
        text += "Param" + std::to_string(i) + "=" + params[i].first + "\r\n";
    for (const auto& [name, body] : params)
        text += "\r\n[" + name + " parameter]\r\nClass=TAPPlugin\r\nUFName=Text\r\n" + body;
    return text;
}

std::string pluginDoc(const std::string& body) {
    return pluginDoc({{"notes", body}});
}

const std::string NotesBody = "Plugin=memlet.dll\r\npclass=Edit\r\nLineCount=2\r\nLine0=first line\r\n"
                              "Line1=second\r\nFName=notes\r\next=.txt\r\n";

class PluginHostTest : public testing::Test {
protected:
    void SetUp() override {
        SetPluginSearchPath({ZARN_TEST_PLUGIN_DIR});
        fs::create_directory(site_);
    }
    void TearDown() override { SetPluginSearchPath({}); }

    static bool haveMemlet() { return fs::exists(MemletPath); }

    std::unique_ptr<TAppletParamList> load(const std::string& content) {
        WriteFile(doc_, content);
        TKelmFile file(doc_);
        return file.LoadParamList();
    }
    std::string loadError(const std::string& content) {
        try {
            load(content);
        } catch (const EZarnError& error) {
            return error.Message();
        }
        return "no error";
    }
    static TAPPlugin& plugin(const TAppletParamList& list, std::size_t index) {
        return dynamic_cast<TAPPlugin&>(list[index]);
    }

    TempDir dir_;
    std::string doc_ = dir_.file("doc.zrd");
    std::string site_ = dir_.file("site"); // a web root without its trailing separator
};

#define REQUIRE_MEMLET()                                                                                     \
    if (!haveMemlet())                                                                                       \
    GTEST_SKIP() << "memlet is built with ZARN_GUI=ON"

TEST_F(PluginHostTest, MemletLoadsCompilesAndSavesThroughTheHost) {
    REQUIRE_MEMLET();
    auto list = load(pluginDoc(NotesBody));
    TAPPlugin& notes = plugin(*list, 0);
    EXPECT_NE(notes.Instance, nullptr);

    TStrings names, values;
    EXPECT_EQ(notes.CompileParam(site_, 2, true, &names, &values), "<PARAM NAME=notes VALUE=notes.txt>");
    EXPECT_EQ(ReadFile(site_ + "/notes.txt"), "first line\r\nsecond\r\n");
    EXPECT_EQ(values, TStrings{"notes.txt"});

    TKelmFile file(doc_);
    file.SaveParamList(*list);
    const std::string saved = ReadFile(doc_);
    for (const char* line : {"\r\nValue=\r\n", "\r\nVisible=1\r\n", "\r\nPage=0\r\n", "\r\nLineCount=2\r\n",
                             "\r\nLine0=first line\r\n", "\r\nLine1=second\r\n", "\r\nFName=notes\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    // The template's lines stay where they were, once.
    EXPECT_NE(saved.find("\r\nUFName=Text\r\nPlugin=memlet.dll\r\npclass=Edit\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("Plugin="), saved.rfind("Plugin="));

    fs::remove(site_ + "/notes.txt");
    auto reloaded = load(saved);
    EXPECT_EQ(plugin(*reloaded, 0).GetHTMLValue(site_ + "/", 2), "notes.txt");
    EXPECT_EQ(ReadFile(site_ + "/notes.txt"), "first line\r\nsecond\r\n");
}

TEST_F(PluginHostTest, PluginClassDefaultsToEditAndIsMatchedExactly) {
    REQUIRE_MEMLET();
    auto list = load(pluginDoc("Plugin=memlet.dll\r\nFName=n\r\n"));
    EXPECT_EQ(plugin(*list, 0).PClass, "Edit");
    EXPECT_NE(plugin(*list, 0).Instance, nullptr);
    TKelmFile(doc_).SaveParamList(*list);
    EXPECT_EQ(ReadFile(doc_).find("pclass"), std::string::npos) << "an absent key meaning Edit stays absent";

    EXPECT_EQ(loadError(pluginDoc("Plugin=memlet.dll\r\npclass=edit\r\n")),
              "could not load plugin memlet.dll: the library has no plug-in class edit"
              " in section [notes parameter] loading class TAPPlugin");
}

TEST_F(PluginHostTest, EachParameterHasItsOwnInstance) {
    REQUIRE_MEMLET();
    // Without "FName" each instance makes up its own name, which only the library writes.
    auto list = load(pluginDoc({{"a", "Plugin=memlet.dll\r\nLineCount=1\r\nLine0=alpha\r\next=.txt\r\n"},
                                {"b", "Plugin=memlet\r\nLineCount=1\r\nLine0=beta\r\next=.txt\r\n"}}));
    ASSERT_NE(plugin(*list, 0).Instance, plugin(*list, 1).Instance);

    // Each library write lands between the host's own writes of one save; none is lost.
    TKelmFile(doc_).SaveParamList(*list);
    TKelmFile file(doc_);
    const std::string nameA = file.ReadString("a parameter", "FName", "");
    const std::string nameB = file.ReadString("b parameter", "FName", "");
    EXPECT_TRUE(IsGeneratedDataName(nameA)) << nameA;
    EXPECT_TRUE(IsGeneratedDataName(nameB)) << nameB;
    EXPECT_NE(nameA, nameB);
    EXPECT_EQ(file.ReadString("b parameter", "Plugin", ""), "memlet");

    list->items().erase(list->items().begin());
    EXPECT_EQ(plugin(*list, 0).GetHTMLValue(site_, 2), nameB + ".txt");
    EXPECT_EQ(ReadFile(site_ + "/" + nameB + ".txt"), "beta\r\n");
}

TEST_F(PluginHostTest, CompilingBeforeAnyLoadGivesNothingAndWritesNothing) {
    REQUIRE_MEMLET();
    TAPPlugin notes;
    notes.Name = "notes";
    notes.Plugin = "memlet";
    notes.PClass = "Edit";
    TStrings names, values;
    EXPECT_EQ(notes.CompileParam(site_, 2, true, &names, &values), "");
    EXPECT_EQ(names, TStrings{"notes"});
    EXPECT_EQ(values, TStrings{""});
    EXPECT_TRUE(fs::is_empty(site_));
}

TEST_F(PluginHostTest, LibrariesAreOnlyLookedUpByBareNameInThePluginFolders) {
    // Loadable files, refused for the way they are named.
    const std::string stub = std::string(ZARN_TEST_PLUGIN_DIR) + "/stub_six.so";
    for (const std::string& name : TStrings{stub, "../plugins/stub_six.so", "plugins/stub_six",
                                            "..\\stub_six.dll", "C:stub_six.dll", ".."}) {
        const std::string error = loadError(pluginDoc("Plugin=" + name + "\r\npclass=Long\r\n"));
        EXPECT_EQ(error.rfind("could not load plugin " + name + ": ", 0), 0u) << error;
    }
    EXPECT_EQ(loadError(pluginDoc("pclass=Long\r\n")).rfind("could not load plugin : ", 0), 0u);
    EXPECT_EQ(loadError(pluginDoc("Plugin=nosuch.dll\r\n"))
                  .rfind("could not load plugin nosuch.dll: no such library", 0),
              0u);
    EXPECT_EQ(loadError(pluginDoc("Plugin=stub_partial.dll\r\n")),
              "could not load plugin stub_partial.dll: the library does not export EditProperties, SaveData, "
              "LoadData, CompileToHTML in section [notes parameter] loading class TAPPlugin");
    EXPECT_EQ(loadError(pluginDoc("Plugin=stub_six.dll\r\n")),
              "could not load plugin stub_six.dll: the library has no plug-in class Edit"
              " in section [notes parameter] loading class TAPPlugin");

    // A later call tries again, and a library without the last-error export is still a plug-in.
    TAPPlugin param;
    param.Plugin = "STUB_SIX.DLL";
    param.PClass = "Edit";
    EXPECT_THROW(param.EnsureLoaded(), EZarnError);
    EXPECT_FALSE(param.LibHandle.IsOpen());
    param.PClass = "Long";
    EXPECT_EQ(param.GetHTMLValue(site_, 2), std::string(100000, 'v')) << "a long value arrives whole";
}

TEST_F(PluginHostTest, DataFilesStayInTheWebRoot) {
    REQUIRE_MEMLET();
    for (const std::string& fName : TStrings{"../evil", "..\\evil", "/tmp/zarn-evil", "sub/evil", ""}) {
        auto list = load(
            pluginDoc("Plugin=memlet.dll\r\nLineCount=1\r\nLine0=x\r\nFName=" + fName + "\r\next=.txt\r\n"));
        const std::string value = plugin(*list, 0).GetHTMLValue(site_, 2);
        EXPECT_TRUE(IsGeneratedDataName(value, ".txt")) << fName << " gave " << value;
        EXPECT_EQ(ReadFile(site_ + "/" + value), "x\r\n");
    }
    auto list = load(pluginDoc("Plugin=memlet.dll\r\nFName=n\r\next=/../../x\r\n"));
    EXPECT_EQ(plugin(*list, 0).GetHTMLValue(site_, 2), "n.");
    EXPECT_FALSE(fs::exists(dir_.file("evil.txt")));
    EXPECT_FALSE(fs::exists("/tmp/zarn-evil.txt"));
    EXPECT_FALSE(fs::exists(dir_.file("x")));

    // No web root, no data file, not even in the current folder.
    auto notes = load(pluginDoc(NotesBody));
    const fs::path previous = fs::current_path();
    fs::create_directory(dir_.file("cwd"));
    fs::current_path(dir_.file("cwd"));
    const std::string value = plugin(*notes, 0).GetHTMLValue("", 2);
    fs::current_path(previous);
    EXPECT_EQ(value, "notes.txt");
    EXPECT_TRUE(fs::is_empty(dir_.file("cwd")));
}

TEST_F(PluginHostTest, LineCountIsBoundedByTheLinesPresent) {
    REQUIRE_MEMLET();
    auto huge =
        load(pluginDoc("Plugin=memlet.dll\r\nLineCount=2147483647\r\nLine0=a\r\nLine1=b\r\nFName=h\r\n"));
    plugin(*huge, 0).GetHTMLValue(site_, 2);
    EXPECT_EQ(ReadFile(site_ + "/h."), "a\r\nb\r\n");

    // Within the section's key count the count is exact: missing lines are empty.
    auto gaps = load(pluginDoc("Plugin=memlet.dll\r\nLineCount=4\r\nLine2=c\r\nFName=g\r\n"));
    plugin(*gaps, 0).GetHTMLValue(site_, 2);
    EXPECT_EQ(ReadFile(site_ + "/g."), "\r\n\r\nc\r\n\r\n");
}

TEST_F(PluginHostTest, LibraryFailuresReachTheHostAsErrors) {
    REQUIRE_MEMLET();
    auto list = load(pluginDoc(NotesBody));
    TAPPlugin& notes = plugin(*list, 0);
    const std::string missing = site_ + "/missing";
    try {
        notes.GetHTMLValue(missing, 2);
        ADD_FAILURE() << "no error";
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "Unable to write to " + missing + "/notes.txt");
    }
    // This host runs no window system: the editor refuses instead of ending the program.
    EXPECT_THROW(notes.EditPlugin(), EZarnError);
    EXPECT_EQ(notes.GetHTMLValue(site_, 2), "notes.txt") << "the instance still works";

    DynamicLibrary library;
    ASSERT_TRUE(library.Open(MemletPath)) << library.Error();
    TPlugin funcs(library);
    ASSERT_NE(funcs.LastErrorText, nullptr);
    ZarnInstance instance = funcs.CreateInstance("Edit");
    funcs.LoadData(instance, doc_.c_str(), "notes parameter");
    EXPECT_EQ(funcs.TakeError(), "");
    const std::string unwritable = dir_.file("missing/doc.zrd");
    funcs.SaveData(instance, unwritable.c_str(), "notes parameter");
    EXPECT_EQ(funcs.TakeError(), "Unable to write to " + unwritable);
    funcs.FreeInstance(nullptr);
    EXPECT_NE(funcs.TakeError(), "");
    funcs.FreeInstance(instance);
}

} // namespace
} // namespace zarn
