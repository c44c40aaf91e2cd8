#include "model/ScalarParams.h"
#include "TestUtil.h"
#include "model/ColorParams.h"
#include "model/KelmFile.h"
#include "profile/Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

using namespace zarn;
using zarn::test::TempDir;
using zarn::test::WriteFile;

namespace {

struct ParamText {
    std::string name;
    std::string body; // the keys of the parameter's section, one per line
};

// A template text declaring the given parameters in order.
std::string Template(const std::vector<ParamText>& params) {
    std::string text = "[Applet Parameters]\n";
    for (std::size_t i = 0; i < params.size(); ++i)
        text += "Param" + std::to_string(i) + "=" + params[i].name + "\n";
    for (const auto& p : params)
        text += "[" + p.name + " parameter]\n" + p.body + "\n";
    return text;
}

class ScalarParamsTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::string path = tmp.file("t.zrt");
    TKelmFile file{path};
    std::unique_ptr<TAppletParamList> list;

    TAppletParamList& Load(const std::vector<ParamText>& params) {
        WriteFile(path, Template(params));
        list = file.LoadParamList();
        return *list;
    }

    template <class T> T& LoadOne(const std::string& name, const std::string& body) {
        auto& params = Load({{name, body}});
        auto* param = dynamic_cast<T*>(&params[0]);
        if (!param)
            throw std::runtime_error("unexpected kind " + params[0].ClassName());
        return *param;
    }

    std::string LoadError(const std::vector<ParamText>& params) {
        WriteFile(path, Template(params));
        try {
            file.LoadParamList();
        } catch (const EZarnError& e) {
            return e.Message();
        }
        return "(loaded)";
    }

    static std::string Html(TAppletParam& param, const std::string& webRoot = "") {
        return param.CompileParam(webRoot, 2, false, nullptr, nullptr);
    }
};

// Restores the numeric locale and the current folder that a test changes.
struct LocaleGuard {
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ~LocaleGuard() { std::setlocale(LC_NUMERIC, saved.c_str()); }
};

struct CurrentPathGuard {
    std::filesystem::path saved = std::filesystem::current_path();
    ~CurrentPathGuard() { std::filesystem::current_path(saved); }
};

TEST_F(ScalarParamsTest, NumericReadsStrictlyAndKeepsItsBounds) {
    auto& n = LoadOne<TAPNumeric>("n", "Class=TAPNumeric\nValue=$10");
    EXPECT_EQ(n.Value, 16);
    EXPECT_EQ(n.Min, -2147483647);
    EXPECT_EQ(n.Max, 2147483647);
    EXPECT_EQ(n.Step, 10);
    EXPECT_EQ(n.GetValue(), "16");

    auto& bounded = LoadOne<TAPNumeric>("n", "Class=TAPNumeric\nValue=500\nMin=0x10\nMax=100\nStep=5");
    EXPECT_EQ(bounded.Value, 500); // the model never clamps
    EXPECT_EQ(bounded.Min, 16);
    EXPECT_EQ(bounded.Max, 100);
    EXPECT_EQ(bounded.Step, 5);

    EXPECT_EQ(LoadError({{"n", "Class=TAPNumeric\nValue=0x10"}}),
              "'0x10' is not a valid integer value in section [n parameter] loading class TAPNumeric");
    EXPECT_EQ(LoadError({{"n", "Class=TAPNumeric"}}),
              "'' is not a valid integer value in section [n parameter] loading class TAPNumeric");
    EXPECT_EQ(LoadError({{"n", "Class=TAPNumeric\nValue=12px"}}),
              "'12px' is not a valid integer value in section [n parameter] loading class TAPNumeric");

    TAPNumeric direct;
    EXPECT_THROW(direct.SetValue("2147483648"), EConvertError);
    direct.SetValue("  -7");
    EXPECT_EQ(direct.GetValue(), "-7");
}

TEST(FloatTextTest, GeneralFormatUsesPointAndFifteenDigits) {
    EXPECT_EQ(FloatToStr(1.5), "1.5");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(-2.25), "-2.25");
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(999999999999999.9), "1E15"); // rounding carries into the exponent
}

TEST(FloatTextTest, StrictReadingAcceptsPointOrCommaOnly) {
    EXPECT_EQ(TryStrToFloat("1,5"), 1.5);
    EXPECT_EQ(TryStrToFloat("+.5"), 0.5);
    EXPECT_EQ(TryStrToFloat("5."), 5.0);
    EXPECT_EQ(TryStrToFloat("-1.5E-2"), -0.015);
    EXPECT_EQ(TryStrToFloat("2e+3"), 2000.0);
    for (const char* bad : {"", " 1", "1 ", "+", ".", "e5", "1e", "1e+", "1.2.3", "1,2.3", "inf", "nan",
                            "INF", "0x1p3", "1e400", "1_000", "--1"})
        EXPECT_FALSE(TryStrToFloat(bad).has_value()) << bad;
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
    // The written text reads back to the same text.
    for (double v : {0.1, 1.0 / 3, 6.02214076e23, -1.602176634e-19, 1e15, 99999.999999999, 5e-324}) {
        const std::string text = FloatToStr(v);
        auto back = TryStrToFloat(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(FloatToStr(*back), text);
    }
}

TEST_F(ScalarParamsTest, FloatLoadsBothSeparatorsAndFailsOnJunk) {
    auto& f = LoadOne<TAPFloat>("f", "Class=TAPFloat\nValue=2,75");
    EXPECT_EQ(f.Value, 2.75);
    EXPECT_EQ(f.GetValue(), "2.75");
    EXPECT_EQ(LoadError({{"f", "Class=TAPFloat"}}),
              "'' is not a valid floating point value in section [f parameter] loading class TAPFloat");
    EXPECT_EQ(LoadError({{"f", "Class=TAPFloat\nValue=1.5cm"}}),
              "'1.5cm' is not a valid floating point value in section [f parameter] loading class TAPFloat");
}

TEST_F(ScalarParamsTest, FloatIgnoresTheUsersLocale) {
    LocaleGuard guard;
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    if (!switched)
        GTEST_SKIP() << "no locale with a decimal comma installed";

    auto& f = LoadOne<TAPFloat>("f", "Class=TAPFloat\nValue=1.25");
    EXPECT_EQ(f.Value, 1.25);
    f.Value = 1e-7 * 3;
    f.SaveToFile(file);
    EXPECT_EQ(file.ReadString("f parameter", "Value", ""), "3E-7");
    EXPECT_EQ(TryStrToFloat("1,25"), 1.25);
}

TEST_F(ScalarParamsTest, ColourTextsAndNames) {
    auto& c = LoadOne<TAPColor>("c", "Class=TAPColor\nValue=#00ff80");
    EXPECT_EQ(c.Color, RGBColor(0x00, 0xFF, 0x80));
    EXPECT_EQ(c.GetValue(), "#00FF80");
    EXPECT_EQ(c.HexPrefix, "#");
    EXPECT_EQ(Html(c), "#00FF80");

    EXPECT_EQ(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=navy").Color, RGBColor(0, 0, 0x80));
    EXPECT_EQ(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=#zz").Color, 0u);
    EXPECT_EQ(LoadOne<TAPColor>("c", "Class=TAPColor").GetValue(), "#000000");

    // Dollar form, bits above 24 ignored, names in either case; nothing ever fails.
    EXPECT_EQ(TextToColor("$FF8000"), RGBColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(TextToColor("#12FF8000"), RGBColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(TextToColor("#123456789"), 0u);
    EXPECT_EQ(TextToColor("SILVER"), RGBColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(TextToColor("red "), 0u);
    EXPECT_EQ(TextToColor("#"), 0u);
    EXPECT_EQ(ColorNames.size(), 16u);
    for (const auto& entry : ColorNames)
        EXPECT_EQ(TextToColor(ColorToText(entry.color)), entry.color) << entry.name;
}

TEST_F(ScalarParamsTest, ColourPrefixAndDefaultInEitherForm) {
    auto& bare = LoadOne<TAPColor>("c", "Class=TAPColor\nValue=red\nHexPrefix=..");
    EXPECT_EQ(bare.HexPrefix, "");
    EXPECT_EQ(Html(bare), "FF0000");
    EXPECT_EQ(Html(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=red")), "#FF0000");
    EXPECT_EQ(Html(LoadOne<TAPColorCombo>("c", "Class=TAPColorCombo\nValue=red\nHexPrefix=.0x.")),
              "0xFF0000");

    EXPECT_EQ(
        Html(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=red\nHexPrefix=.0x.\nDefaultValue=0xFF0000")), "");
    EXPECT_EQ(Html(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=red\nHexPrefix=.0x.\nDefaultValue=#FF0000")),
              "");
    EXPECT_EQ(Html(LoadOne<TAPColor>("c", "Class=TAPColor\nValue=red\nHexPrefix=.0x.\nDefaultValue=#ff0000")),
              "0xFF0000");

    // A prefix with outer blanks survives a save through its guards.
    auto& spaced = LoadOne<TAPColor>("c", "Class=TAPColor\nValue=lime\nHexPrefix=. x .");
    EXPECT_EQ(spaced.HexPrefix, " x ");
    spaced.SaveToFile(file);
    EXPECT_EQ(file.ReadString("c parameter", "HexPrefix", ""), ". x .");
}

TEST_F(ScalarParamsTest, TextValuesKeepTheirOuterBlanksThroughASave) {
    // What the line holds after a save, and what a new load reads from it.
    const struct {
        std::string value, stored;
    } cases[] = {
        {"  padded  ", "\"  padded  \""}, {" lead", "\" lead\""},
        {"trail ", "\"trail \""},         {"plain", "plain"},
        {"\"quoted\"", "\"\"quoted\"\""}, {" \"q\" ", "\" \"q\" \""},
    };
    for (const auto& c : cases) {
        auto& text = LoadOne<TAPString>("t", "Class=TAPString\nValue=x");
        text.Value = c.value;
        text.SaveToFile(file);
        EXPECT_NE(zarn::test::ReadFile(path).find("Value=" + c.stored + "\n"), std::string::npos) << c.value;
        list = file.LoadParamList();
        EXPECT_EQ((*list)[0].GetValue(), c.value);
    }
    // A file written before keeps reading as it did: blanks outside any quotes are not the value's.
    EXPECT_EQ(LoadOne<TAPString>("t", "Class=TAPString\nValue=  bare  ").Value, "bare");
}

TEST_F(ScalarParamsTest, ColourOptionUnspecifiedGivesNoParam) {
    auto& c = LoadOne<TAPColorOption>("c", "Class=TAPColorOption\nValue=#123456\nUnspecified=1");
    EXPECT_TRUE(c.Unspecified);
    EXPECT_EQ(c.Color, RGBColor(0x12, 0x34, 0x56));
    TStrings names, values;
    EXPECT_EQ(c.CompileParam("", 2, true, &names, &values), "");
    EXPECT_EQ(names, TStrings{"c"});
    EXPECT_EQ(values, TStrings{""});

    auto& shown = LoadOne<TAPColorOption>("c", "Class=TAPColorOption\nValue=#123456");
    EXPECT_FALSE(shown.Unspecified);
    EXPECT_EQ(Html(shown), "#123456");
}

TEST_F(ScalarParamsTest, ComboListSplitsAndChoosesItems) {
    auto& combo = LoadOne<TAPComboList>("k", "Class=TAPComboList\nItems=a|b|c\nValue=1");
    EXPECT_EQ(combo.Separator, '|');
    EXPECT_EQ(combo.Items, (TStrings{"a", "b", "c"}));
    EXPECT_EQ(combo.UFItems, combo.Items);
    EXPECT_EQ(combo.Width, -1);
    EXPECT_EQ(Html(combo), "b");
    for (int32_t outside : {3, -1, 2147483647}) {
        combo.ItemIndex = outside;
        EXPECT_EQ(Html(combo), "") << outside;
    }

    auto& gaps = LoadOne<TAPComboList>("k", "Class=TAPComboList\nItems=|a||b|\nValue=0");
    EXPECT_EQ(gaps.Items, (TStrings{"", "a", "", "b"}));

    auto& commas = LoadOne<TAPComboList>("k", "Class=TAPComboList\nSeparator=44\nItems=x,y\nValue=1");
    EXPECT_EQ(commas.Items, (TStrings{"x", "y"}));
    auto& hexCommas = LoadOne<TAPComboList>("k", "Class=TAPComboList\nSeparator=0x2C\nItems=x,y|z\nValue=1");
    EXPECT_EQ(hexCommas.Items, (TStrings{"x", "y|z"}));

    // Captions that do not match the items one to one are replaced by the items.
    auto& mismatch = LoadOne<TAPComboList>("k", "Class=TAPComboList\nItems=a|b\nUFItems=Only one\nValue=0");
    EXPECT_EQ(mismatch.UFItems, mismatch.Items);
    auto& captions = LoadOne<TAPComboList>("k", "Class=TAPComboList\nItems=1|2\nUFItems=One|Two\nValue=0\n"
                                                "DefaultValue=1");
    EXPECT_EQ(captions.UFItems, (TStrings{"One", "Two"}));
    EXPECT_EQ(Html(captions), ""); // the chosen item equals the default

    EXPECT_EQ(LoadError({{"k", "Class=TAPComboList\nItems=a|b"}}),
              "'' is not a valid integer value in section [k parameter] loading class TAPComboList");
}

TEST_F(ScalarParamsTest, ComboListWritesItsListsBack) {
    auto& combo =
        LoadOne<TAPComboList>("k", "Class=TAPComboList\nItems=a||b\nUFItems=a||b\nValue=2\nWidth=80");
    EXPECT_EQ(combo.Items.size(), 3u);
    combo.SaveToFile(file);
    EXPECT_EQ(file.ReadString("k parameter", "Items", "?"), "a||b");
    EXPECT_EQ(file.ReadString("k parameter", "UFItems", "?"), "");
    EXPECT_EQ(file.ReadString("k parameter", "Separator", "?"), "124");
    EXPECT_EQ(file.ReadString("k parameter", "Width", "?"), "80");

    combo.UFItems = {"A", "", "B"};
    combo.Separator = ';';
    combo.SaveToFile(file);
    EXPECT_EQ(file.ReadString("k parameter", "Items", "?"), "a;;b");
    EXPECT_EQ(file.ReadString("k parameter", "UFItems", "?"), "A;;B");
    EXPECT_EQ(file.ReadString("k parameter", "Separator", "?"), "59");

    // Code 0 and 8-bit codes are kept; a zero separator never splits a text from a file.
    auto& zero = LoadOne<TAPComboList>("k", "Class=TAPComboList\nSeparator=0\nItems=a|b\nValue=0");
    EXPECT_EQ(zero.Items, TStrings{"a|b"});
    zero.SaveToFile(file);
    EXPECT_EQ(file.ReadString("k parameter", "Separator", "?"), "0");
    EXPECT_EQ(file.ReadString("k parameter", "Items", "?"), "a|b");

    auto& high = LoadOne<TAPComboList>("k", "Class=TAPComboList\nSeparator=420\nItems=a\xA4z\nValue=1");
    EXPECT_EQ(high.Items, (TStrings{"a", "z"}));
    high.SaveToFile(file);
    EXPECT_EQ(file.ReadString("k parameter", "Separator", "?"), "164");
}

TEST_F(ScalarParamsTest, BooleanOnlyOneSwitchesOn) {
    auto& on = LoadOne<TAPBoolean>("b", "Class=TAPBoolean\nValue=1\nTrue=on\nFalse=off\nDefaultValue=on");
    EXPECT_TRUE(on.Value);
    EXPECT_EQ(Html(on), "on"); // the default never suppresses a switch
    auto& off = LoadOne<TAPBoolean>("b", "Class=TAPBoolean\nTrue=on\nFalse=off\nDefaultValue=off");
    EXPECT_FALSE(off.Value);
    EXPECT_EQ(Html(off), "off");
    auto& plain = LoadOne<TAPBoolean>("b", "Class=TAPBoolean\nValue=1");
    EXPECT_EQ(plain.TrueText, "True");
    EXPECT_EQ(plain.FalseText, "False");

    TAPBoolean b;
    for (const char* yes : {"1", "+1", "$1", "$01", " 1"}) {
        b.SetValue(yes);
        EXPECT_TRUE(b.Value) << yes;
    }
    for (const char* no : {"True", "2", "", "-1", "0x1", "1.0"}) {
        b.SetValue(no);
        EXPECT_FALSE(b.Value) << no;
    }
}

TEST_F(ScalarParamsTest, FileNameExpandsTheTemplateFolderOnce) {
    auto& f = LoadOne<TAPFileName>("img", "Class=TAPFileName\nValue=><logo.gif");
    EXPECT_EQ(f.Value, tmp.dir() + "logo.gif");
    EXPECT_EQ(f.FilterExt, "Any file (*.*)|*.*");

    auto& twice = LoadOne<TAPFileName>("img", "Class=TAPFileName\nValue=><a><b\nFilterExt=GIF|*.gif");
    EXPECT_EQ(twice.Value, tmp.dir() + "a" + tmp.dir() + "b");
    EXPECT_EQ(twice.FilterExt, "GIF|*.gif");

    // A template folder that itself holds "><" is inserted once, not searched again (Windows
    // names cannot hold "<" or ">").
#ifndef _WIN32
    const std::filesystem::path odd = tmp.path() / "x><y";
    std::filesystem::create_directory(odd);
    const std::string oddFile = (odd / "t.zrt").string();
    WriteFile(oddFile, Template({{"img", "Class=TAPFileName\nValue=><logo.gif"}}));
    TKelmFile oddTemplate(oddFile);
    auto params = oddTemplate.LoadParamList();
    EXPECT_EQ(params->operator[](0).GetValue(), odd.string() + "/logo.gif");
#endif
}

TEST_F(ScalarParamsTest, FileNameExpandsADriveFolder) {
    // A file whose name reads c:\tpl\t.zrt stands for a template in the folder c:\tpl\; on
    // Windows it is one.
#ifdef _WIN32
    std::filesystem::create_directory(tmp.path() / "tpl");
    const std::string name = tmp.dir() + "tpl\\t.zrt";
    const std::string expected = tmp.dir() + "tpl\\logo.gif";
#else
    const std::string name = "c:\\tpl\\t.zrt";
    const std::string expected = "c:\\tpl\\logo.gif";
#endif
    WriteFile(tmp.file(name), Template({{"img", "Class=TAPFileName\nValue=><logo.gif"}}));
    std::unique_ptr<TKelmFile> windowsTemplate;
    {
        CurrentPathGuard guard;
        std::filesystem::current_path(tmp.path());
        windowsTemplate = std::make_unique<TKelmFile>(name);
    }
    auto params = windowsTemplate->LoadParamList();
    EXPECT_EQ(params->operator[](0).GetValue(), expected);
}

TEST_F(ScalarParamsTest, FileNameFormRelativeToWebRoot) {
    auto& f =
        LoadOne<TAPFileName>("img", "Class=TAPFileName\nValue=c:\\site\\img\\a.gif\nDefaultValue=img/a.gif");
    EXPECT_EQ(Html(f, "c:\\site\\"), "img/a.gif"); // DefaultValue is not consulted
    EXPECT_EQ(Html(f, "C:\\Site\\html\\"), "../img/a.gif");
    EXPECT_EQ(Html(f, "d:\\other\\"), "file:/c:/site/img/a.gif");
    EXPECT_EQ(Html(f, ""), "file:/c:/site/img/a.gif");

    f.Value = "/srv/site/img/a.gif";
    EXPECT_EQ(Html(f, "/srv/site/"), "img/a.gif");
    f.Value = "logo.gif";
    EXPECT_EQ(Html(f, "/srv/site/"), "logo.gif");
    f.Value = "http://example.org/a b.gif";
    EXPECT_EQ(Html(f, "c:\\site\\"), "http://example.org/a b.gif");
    f.Value = "";
    EXPECT_EQ(f.CompileParam("c:\\site\\", 2, true, nullptr, nullptr), "");
}

TEST_F(ScalarParamsTest, BevelNeverShowsACaptionOrValue) {
    auto& params = Load({{"line", "Class=TAPBevel\nValue=ignored\nDontShowName=0\nDontShowUFName=0"},
                         {"titled", "Class=TAPBevel\nUFName=Colours"}});
    auto& line = params[0];
    EXPECT_TRUE(line.DontShowName);
    EXPECT_TRUE(line.DontShowUFName);
    EXPECT_EQ(line.UFName, "");
    EXPECT_EQ(line.GetValue(), "");
    EXPECT_EQ(params[1].UFName, "Colours");
    TStrings names, values;
    EXPECT_EQ(line.CompileParam("", 1, true, &names, &values), "");
    EXPECT_EQ(names, TStrings{"line"});
    EXPECT_EQ(values, TStrings{""});
}

TEST_F(ScalarParamsTest, EveryKindSurvivesSaveAndLoad) {
    auto& params = Load({
        {"s", "Class=TAPString\nValue=Hello world\nUFName=Greeting\nPage=2"},
        {"n", "Class=TAPNumeric\nValue=-5\nMin=-10\nMax=10\nStep=1"},
        {"f", "Class=TAPFloat\nValue=0,125"},
        {"c", "Class=TAPColor\nValue=teal\nHexPrefix=.0x."},
        {"cc", "Class=TAPColorCombo\nValue=#C0C0C0\nHexPrefix=.."},
        {"file", "Class=TAPFileName\nValue=><a.gif\nFilterExt=GIF|*.gif"},
        {"b", "Class=TAPBoolean\nValue=1\nTrue=yes\nFalse=no"},
        {"k", "Class=TAPComboList\nItems=x;y;z\nUFItems=X;Y;Z\nSeparator=59\nValue=2\nWidth=90"},
        {"sep", "Class=TAPBevel"},
        {"co", "Class=TAPColorOption\nValue=#010203\nUnspecified=1"},
    });
    ASSERT_EQ(params.Count(), 10u);
    TStrings before, kinds;
    for (const auto& p : params) {
        before.push_back(p->CompileParam("", 2, false, nullptr, nullptr) + "|" + p->GetValue());
        kinds.push_back(p->ClassName());
    }

    const std::string copy = tmp.file("copy.zrd");
    TKelmFile document(copy);
    document.SaveParamList(params);
    EXPECT_EQ(document.ReadString("c parameter", "HexPrefix", ""), ".0x.");
    EXPECT_EQ(document.ReadString("cc parameter", "HexPrefix", ""), "..");
    EXPECT_EQ(document.ReadString("file parameter", "Value", ""), tmp.dir() + "a.gif");
    EXPECT_EQ(document.ReadString("f parameter", "Value", ""), "0.125");
    EXPECT_EQ(document.ReadString("k parameter", "Items", ""), "x;y;z");
    EXPECT_EQ(document.ReadString("sep parameter", "UFName", "?"), "");

    auto reloaded = document.LoadParamList();
    ASSERT_EQ(reloaded->Count(), 10u);
    for (std::size_t i = 0; i < reloaded->Count(); ++i) {
        auto& p = (*reloaded)[i];
        EXPECT_EQ(p.ClassName(), kinds[i]);
        EXPECT_EQ(p.CompileParam("", 2, false, nullptr, nullptr) + "|" + p.GetValue(), before[i]) << p.Name;
    }
    auto& s = (*reloaded)[0];
    EXPECT_EQ(s.UFName, "Greeting");
    EXPECT_EQ(s.Page, 2);
    auto& n = dynamic_cast<TAPNumeric&>((*reloaded)[1]);
    EXPECT_EQ(n.Min, -10);
    EXPECT_EQ(n.Max, 10);
    EXPECT_EQ(n.Step, 1);
    auto& k = dynamic_cast<TAPComboList&>((*reloaded)[7]);
    EXPECT_EQ(k.UFItems, (TStrings{"X", "Y", "Z"}));
    EXPECT_EQ(k.Width, 90);
    EXPECT_EQ(dynamic_cast<TAPFileName&>((*reloaded)[5]).FilterExt, "GIF|*.gif");
    EXPECT_EQ(dynamic_cast<TAPBoolean&>((*reloaded)[6]).TrueText, "yes");
    EXPECT_TRUE(dynamic_cast<TAPColorOption&>((*reloaded)[9]).Unspecified);
}

} // namespace
