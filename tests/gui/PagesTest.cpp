#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ScalarParams.h"
#include "profile/Errors.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "views/ParamViewList.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;

// A view of its own class, to tell registered views from the base view.
class TTestStringView : public TAppletParamView {
public:
    using TAppletParamView::TAppletParamView;
    int GetPreferredHeight() override { return 30; }
};

class TTestParam : public TAPString {};
class TDerivedTestParam : public TTestParam {};

class Pages : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBaseParamView();
        AppSettings = TAppSettings();
        control.resize(500, 400);
    }
    void Load(std::initializer_list<std::string> lines) {
        WriteFile(dir.file("t.zrt"), Ini(lines));
        TKelmFile file(dir.file("t.zrt"));
        tag.Load(file);
        RebuildPages(tag, pages, &control);
        PopulatePages(document, pages);
    }
    std::vector<TAppletParamView*> Views(std::size_t page) const {
        std::vector<TAppletParamView*> views;
        for (QObject* child : pages[page].Panel->children())
            if (auto* view = qobject_cast<TAppletParamView*>(child))
                views.push_back(view);
        return views;
    }

    TempDir dir;
    TEditorDocument document;
    TJavaAppletTag& tag = document.Tag();
    QTabWidget control;
    TPageList pages;
};

TEST_F(Pages, OnePagePerCaptionViewsOnTheirPageAlternateTextLastOnTheFirst) {
    Load({"[Pages]", "Page0=Look", "Page1=Motion", "[Applet Parameters]", "Param0=a", "Param1=b", "Param2=c",
          "[a parameter]", "Class=TAPString", "Page=1", "[b parameter]", "Class=TAPString", "Page=0",
          "Visible=0", "[c parameter]", "Class=TAPFloat", "Value=1", "Page=1"});
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(control.tabText(0), "Look");
    EXPECT_EQ(control.tabText(1), "Motion");
    ASSERT_EQ(Views(0).size(), 2u);
    EXPECT_EQ(Views(0)[0]->Param, &(*tag.ParamList)[1]);
    EXPECT_TRUE(Views(0)[0]->isHidden());
    EXPECT_EQ(Views(0)[0]->height(), 0);
    TAppletParamView* alternate = Views(0)[1];
    EXPECT_EQ(alternate->Param, tag.ObsoleteText.get());
    EXPECT_FALSE(alternate->isHidden()); // shown although the alternate text is not marked visible
    EXPECT_EQ(alternate->y(), 0);
    EXPECT_EQ(pages[0].Panel->height(), alternate->height());
    // A kind without a view class (TAPFloat) gets the base view.
    ASSERT_EQ(Views(1).size(), 2u);
    EXPECT_EQ(Views(1)[1]->Param, &(*tag.ParamList)[2]);

    // Without captions: one page "Parameters". Rebuilding replaces the pages.
    Load({"[Applet Parameters]", "Param0=a", "[a parameter]", "Class=TAPString", "Visible=1"});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(control.count(), 1);
    EXPECT_EQ(control.tabText(0), "Parameters");
    ASSERT_EQ(Views(0).size(), 2u);
    EXPECT_EQ(Views(0)[1]->y(), Views(0)[0]->height());

    KillPages(pages);
    EXPECT_EQ(control.count(), 0);
}

TEST_F(Pages, APageThatDoesNotExistFailsBeforeAnyViewIsBuilt) {
    Load({"[Applet Parameters]", "Param0=a", "[a parameter]", "Class=TAPString", "Visible=1"});
    (*tag.ParamList)[0].Page = 3;
    EXPECT_THROW(CheckParamPages(tag), EZarnError);
    EXPECT_THROW(PopulatePages(document, pages), EZarnError);
    EXPECT_EQ(Views(0).size(), 2u); // the views of before are still there
}

TEST_F(Pages, ViewsAreFoundByExactClass) {
    if (!FindParamView(std::type_index(typeid(TTestParam))))
        RegisterParamView<TTestStringView, TTestParam>();
    TTestParam registered;
    TDerivedTestParam derived;
    EXPECT_NE(FindParamView(registered), nullptr);
    EXPECT_EQ(FindParamView(derived), nullptr);
    QWidget owner;
    EXPECT_NE(dynamic_cast<TTestStringView*>(CreateParamView(registered, &owner)), nullptr);
    // A class derived from a registered one is not found: it gets the base view.
    TAppletParamView* base = CreateParamView(derived, &owner);
    EXPECT_EQ(dynamic_cast<TTestStringView*>(base), nullptr);
    EXPECT_EQ(base->Param, &derived);
}

TEST_F(Pages, CaptionsFollowTheNameRules) {
    struct Case {
        const char* ufName;
        const char* name;
        bool realNames;
        bool dontShowUFName;
        bool dontShowName;
        const char* caption;
    } cases[] = {
        {"Speed", "speed", true, false, false, "Speed ($speed) : "},
        {"Speed", "speed", false, false, false, "Speed : "},
        {"Speed", "speed", true, true, false, " ($speed) : "},
        {"Speed", "speed", true, true, true, ""},
        {"", "speed", false, false, false, ""},
        {"Text \xE9t\xE9", "", true, false, false, "Text \u00e9t\u00e9 : "},
        {"Alternate text : ", "", true, false, false, "Alternate text : "},
    };
    QWidget owner;
    for (const Case& c : cases) {
        AppSettings.RealNames = c.realNames;
        TAPString param;
        param.UFName = c.ufName;
        param.Name = c.name;
        param.DontShowUFName = c.dontShowUFName;
        param.DontShowName = c.dontShowName;
        TAppletParamView* view = CreateView<TAppletParamView>(&owner, &param);
        EXPECT_EQ(view->NameLabel->text(), QString(c.caption)) << c.ufName << " " << c.name;
        EXPECT_EQ(view->NameLabel->x(), 4);
    }
}

TEST_F(Pages, WideningThePageStretchesItsViews) {
    Load({"[Applet Parameters]", "Param0=a", "Param1=b", "[a parameter]", "Class=TAPString", "Visible=1",
          "[b parameter]", "Class=TAPString", "Visible=1"});
    control.show();
    for (int width : {700, 300, 900}) {
        control.resize(width, 400);
        QCoreApplication::processEvents();
        const int client = pages[0].ScrollBox->viewport()->width();
        EXPECT_GT(client, width - 40);
        EXPECT_EQ(pages[0].Panel->width(), client);
        for (TAppletParamView* view : Views(0)) {
            EXPECT_EQ(view->width(), client);
            EXPECT_FALSE(view->isHidden());
        }
    }
}

} // namespace
} // namespace zarn
