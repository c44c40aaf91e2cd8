#include "TestUtil.h"
#include "model/AppletParam.h"
#include "model/KelmFile.h"
#include "profile/Errors.h"

#include <gtest/gtest.h>

using namespace zarn;
using zarn::test::ReadFile;
using zarn::test::TempDir;
using zarn::test::WriteFile;

namespace {

// A minimal kind for the model's own rules; it fails on the value "bad" like a numeric kind would.
class TTestParam : public TAppletParam {
public:
    static constexpr const char* StaticClassName = "TTestParam";
    std::string ClassName() const override { return StaticClassName; }
    std::string GetValue() const override { return value; }
    void SetValue(const std::string& text) override {
        if (text == "bad")
            throw EConvertError("'bad' is not a valid integer value");
        value = text;
    }
    std::string value;
};

class ParamModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool registered = false;
        if (!registered)
            RegisterParamClass<TTestParam>();
        registered = true;
    }
    TempDir tmp;
    std::string path = tmp.file("t.zrt");
    TKelmFile file{path};

    std::string loadError(const std::string& content) {
        WriteFile(path, content);
        try {
            file.LoadParamList();
        } catch (const EZarnError& e) {
            return e.Message();
        }
        return "(loaded)";
    }
};

TEST_F(ParamModelTest, NoDefaultMarkerIsExactlyNineBytes) {
    EXPECT_EQ(NoDefaultMarker, std::string("\x23\xA4\x26\x21\x22\x07\x2E\x2E\x2E", 9));
}

TEST_F(ParamModelTest, ClassesAreFoundWithoutLetterCase) {
    EXPECT_NE(FindParamClass("ttestPARAM")(), nullptr);
    try {
        FindParamClass("TNoSuchKind");
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds");
    }
}

TEST_F(ParamModelTest, ListFollowsSectionOrderAndSavesAsParamN) {
    WriteFile(
        path,
        "[Applet Parameters]\r\na=x\r\nempty=\r\nb=y\r\nA=dup\r\n"
        "[x parameter]\r\nClass=TTestParam\r\nValue=1\r\n"
        "[y parameter]\r\nClass=ttestparam\r\nValue=two words\r\nUFName=Why\r\nVisible=0\r\nPage=2\r\n");
    auto list = file.LoadParamList();
    ASSERT_EQ(list->Count(), 2u);
    EXPECT_EQ((*list)[0].Name, "x");
    EXPECT_EQ((*list)[0].UFName, "x");
    EXPECT_EQ((*list)[0].DefaultValue, NoDefaultMarker);
    EXPECT_TRUE((*list)[0].Visible);
    EXPECT_EQ((*list)[1].GetValue(), "two words");
    EXPECT_FALSE((*list)[1].Visible);
    EXPECT_EQ((*list)[1].Page, 2);

    file.SaveParamList(*list);
    const std::string saved = ReadFile(path);
    // The list is rewritten where it stood.
    EXPECT_EQ(saved.rfind("[Applet Parameters]\r\nParam0=x\r\nParam1=y\r\n[x parameter]", 0), 0u) << saved;
    EXPECT_NE(saved.find("[x parameter]\r\nClass=TTestParam\r\nValue=1\r\nUFName=x\r\nDontShowName=0\r\n"
                         "DontShowUFName=0\r\nVisible=1\r\nDefaultValue=" +
                         NoDefaultMarker + "\r\nPage=0\r\n"),
              std::string::npos)
        << saved;

    // The marker written into a document reads back as "no default".
    auto again = TKelmFile(path).LoadParamList();
    EXPECT_EQ((*again)[0].DefaultValue, NoDefaultMarker);
    EXPECT_EQ((*again)[1].UFName, "Why");
}

TEST_F(ParamModelTest, LoaderComposesItsMessages) {
    EXPECT_EQ(loadError("[Applet Parameters]\r\np=speed\r\n[speed parameter]\r\nClass=TAPSpeed\r\n"),
              "List index out of bounds in section [speed parameter] loading class TAPSpeed");
    EXPECT_EQ(loadError("[Applet Parameters]\r\np=speed\r\n"),
              "List index out of bounds in section [speed parameter] loading class TAppletParam"
              " (should be any class but that one)");
    EXPECT_EQ(loadError("[Applet Parameters]\r\np=n\r\n[n parameter]\r\nClass=TTestParam\r\nValue=bad\r\n"),
              "'bad' is not a valid integer value in section [n parameter] loading class TTestParam");
    EXPECT_EQ(loadError("[Other]\r\nx=1\r\n"), "Could not get the [Applet parameters] section");
    EXPECT_EQ(loadError("[Applet Parameters]\r\np=\r\n"), "Could not get the [Applet parameters] section");
}

TEST_F(ParamModelTest, CompileParamQuotesAndFillsMacroLists) {
    TTestParam p;
    p.Name = "greeting";
    p.DefaultValue = NoDefaultMarker;
    p.value = "Hello world";
    TStrings names, values;
    EXPECT_EQ(p.CompileParam("", 2, true, &names, &values), "<PARAM NAME=greeting VALUE=\"Hello world\">");
    p.value = "Hello";
    p.Name = "two words";
    EXPECT_EQ(p.CompileParam("", 2, true, &names, &values), "<PARAM NAME=\"two words\" VALUE=Hello>");
    EXPECT_EQ(p.CompileParam("", 2, false, &names, &values), "Hello");
    p.DefaultValue = "Hello";
    EXPECT_EQ(p.CompileParam("", 2, true, &names, &values), "");
    p.DefaultValue = "hello"; // letter case counts
    EXPECT_EQ(p.GetHTMLValue("", 1), "Hello");
    EXPECT_EQ(names, (TStrings{"greeting", "two words", "two words"}));
    // Macros insert the value itself; quoting follows the text it lands in.
    EXPECT_EQ(values, (TStrings{"Hello world", "Hello", ""}));
}

TEST_F(ParamModelTest, LargeListSurvivesRoundTrip) {
    std::string content = "[Applet Parameters]\r\n";
    for (int i = 0; i < 2000; ++i)
        content += "Key" + std::to_string(i) + "=param" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 2000; ++i)
        content += "[param" + std::to_string(i) +
                   " parameter]\r\nClass=TTestParam\r\nValue=" + std::string(i == 7 ? 5000 : 3, 'v') + "\r\n";
    WriteFile(path, content);
    auto list = file.LoadParamList();
    ASSERT_EQ(list->Count(), 2000u);
    file.SaveParamList(*list);
    ClearProfileCache();
    auto again = TKelmFile(path).LoadParamList();
    ASSERT_EQ(again->Count(), 2000u);
    EXPECT_EQ((*again)[1999].Name, "param1999");
    EXPECT_EQ((*again)[7].GetValue(), std::string(5000, 'v'));
}

} // namespace
