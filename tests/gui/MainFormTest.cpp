#include "TestUtil.h"

#include "model/KelmFile.h"
#include "support/ScriptedDialogs.h"
#include "tag/AppSettings.h"
#include "ui/Main.h"
#include "ui/Startup.h"
#include "views/Dialogs.h"
#include "views/ParamViews.h"

#include <QAction>
#include <QComboBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::Ini;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

struct TParamLines {
    std::string speedClass = "TAPNumeric";
    std::string speedPage = "1";
    std::string labelPage = "0";
};

std::string Template(const std::string& basic, const TParamLines& lines = {}) {
    return Ini({"[Applet Basic Parameters]", "Code=Demo.class", "TemplateFile=1", basic, "[Pages]",
                "Page0=First", "Page1=Second", "[Applet Parameters]", "Param0=speed", "Param1=label",
                "[speed parameter]", "Class=" + lines.speedClass, "UFName=Speed", "Value=3",
                "Page=" + lines.speedPage, "[label parameter]", "Class=TAPString", "Value=hello",
                "Page=" + lines.labelPage});
}

// A real main window on a temporary folder, its dialogs answered by a script.
class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterEverythingForTests();
        AppSettings = TAppSettings();
        form = std::make_unique<TMainForm>();
        form->ShowStep({});
    }
    void TearDown() override { form.reset(); }

    static void RegisterEverythingForTests() { RegisterBaseParamView(); }

    std::string Write(const std::string& name, const std::string& content) {
        WriteFile(dir.file(name), content);
        return dir.file(name);
    }
    int Pages() const { return form->PC->count(); }

    TempDir dir;
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainForm, FirstArgumentOpensAFileWithOneQuoteRemovedAtEachEnd) {
    const std::string path = Write("Demo.zrt", Template("Width=10"));
    const QString qpath = QString::fromStdString(path);
    struct Case {
        QString argument;
        bool loads;
    } cases[] = {
        {qpath, true},
        {QLatin1Char('"') + qpath + QLatin1Char('"'), true},
        {QLatin1Char('"') + qpath, true},
        {QStringLiteral("\""), false},
        {QString::fromStdString(dir.file("missing.zrt")), false},
    };
    for (const Case& c : cases) {
        TMainForm fresh;
        fresh.ShowStep({c.argument});
        EXPECT_EQ(!fresh.DocFileName.empty(), c.loads) << c.argument.toStdString();
        EXPECT_EQ(!fresh.PC->isHidden(), c.loads);
    }
    EXPECT_TRUE(dialogs.errors.isEmpty()); // a missing file is ignored without a message
}

TEST_F(MainForm, CaptionsTitlesAndMenuStates) {
    EXPECT_EQ(form->windowTitle(), "ZARN (Quovelt)");
    EXPECT_EQ(ApplicationTitle(), "ZARN");
    EXPECT_EQ(form->size(), QSize(736, 490));
    EXPECT_EQ(form->Panel1->height(), 41);
    EXPECT_TRUE(form->PC->isHidden());
    struct Item {
        const char* name;
        const char* caption;
        bool enabled;
        bool visible;
    } items[] = {
        {"New1", "&New...", true, true},
        {"FileOpenItem", "&Open...", true, true},
        {"FileSaveItem", "&Save", false, true},
        {"FileSaveAsItem", "Save &As...", false, true},
        {"FileExitItem", "E&xit", true, true},
        {"Runpreview1", "&Run preview", true, true},
        {"Paths1", "&Paths....", true, true},
        {"Options2", "&Options...", true, true},
        {"UsingZARN1", "&Using ZARN", true, true},
        {"UA", "&Using Applet", false, false},
        {"HelpAboutItem", "&About...", true, true},
    };
    for (const Item& item : items) {
        auto* action = form->findChild<QAction*>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption);
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
        EXPECT_EQ(action->isVisible(), item.visible) << item.name;
        // The commands with keys of their own are checked with their keys in the undo tests.
        if (QStringList({"Paths1", "Options2", "UA", "HelpAboutItem"}).contains(QLatin1String(item.name))) {
            EXPECT_TRUE(action->shortcut().isEmpty()) << item.name;
        }
    }
    EXPECT_FALSE(form->Build1->isEnabled());
    EXPECT_EQ(form->GBPaths->title(), "Applet Paths");

    struct Title {
        const char* file;
        const char* title;
    } titles[] = {{"Demo.zrd", "Demo - ZARN"}, {"a.b.zrd", "a.b - ZARN"}, {"plain", "plain - ZARN"}};
    for (const Title& t : titles) {
        ASSERT_TRUE(form->LoadDocument(Write(t.file, Template("Doc=help.html"))));
        EXPECT_EQ(form->windowTitle(), t.title);
        EXPECT_EQ(ApplicationTitle(), t.title);
    }
    EXPECT_EQ(form->GBPaths->title(), "Applet paths for applet Demo.class");
    EXPECT_TRUE(form->FileSaveItem->isEnabled());
    EXPECT_TRUE(form->Build1->isEnabled());
    EXPECT_EQ(form->UA->text(), "&Using Demo.class");
    EXPECT_TRUE(form->UA->isVisible());
    EXPECT_TRUE(form->UA->isEnabled());
    EXPECT_EQ(form->ToolbarMask, 8 | 32 | 4);
}

TEST_F(MainForm, LoadedValuesAreClampedAndNothingIsModifiedAfterTheLoad) {
    const std::string path = Write(
        "Demo.zrd", Template("Width=9000\r\nHeight=1500\r\nHSpace=-5\r\nVSpace=7\r\nAlign=9\r\nWebRoot=/w"));
    form->SetModified();
    dialogs.answers = {TAnswer::No};
    ASSERT_TRUE(form->LoadDocument(path));

    EXPECT_EQ(form->AppletWidth->value(), 8192);
    EXPECT_EQ(form->AWEdit->text(), "8192");
    EXPECT_EQ(form->AppletTag->BasicParams.Width, 8192);
    EXPECT_EQ(form->AppletTag->BasicParams.HSpace, 0);
    EXPECT_EQ(form->AHEdit->text(), "1,500");
    EXPECT_EQ(form->CBAlign->currentIndex(), -1);
    EXPECT_EQ(form->AppletTag->BasicParams.Align, 9);
    EXPECT_EQ(form->WebRoot->text(), "/w");
    EXPECT_FALSE(form->Modified);
    EXPECT_TRUE(form->StatusPanel0->text().isEmpty());
    EXPECT_TRUE(form->ToolbarMask & 4);
    EXPECT_FALSE(form->ToolbarMask & 16);
    EXPECT_EQ(Pages(), 3);

    // Typed values: the user's pick of an alignment, a width, a path; each marks the document.
    form->CBAlignChange(2);
    EXPECT_EQ(form->AppletTag->BasicParams.Align, 2);
    form->AWEdit->selectAll();
    QTest::keyClicks(form->AWEdit, "300");
    EXPECT_EQ(form->AppletTag->BasicParams.Width, 300);
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(form->StatusPanel0->text(), "Modified");
    EXPECT_FALSE(form->ToolbarMask & 4);
    // A character outside Windows-1252 is refused, not stored as "?".
    form->WebRoot->setText(QStringLiteral("/w\u0416"));
    EXPECT_EQ(form->WebRoot->text(), "/w");
    EXPECT_EQ(form->AppletTag->BasicParams.WebRoot, "/w");
    EXPECT_FALSE(form->StatusNote->text().isEmpty());
}

TEST_F(MainForm, NewMarksModifiedOnlyWhenTheDefaultPathsDiffer) {
    const std::string tpl = Write("Demo.zrt", Template("WebRoot=/site"));
    struct Case {
        const char* webRoot;
        const char* codeBase;
        bool modified;
    } cases[] = {{"", "", false}, {"/site", "", false}, {"/other", "", true}, {"", "/cb", true}};
    for (const Case& c : cases) {
        AppSettings.DefaultWebRoot = c.webRoot;
        AppSettings.DefaultCodeBase = c.codeBase;
        form->ClearModified();
        dialogs.files.push_back(QString::fromStdString(tpl));
        form->New1Click();
        EXPECT_EQ(form->DocFileName, tpl);
        EXPECT_EQ(form->Modified, c.modified) << c.webRoot << c.codeBase;
        if (*c.webRoot) {
            EXPECT_EQ(form->AppletTag->BasicParams.WebRoot, c.webRoot);
        }
    }
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainForm, TheSaveQuestionStopsTheActionUnlessTheChangesAreSafe) {
    const std::string first = Write("First.zrt", Template("WebRoot=/first"));
    const std::string second = Write("Second.zrd", Template("WebRoot=/second"));
    AppSettings.DefaultWebRoot = "/default";
    struct Case {
        TAnswer answer;
        QString saveAsChoice; // empty: the Save As dialog is cancelled
        bool goesOn;
    } cases[] = {
        {TAnswer::Cancel, {}, false},
        {TAnswer::Yes, {}, false}, // Yes on a template is Save As; cancelling it keeps the changes
        {TAnswer::No, {}, true},
    };
    for (const Case& c : cases) {
        form->ClearModified();
        ASSERT_TRUE(form->LoadDocument(first));
        form->WebRoot->setText(QStringLiteral("/typed"));
        ASSERT_TRUE(form->Modified);
        dialogs.answers = {c.answer};
        dialogs.files = {QString::fromStdString(second), c.saveAsChoice};
        form->New1Click(); // the file dialog stands in for the template browser
        EXPECT_EQ(form->DocFileName, c.goesOn ? second : first);
        if (!c.goesOn) {
            EXPECT_TRUE(form->Modified);
            EXPECT_EQ(form->WebRoot->text(), "/typed");
            EXPECT_EQ(form->AppletTag->BasicParams.WebRoot, "/typed");
            EXPECT_EQ(Pages(), 3);
        }
        EXPECT_EQ(dialogs.questions.last(), "Current file not saved. Save ?");
    }
    // Closing asks the same question; Cancel keeps the window.
    form->show();
    form->WebRoot->setText(QStringLiteral("/again"));
    dialogs.answers = {TAnswer::Cancel};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ReadFile(first), Template("WebRoot=/first"));
}

TEST_F(MainForm, SaveOnATemplateGoesToSaveAsAndTheCheckRunsOnce) {
    fs::create_directory(dir.path() / "cb");
    const std::string tpl = Write("Demo.zrt", Template("CodeBase=" + dir.file("cb")));
    const std::string templateBytes = ReadFile(tpl);
    ASSERT_TRUE(form->LoadDocument(tpl));
    form->AppletWidth->setValue(120);

    dialogs.prompt = ScriptedPrompt({}, true);
    form->FileSaveItemClick(); // the Save As dialog is cancelled
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].filter, "ZARN Documents (*.zrd)|*.zrd");
    EXPECT_EQ(ReadFile(tpl), templateBytes);
    EXPECT_TRUE(dialogs.prompt.Entries().empty());

    const std::string doc = dir.file("Demo.zrd");
    dialogs.files = {QString::fromStdString(doc)};
    form->FileSaveItemClick();
    EXPECT_EQ(ReadFile(tpl), templateBytes);
    EXPECT_EQ(form->DocFileName, doc);
    EXPECT_EQ(form->windowTitle(), "Demo - ZARN");
    EXPECT_FALSE(form->Modified);
    TKelmFile saved(doc);
    EXPECT_EQ(saved.ReadInteger("Applet Basic Parameters", "Width", 0), 120);
    EXPECT_FALSE(saved.ReadBool("Applet Basic Parameters", "TemplateFile", true));
    EXPECT_EQ(saved.ReadString("speed parameter", "Class", ""), "TAPNumeric"); // the template's copy
    EXPECT_EQ(dialogs.prompt.Entries().size(), 1u);                            // the missing class file

    // A document: Save writes in place; Save As (also onto itself) runs no check.
    form->AppletWidth->setValue(130);
    form->FileSaveItemClick();
    EXPECT_EQ(TKelmFile(doc).ReadInteger("Applet Basic Parameters", "Width", 0), 130);
    for (const std::string& target : {dir.file("Copy.zrd"), doc}) {
        dialogs.files = {QString::fromStdString(target)};
        form->AppletWidth->setValue(140);
        form->FileSaveAsItemClick();
        EXPECT_EQ(TKelmFile(target).ReadInteger("Applet Basic Parameters", "Width", 0), 140);
        EXPECT_EQ(TKelmFile(target).ReadString("label parameter", "Value", ""), "hello");
    }
    EXPECT_EQ(dialogs.prompt.Entries().size(), 1u);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

// Save As starts where documents went, never among the templates, and never replaces a template.
TEST_F(MainForm, SaveAsStartsWhereDocumentsWentAndNeverReplacesATemplate) {
    fs::create_directories(dir.path() / "tpl");
    fs::create_directories(dir.path() / "docs");
    const std::string tpl = Write("tpl/Demo.zrt", Template("Width=10"));
    const std::string other = Write("tpl/Other.zrt", Template("Width=20"));
    ASSERT_TRUE(form->LoadDocument(tpl));
    dialogs.prompt = ScriptedPrompt({}, true);

    dialogs.files = {QString::fromStdString(other)};
    EXPECT_FALSE(form->SaveAs());
    EXPECT_EQ(dialogs.saveRequests.back().directory,
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(ReadFile(other), Template("Width=20"));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], QString::fromStdString(other) + " is a template. A document is never saved "
                                                                 "over a template: choose another name.");
    EXPECT_EQ(form->DocFileName, tpl);

    dialogs.files = {QString::fromStdString(dir.file("docs/a.zrd")), QString()};
    EXPECT_TRUE(form->SaveAs());
    EXPECT_FALSE(form->SaveAs());
    EXPECT_EQ(dialogs.saveRequests.back().directory, QString::fromStdString(dir.file("docs")));
}

// A field that refused its text shows the document's value again once left, and says so; a save
// while it still holds refused text asks first.
TEST_F(MainForm, RefusedTextIsNeverWhatTheFieldShowsOnceLeftOrWhatASaveTakesUnasked) {
    RegisterScalarViews();
    const std::string doc =
        Write("Demo.zrd", Ini({"[Applet Basic Parameters]", "Code=Demo.class", "TemplateFile=0",
                               "[Applet Parameters]", "Param0=size", "Param1=rate", "[size parameter]",
                               "Class=TAPNumeric", "UFName=Font size", "Value=12", "Min=8", "Max=72",
                               "[rate parameter]", "Class=TAPFloat", "UFName=Rate", "Value=1.5"}));
    ASSERT_TRUE(form->LoadDocument(doc));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->PC->setCurrentIndex(1);
    QLineEdit* size = form->findChild<TAPVNumeric*>()->Editor;
    QLineEdit* rate = form->findChild<TAPVFloat*>()->Editor;
    const struct {
        QLineEdit* field;
        const char* typed;
        QString shownAfter, note;
    } cases[] = {
        {size, "99", "9", "Font size: 99 is not between 8 and 72. The document keeps 9."},
        {rate, "", "1.5", "Rate: '' is not a valid floating point value. The document keeps 1.5."},
    };
    for (const auto& c : cases) {
        c.field->setFocus(Qt::TabFocusReason);
        c.field->selectAll();
        QTest::keyClick(c.field, Qt::Key_Backspace);
        QTest::keyClicks(c.field, c.typed);
        EXPECT_TRUE(c.field->property("refused").toBool()) << c.typed;
        QTest::keyClick(c.field, Qt::Key_Tab);
        EXPECT_EQ(c.field->text(), c.shownAfter);
        EXPECT_FALSE(c.field->property("refused").toBool());
        EXPECT_EQ(form->StatusNote->text(), c.note);
    }

    size->setFocus(Qt::TabFocusReason);
    size->selectAll();
    QTest::keyClicks(size, "99");
    dialogs.prompt = ScriptedPrompt({false, true});
    EXPECT_FALSE(form->Save()); // No: back to the field
    EXPECT_EQ(size->text(), "99");
    EXPECT_TRUE(size->hasFocus());
    EXPECT_TRUE(form->Save());
    ASSERT_EQ(dialogs.prompt.Texts().size(), 2u);
    EXPECT_NE(dialogs.prompt.Texts()[0].find("Font size: 99 is not between 8 and 72. The document keeps 9."),
              std::string::npos);
    EXPECT_EQ(TKelmFile(doc).ReadString("size parameter", "Value", ""), "9");
}

// Save As onto a link writes the file the link names, as Save and the command line do.
TEST_F(MainForm, SaveAsThroughALinkWritesTheLinkedFile) {
    ZARN_POSIX_ONLY("links");
    ASSERT_TRUE(form->LoadDocument(Write("Demo.zrt", Template("Width=10"))));
    fs::create_directory(dir.path() / "real");
    Write("real/doc.zrd", "old");
    fs::create_symlink("real/doc.zrd", dir.path() / "link.zrd");
    dialogs.files = {QString::fromStdString(dir.file("link.zrd"))};
    form->AppletWidth->setValue(120);
    form->FileSaveAsItemClick();
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.zrd"));
    EXPECT_EQ(TKelmFile(dir.file("real/doc.zrd")).ReadInteger("Applet Basic Parameters", "Width", 0), 120);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainForm, AFailedLoadKeepsThePreviousDocument) {
    const std::string good = Write("Good.zrt", Template("WebRoot=/good"));
    struct Case {
        const char* name;
        std::string content;
        const char* message; // part of the error shown
    } cases[] = {
        {"Page.zrt", Template("", {.labelPage = "5"}), "Parameter \"label\" is on page 5"},
        {"Negative.zrt", Template("", {.speedPage = "-1"}), "Parameter \"speed\" is on page -1"},
        {"Class.zrt", Template("", {.speedClass = "TNoSuchKind"}), "speed"},
    };
    for (const Case& c : cases) {
        form->ClearModified();
        ASSERT_TRUE(form->LoadDocument(good));
        form->WebRoot->setText(QStringLiteral("/typed"));
        TAppletParam* before = &(*form->ParamList)[0];
        dialogs.answers = {TAnswer::No};
        dialogs.files = {QString::fromStdString(Write(c.name, c.content))};
        form->FileOpenItemClick();
        ASSERT_EQ(dialogs.errors.size(), 1) << c.name;
        EXPECT_TRUE(dialogs.errors.takeFirst().contains(QLatin1String(c.message))) << c.name;
        EXPECT_EQ(form->DocFileName, good);
        EXPECT_EQ(form->DocFile->FileName(), good);
        EXPECT_EQ(&(*form->ParamList)[0], before);
        EXPECT_TRUE(form->Modified);
        EXPECT_EQ(form->AppletTag->BasicParams.WebRoot, "/typed");
        EXPECT_EQ(Pages(), 3);
        EXPECT_FALSE(form->PC->isHidden());
    }
}

TEST_F(MainForm, AFailedSaveAsReportsAndChangesNothing) {
    const std::string tpl = Write("Demo.zrt", Template(""));
    ASSERT_TRUE(form->LoadDocument(tpl));
    form->AppletWidth->setValue(50);
    dialogs.prompt = ScriptedPrompt({}, true);
    dialogs.files = {QString::fromStdString(dir.file("no/such/folder/Demo.zrd"))};
    form->FileSaveAsItemClick();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].endsWith(QLatin1Char('.')));
    EXPECT_EQ(form->DocFileName, tpl);
    EXPECT_TRUE(form->AppletTag->BasicParams.TemplateFile);
    EXPECT_TRUE(form->Modified);
    EXPECT_FALSE(fs::exists(dir.file("no")));

    // Yes in the save question whose save fails does not let the close go on.
    dialogs.answers = {TAnswer::Yes};
    dialogs.files = {QString::fromStdString(dir.file("no/such/folder/Demo.zrd"))};
    EXPECT_FALSE(form->QuerySave());
}

TEST_F(MainForm, MainLoopErrorsShowLineBreaksAndAFullStop) {
    ShowMainLoopError("First line\rSecond line");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "First line\nSecond line.");
}

TEST_F(MainForm, StartOptionsAndBrowseButtons) {
    const TStartOptions options =
        ParseStartOptions({QStringLiteral("--no-splash"), QStringLiteral("a.zrt"), QStringLiteral("b")});
    EXPECT_FALSE(options.splash);
    EXPECT_EQ(options.files, QStringList({"a.zrt", "b"}));

    ASSERT_TRUE(form->LoadDocument(Write("Demo.zrt", Template(""))));
    form->WebRoot->setText(QString::fromStdString(dir.dir()));
    dialogs.directories = {QString(), QStringLiteral("/chosen")};
    form->WebBrowseClick(); // cancelled
    EXPECT_EQ(dialogs.directoryStarts.last(), QString::fromStdString(dir.dir()));
    form->ClearModified();
    form->WebBrowseClick();
    EXPECT_EQ(form->WebRoot->text(), "/chosen");
    EXPECT_EQ(form->AppletTag->BasicParams.WebRoot, "/chosen");
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(form->WebDB.Directory, "/chosen");
}

// The status bar shows the hint of the control under the mouse, its own or its parent's, while hints are on.
TEST_F(MainForm, TheStatusBarShowsTheHintUnderTheMouse) {
    QWidget* width = form->AppletWidth;
    QWidget* widthEdit = width->findChild<QLineEdit*>();
    const QString widthHint = width->toolTip();
    ASSERT_FALSE(widthHint.isEmpty());
    auto enter = [](QWidget* widget) {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(widget, &event);
    };
    auto leave = [](QWidget* widget) {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &event);
    };
    enter(form->WebRoot);
    EXPECT_EQ(form->StatusNote->text(), form->WebRoot->toolTip().simplified());
    leave(form->WebRoot);
    enter(widthEdit);
    EXPECT_EQ(form->StatusNote->text(), widthHint);
    leave(widthEdit); // back over the spinner's arrows
    EXPECT_EQ(form->StatusNote->text(), widthHint);
    leave(width);
    EXPECT_EQ(form->StatusNote->text(), "");

    // A note about refused input stays until the mouse shows another hint.
    enter(width);
    form->ShowStatusNote("refused");
    leave(width);
    EXPECT_EQ(form->StatusNote->text(), "refused");

    AppSettings.ShowHints = false;
    form->ApplyShowHints();
    form->ShowStatusNote({});
    enter(form->WebRoot);
    EXPECT_EQ(form->StatusNote->text(), "");
}

} // namespace
} // namespace zarn
