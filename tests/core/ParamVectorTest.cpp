#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "profile/Errors.h"
#include "startup/CoreStartup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace zarn {
namespace {

using test::Ini;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A string element section.
std::string StringElement(const std::string& stem, const std::string& subName, const std::string& value) {
    return Ini({"[" + stem + " parameter]", "Class=TAPString", "subname=" + subName, "Value=" + value});
}

class ParamVectorTest : public testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }

    std::unique_ptr<TAppletParamList> Load(const std::string& text, const std::string& name = "doc.zrt") {
        path = dir.file(name);
        WriteFile(path, text);
        return TKelmFile(path).LoadParamList();
    }
    // The only parameter of a file: a vector, named v unless told.
    TAPParamVector& LoadVector(const std::string& vectorKeys, const std::string& elements = "",
                               const std::string& name = "v") {
        list = Load(Ini({"[Applet Parameters]", "Param0=" + name, "[" + name + " parameter]",
                         "Class=TAPParamVector"}) +
                    vectorKeys + elements);
        auto* vector = dynamic_cast<TAPParamVector*>(&(*list)[0]);
        EXPECT_NE(vector, nullptr);
        return *vector;
    }
    std::string Compile(TAppletParam& param, TStrings* names = nullptr, TStrings* values = nullptr) {
        return param.CompileParam("", 2, true, names, values);
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<TAppletParamList> list;
};

const std::string TwoElements = StringElement("v.0", "x", "a") + StringElement("v.1", "y", "b");

TEST_F(ParamVectorTest, JoinedFormFollowsNamesValuesAndCouples) {
    TAPParamVector& v = LoadVector(Ini({"FieldCount=2"}), TwoElements);
    EXPECT_EQ(v.GetHTMLValue("", 2), "x=a | y=b");
    v.ShowNames = false;
    EXPECT_EQ(v.GetHTMLValue("", 2), "a | b");
    v.ShowNames = true;
    v.ShowValues = false;
    EXPECT_EQ(v.GetHTMLValue("", 2), "x | y");

    TAPParamVector& couples = LoadVector(Ini({"FieldCount=2", "CoupleOpen=.(.", "CoupleClose=.).",
                                              "CanBeforeListText=1", "BeforeListText=menu:"}),
                                         TwoElements);
    EXPECT_EQ(couples.GetHTMLValue("", 2), "menu:(x=a) | (y=b)");
}

TEST_F(ParamVectorTest, SkippedElementsKeepTheSeparatorOfTheirPosition) {
    TAPParamVector& v =
        LoadVector(Ini({"FieldCount=3"}), StringElement("v.0", "x", "") + StringElement("v.1", "y", "b") +
                                              StringElement("v.2", "z", "c") + Ini({"DefaultValue=c"}));
    // The first element is empty and the third equals its own default: both are left out.
    EXPECT_EQ(v.GetHTMLValue("", 2), " | y=b");
    v.DontKill = true;
    EXPECT_EQ(v.GetHTMLValue("", 2), "x= | y=b | z=");
}

TEST_F(ParamVectorTest, JoinedTagFormListsTheCounterBeforeTheVector) {
    TAPParamVector& v = LoadVector(Ini({"FieldCount=2"}), TwoElements);
    TStrings names, values;
    EXPECT_EQ(Compile(v, &names, &values), "<PARAM NAME=v VALUE=\"x=a | y=b\">");
    EXPECT_EQ(names, (TStrings{"vCount", "v"}));
    EXPECT_EQ(values, (TStrings{"2", "x=a | y=b"}));
    // The bare form is the joined value, unquoted.
    EXPECT_EQ(v.CompileParam("", 2, false, nullptr, nullptr), "x=a | y=b");
}

TEST_F(ParamVectorTest, StandaloneFormCountsSkippedElements) {
    TAPParamVector& img = LoadVector(Ini({"StandaloneFields=1", "BaseIndex=1", "CanBeforeListText=1",
                                          "BeforeListText=never", "FieldCount=3"}),
                                     StringElement("img.0", "", "p.gif") + StringElement("img.1", "", "") +
                                         StringElement("img.2", "", "r s.gif"),
                                     "img");
    EXPECT_FALSE(img.CanBeforeListText);
    TStrings names, values;
    EXPECT_EQ(Compile(img, &names, &values), "<PARAM NAME=imgCount VALUE=3>\r"
                                             "<PARAM NAME=img1 VALUE=p.gif>\r"
                                             "<PARAM NAME=img3 VALUE=\"r s.gif\">\r");
    EXPECT_EQ(names, TStrings{"imgCount"});
    EXPECT_EQ(values, TStrings{"3"});

    img.CounterParamName.clear();
    img.NamePattern = "%0:s_%1:.2d";
    img.DontKill = true;
    EXPECT_EQ(Compile(img), "<PARAM NAME=img_01 VALUE=p.gif>\r"
                            "<PARAM NAME=img_02 VALUE=\"\">\r"
                            "<PARAM NAME=img_03 VALUE=\"r s.gif\">\r");
}

TEST_F(ParamVectorTest, StandaloneFormFailsSafely) {
    TAPParamVector& v =
        LoadVector(Ini({"StandaloneFields=1", "CounterParamName=", "FieldCount=2"}), TwoElements);
    EXPECT_EQ(v.CounterParamName, "");
    // The index wraps in 32 bits instead of overflowing.
    v.BaseIndex = INT32_MAX;
    EXPECT_EQ(Compile(v), "<PARAM NAME=v2147483647 VALUE=a>\r<PARAM NAME=v-2147483648 VALUE=b>\r");

    v.NamePattern = "%0:s%1:s";
    try {
        Compile(v);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "Format '%0:s%1:s' invalid or incompatible with argument");
    }
    try {
        v.CompileParam("", 2, false, nullptr, nullptr);
        FAIL();
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "Cannot make v's subfields standalone");
    }
}

TEST_F(ParamVectorTest, NestedVectorsCompileByTheOuterForm) {
    const std::string inner = Ini({"[v.0 parameter]", "Class=TAPParamVector", "subname=in",
                                   "StandaloneFields=1", "Separator=.,.", "FieldCount=2"}) +
                              StringElement("v.0.0", "p", "1") + StringElement("v.0.1", "q", "2");
    // A standalone vector inside a joined one contributes its joined form.
    TAPParamVector& joined = LoadVector(Ini({"FieldCount=2"}), inner + StringElement("v.1", "y", "b"));
    EXPECT_EQ(joined.GetHTMLValue("", 2), "in=p=1,q=2 | y=b");

    // Inside a standalone vector it cannot be made standalone.
    TAPParamVector& standalone =
        LoadVector(Ini({"StandaloneFields=1", "FieldCount=2"}), inner + StringElement("v.1", "y", "b"));
    try {
        Compile(standalone);
        FAIL();
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "Cannot make v.0's subfields standalone");
    }
    // A joined vector inside a standalone one gives one line with its joined value.
    dynamic_cast<TAPParamVector&>(*standalone.Containers[0]->Field).StandaloneFields = false;
    EXPECT_EQ(Compile(standalone), "<PARAM NAME=vCount VALUE=2>\r<PARAM NAME=v0 VALUE=\"p=1,q=2\">\r"
                                   "<PARAM NAME=v1 VALUE=b>\r");
}

TEST_F(ParamVectorTest, DefaultsAndCountFromTheFile) {
    // Element sections without a "FieldCount" are not read.
    TAPParamVector& v = LoadVector("", TwoElements);
    EXPECT_TRUE(v.Containers.empty());
    EXPECT_TRUE(v.ShowBevel && v.CanAdd && v.CanDelete && v.CanMove && v.ShowNames && v.ShowValues);
    EXPECT_FALSE(v.CanBeforeListText || v.DontKill || v.StandaloneFields);
    EXPECT_EQ(v.AddTitle, "Add");
    EXPECT_EQ(v.DelTitle, "Del");
    EXPECT_EQ(v.CounterParamName, "vCount");
    EXPECT_EQ(v.NamePattern, "%0:s%1:d");
    EXPECT_EQ(v.CoupleSeparator, "=");
    EXPECT_EQ(v.Separator, " | ");
    EXPECT_EQ(v.CoupleOpen + v.CoupleClose, "");
    EXPECT_TRUE(v.ValidTemplates.empty());
    ASSERT_TRUE(v.SourceFile.has_value());
    EXPECT_EQ(v.SourceFile->FileName(), path);
}

TEST_F(ParamVectorTest, HostileCountsAndNestingFailCleanly) {
    // A huge count stops at the first missing element section.
    try {
        LoadVector(Ini({"FieldCount=2147483647"}), TwoElements);
        FAIL();
    } catch (const EListError& error) {
        EXPECT_EQ(error.Message(),
                  "List index out of bounds in section [v parameter] loading class TAPParamVector");
    }

    std::string deep = Ini({"[Applet Parameters]", "Param0=v"});
    std::string stem = "v";
    for (int level = 0; level < 40; ++level) {
        deep += Ini({"[" + stem + " parameter]", "Class=TAPParamVector", "FieldCount=1"});
        stem += ".0";
    }
    try {
        Load(deep);
        FAIL();
    } catch (const EZarnError& error) {
        EXPECT_EQ(error.Message(), "Parameter vectors nested deeper than 32 levels in section [v parameter] "
                                   "loading class TAPParamVector");
    }

    // Exactly the limit loads.
    std::string limit = Ini({"[Applet Parameters]", "Param0=v"});
    stem = "v";
    for (int level = 0; level < MaxVectorNesting; ++level) {
        limit += Ini({"[" + stem + " parameter]", "Class=TAPParamVector", "FieldCount=1"});
        stem += ".0";
    }
    limit += StringElement(stem, "leaf", "z");
    EXPECT_NO_THROW(Load(limit, "limit.zrt"));
}

TEST_F(ParamVectorTest, SaveAndLoadKeepElementsInOrder) {
    TAPParamVector& v =
        LoadVector(Ini({"ValidTemplates=image*|title", "CoupleOpen=. (.", "Separator=.;.",
                        "BeforeListText=head", "FieldCount=3"}),
                   StringElement("v.0", "x", "a") + Ini({"Template=image"}) +
                       Ini({"[v.1 parameter]", "Class=TAPNumeric", "subname=n", "Value=42"}) +
                       Ini({"[v.2 parameter]", "Class=TAPParamVector", "subname=sub", "FieldCount=1"}) +
                       StringElement("v.2.0", "deep", "d"));
    v.Move(0, 2);
    TKelmFile file(path);
    file.SaveParamList(*list);
    EXPECT_NE(ReadFile(path).find("Separator=.;.\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(path).find("CoupleOpen=. (.\r\n"), std::string::npos);

    ClearProfileCache();
    auto again = TKelmFile(path).LoadParamList();
    auto& w = dynamic_cast<TAPParamVector&>((*again)[0]);
    ASSERT_EQ(w.Containers.size(), 3u);
    EXPECT_EQ(w.Containers[0]->Field->ClassName(), "TAPNumeric");
    EXPECT_EQ(w.Containers[0]->Field->GetValue(), "42");
    EXPECT_EQ(w.Containers[1]->Field->ClassName(), "TAPParamVector");
    EXPECT_EQ(w.Containers[1]->SubName, "sub");
    EXPECT_EQ(w.Containers[2]->SubName, "x");
    EXPECT_EQ(w.Containers[2]->Template, "image");
    EXPECT_EQ(w.Containers[2]->Field->Name, "v.2");
    EXPECT_EQ(w.Containers[2]->Field->GetValue(), "a");
    EXPECT_EQ(w.ValidTemplates, (TStrings{"image*", "title"}));
    EXPECT_EQ(w.CoupleOpen, " (");
    EXPECT_EQ(w.BeforeListText, "head");
    EXPECT_EQ(w.GetHTMLValue("", 2), " (n=42; (sub=deep=d; (x=a");

    // Elements beyond a shorter count stay in the file and are not read back.
    w.Delete(0);
    w.Delete(0);
    TKelmFile(path).SaveParamList(*again);
    ClearProfileCache();
    auto shorter = TKelmFile(path).LoadParamList();
    auto& s = dynamic_cast<TAPParamVector&>((*shorter)[0]);
    ASSERT_EQ(s.Containers.size(), 1u);
    EXPECT_EQ(s.Containers[0]->Field->GetValue(), "a");
    EXPECT_EQ(TKelmFile(path).ReadString("v.2 parameter", "subname", ""), "x");
}

const std::string Templates =
    Ini({"[image template parameter]", "Class=TAPString", "subname=pic", "Value=new.gif",
         "Description=An image", "[title template parameter]", "Class=TAPString", "UFName=Title", "Value=t",
         "[group template parameter]", "Class=TAPParamVector", "subname=g", "ValidTemplates=image*",
         "FieldCount=1", "[group template.0 parameter]", "Class=TAPString", "Value=first.gif"});

TEST_F(ParamVectorTest, ElementsComeFromTemplates) {
    TAPParamVector& v = LoadVector(Ini({"ValidTemplates=image*|title|group", "FieldCount=1"}),
                                   StringElement("v.0", "x", "a") + Templates);
    EXPECT_EQ(v.TemplateDescription("image*"), "An image");
    EXPECT_EQ(v.TemplateDescription("title"), "title");

    TAPContainer& image = v.InsertFromTemplate("image*", 0);
    EXPECT_EQ(image.SubName, "pic");
    EXPECT_EQ(image.Template, "image");
    EXPECT_EQ(image.Field->UFName, "");
    EXPECT_EQ(image.Field->Name, "v.0");
    EXPECT_EQ(v.Containers[1]->Field->Name, "v.1");

    TAPContainer& title = v.AddFromTemplate("title");
    EXPECT_EQ(title.Field->UFName, "Title");
    EXPECT_EQ(title.Field->Name, "v.2");
    EXPECT_EQ(v.AddableTemplates(), (TStrings{"image*", "group"}));

    auto created = TAPContainer::CreateFromTemplate(*v.SourceFile, "title");
    EXPECT_EQ(created->Field->Name, "title");

    TAPContainer& group = v.AddFromTemplate("group");
    auto& nested = dynamic_cast<TAPParamVector&>(*group.Field);
    ASSERT_EQ(nested.Containers.size(), 1u);
    nested.AddFromTemplate("image");
    EXPECT_EQ(v.GetHTMLValue("", 2), "pic=new.gif | x=a | =t | g==first.gif | pic=new.gif");

    EXPECT_THROW(v.AddFromTemplate("missing"), EListError);
}

// The editor's element operations: where each puts the elements, that every element is named after
// its position afterwards, and that the nesting limit of the loader holds for added elements.
TEST_F(ParamVectorTest, ElementOperationsKeepNamesInStepWithPositions) {
    TAPParamVector& v = LoadVector(Ini({"ValidTemplates=image*|group*", "FieldCount=3"}),
                                   StringElement("v.0", "x", "a") + StringElement("v.1", "y", "b") +
                                       StringElement("v.2", "z", "c") + Templates);
    std::unique_ptr<TAPContainer> held;
    const TAPContainer* taken = nullptr;
    const struct {
        const char* step;
        std::function<void()> run;
        const char* subNames; // the elements in order
    } steps[] = {
        {"add first", [&] { v.AddElement("image*", 0, 1); }, "pic x y z"},
        {"add beyond the end", [&] { v.AddElement("group*", 9, 1); }, "pic x y z g"},
        {"take", [&] { taken = (held = v.TakeElement(1)).get(); }, "pic y z g"},
        {"take beyond the end", [&] { EXPECT_EQ(v.TakeElement(4), nullptr); }, "pic y z g"},
        {"put back", [&] { v.InsertElement(3, std::move(held)); }, "pic y z x g"},
        {"move down", [&] { EXPECT_TRUE(v.MoveElement(0, 4)); }, "y z x g pic"},
        {"move up", [&] { EXPECT_TRUE(v.MoveElement(4, 1)); }, "y pic z x g"},
        {"move beyond the end", [&] { EXPECT_FALSE(v.MoveElement(1, 5)); }, "y pic z x g"},
        {"a scalar in the deepest vector", [&] { v.AddElement("image", 5, MaxVectorNesting); },
         "y pic z x g pic"},
        {"a vector one level too deep",
         [&] {
             try {
                 v.AddElement("group", 0, MaxVectorNesting);
                 ADD_FAILURE() << "not refused";
             } catch (const EZarnError& error) {
                 EXPECT_EQ(error.Message(),
                           "Cannot add this element: lists may be nested at most 32 levels deep, "
                           "and it would make level 33");
             }
         },
         "y pic z x g pic"},
    };
    for (const auto& step : steps) {
        step.run();
        std::string subNames;
        for (std::size_t i = 0; i < v.Containers.size(); ++i) {
            subNames += (i ? " " : "") + v.Containers[i]->SubName;
            EXPECT_EQ(v.Containers[i]->Field->Name, "v." + std::to_string(i)) << step.step;
        }
        EXPECT_EQ(subNames, step.subNames) << step.step;
    }
    EXPECT_EQ(v.Containers[3].get(), taken) << "the element put back is the one taken";
}

TEST_F(ParamVectorTest, SaveAsKeepsTemplatesReachable) {
    TAPParamVector& v = LoadVector(Ini({"ValidTemplates=group*", "FieldCount=0"}), Templates);
    v.AddFromTemplate("group");
    const std::string oldPath = path;
    const std::string newPath = dir.file("saved.zrd");
    std::filesystem::copy_file(oldPath, newPath);
    TKelmFile saved(newPath);
    saved.SaveParamList(*list);
    RepointSourceFiles(*list, saved);
    std::filesystem::remove(oldPath);
    ClearProfileCache();

    EXPECT_EQ(v.SourceFile->FileName(), newPath);
    auto& nested = dynamic_cast<TAPParamVector&>(*v.Containers[0]->Field);
    EXPECT_EQ(nested.SourceFile->FileName(), newPath);
    EXPECT_EQ(v.AddFromTemplate("image").Field->GetValue(), "new.gif");
    EXPECT_EQ(nested.AddFromTemplate("image").SubName, "pic");
}

} // namespace
} // namespace zarn

namespace zarn {
namespace {

// The vectors of the sample templates, compiled before and after a save into a document.
TEST(ParamVectorSamples, CompileAndSurviveASave) {
    RegisterStandardParamClasses();
    const std::string folder = std::string(ZARN_SOURCE_DIR) + "/Templates/Vectors/";
    const std::pair<const char*, const char*> samples[] = {
        {"SlideShow.zrt", "<PARAM NAME=imgCount VALUE=3>\r<PARAM NAME=img1 VALUE=slide1.gif>\r"
                          "<PARAM NAME=img2 VALUE=slide2.gif>\r<PARAM NAME=img3 VALUE=slide3.gif>\r\n"},
        {"MenuBar.zrt",
         "<PARAM NAME=menu VALUE=\"menu:{Home=index.html};{News=news.html};{Contact=contact.html}\">\n"
         "<PARAM NAME=style VALUE=\"font:Helvetica; size:12\">\n"},
        {"Gallery.zrt", "<PARAM NAME=albumCount VALUE=2>\r<PARAM NAME=album1 VALUE=beach.gif|dunes.gif>\r"
                        "<PARAM NAME=album2 VALUE=forest.gif>\r\n"},
    };
    for (const auto& [name, expected] : samples) {
        TempDir dir;
        const std::string document = dir.file("doc.zrd");
        std::filesystem::copy_file(folder + name, document);
        ClearProfileCache();
        std::string before;
        {
            auto list = TKelmFile(document).LoadParamList();
            for (const auto& param : *list)
                before += param->CompileParam(dir.dir(), 2, true, nullptr, nullptr) + "\n";
            TKelmFile(document).SaveParamList(*list);
        }
        EXPECT_NE(before.find(expected), std::string::npos) << name << ":\n" << before;
        ClearProfileCache();
        auto list = TKelmFile(document).LoadParamList();
        std::string after;
        for (const auto& param : *list)
            after += param->CompileParam(dir.dir(), 2, true, nullptr, nullptr) + "\n";
        EXPECT_EQ(before, after) << name;
    }
}

} // namespace
} // namespace zarn
