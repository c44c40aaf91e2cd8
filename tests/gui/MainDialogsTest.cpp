#include "DialogTestUtil.h"
#include "TestUtil.h"

#include "paths/PathForms.h"
#include "support/RecordingActions.h"
#include "support/ScriptedDialogs.h"
#include "tag/AppSettings.h"
#include "tag/Preview.h"
#include "ui/About.h"
#include "ui/AppletSize.h"
#include "ui/HTMLCodeWindow.h"
#include "ui/Main.h"
#include "ui/PreviewServer.h"
#include "ui/QtPlatformActions.h"
#include "ui/TemplateFiles.h"
#include "ui/uOptionsPaths.h"
#include "views/Dialogs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

// The real main window with scripted boxes, recorded platform actions and a loaded document.
class MainDialogsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings = TAppSettings{};
        SetWindowActions(&actions);
        documentPath = dir.file("demo.zrd");
        WriteFile(documentPath, test::Ini({"[Applet Basic Parameters]", "Width=200", "Height=100",
                                           "HSpace=10", "VSpace=5", "Code=Demo.class", "WebRoot=" + dir.dir(),
                                           "Doc=demo.html", "TemplateFile=0", "[Applet Parameters]",
                                           "Param0=a", "[a parameter]", "Class=TAPString", "Value=x"}));
        WriteFile(dir.file("Demo.class"), "class");
        form.ShowStep({});
        ASSERT_TRUE(form.LoadDocument(documentPath));
    }
    void TearDown() override {
        TempFiles().CleanUp();
        SetWindowActions(nullptr);
        AppSettings = TAppSettings{};
    }

    TempDir dir;
    std::string documentPath;
    TScriptedDialogs answers;
    TScopedDialogs scoped{answers};
    RecordingActions actions;
    TMainForm form;
};

TEST_F(MainDialogsFixture, NewRunsTheBrowserThenAppliesDefaultPaths) {
    AppSettings.DefaultWebRoot = dir.dir();
    answers.realTemplateBrowser = true;
    test::WhenModalShows([](QWidget* modal) {
        auto* browser = qobject_cast<TTemplateBrowser*>(modal);
        ASSERT_NE(browser, nullptr);
        EXPECT_FALSE(browser->Button1->isEnabled());
        const auto found = browser->tv->findItems("AnalogClock", Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty());
        browser->tv->setCurrentItem(found.front());
        QTest::mouseClick(browser->Button1, Qt::LeftButton);
    });
    form.New1->trigger();
    EXPECT_TRUE(form.DocFileName.ends_with("Templates/Clocks/AnalogClock.zrt")) << form.DocFileName;
    EXPECT_TRUE(fs::exists(form.DocFileName));
    EXPECT_TRUE(form.BasicParams->TemplateFile);
    EXPECT_EQ(form.WebRoot->text().toStdString(), dir.dir());
    EXPECT_TRUE(answers.prompt.Entries().empty());
}

TEST_F(MainDialogsFixture, OptionsOpenOnTheChosenPage) {
    struct Case {
        QAction* item;
        const char* page;
    };
    for (const Case& c : {Case{form.Paths1, "TabSheet1"}, Case{form.Options2, "TabSheet2"}}) {
        SCOPED_TRACE(c.page);
        test::WhenModalShows([&c](QWidget* modal) {
            auto* options = qobject_cast<TOptionsPaths*>(modal);
            ASSERT_NE(options, nullptr);
            EXPECT_EQ(options->PC->currentWidget()->objectName(), c.page);
            QTest::mouseClick(options->Button2, Qt::LeftButton);
        });
        c.item->trigger();
        EXPECT_FALSE(form.OptionsDialog->isVisible());
    }
}

TEST_F(MainDialogsFixture, SizeWindowFollowsAndDrivesTheMainPage) {
    int writeBacks = 0;
    QObject::connect(form.SizeForm, &TAppletSizeForm::AppletWidthChosen, [&writeBacks] { ++writeBacks; });
    QTest::mouseClick(form.Resize, Qt::LeftButton);
    ASSERT_TRUE(form.SizeForm->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.SizeForm));
    EXPECT_EQ(form.SizeForm->size(), QSize(220, 110));
    EXPECT_EQ(form.SizeForm->Label1->geometry(), QRect(10, 5, 200, 100));

    // Dragging the right edge changes the width alone.
    form.SizeForm->resize(250, 110);
    QTest::qWait(20);
    EXPECT_EQ(form.AppletWidth->value(), 230);
    EXPECT_EQ(form.BasicParams->Width, 230);
    EXPECT_EQ(form.BasicParams->Height, 100);
    writeBacks = 0;

    // A width typed in the main window resizes the window without writing back.
    form.AppletWidth->setValue(300);
    QTest::qWait(20);
    EXPECT_EQ(form.SizeForm->width(), 320);
    EXPECT_EQ(writeBacks, 0);
    EXPECT_EQ(form.BasicParams->Width, 300);

    // Its close button releases Resize; pressing it again reopens at the current size.
    form.SizeForm->close();
    EXPECT_FALSE(form.Resize->isChecked());
    QTest::mouseClick(form.Resize, Qt::LeftButton);
    EXPECT_TRUE(form.SizeForm->isVisible());
    EXPECT_EQ(form.SizeForm->size(), QSize(320, 110));
    QTest::mouseClick(form.Resize, Qt::LeftButton);
    EXPECT_FALSE(form.SizeForm->isVisible());
}

// Placed beside the main window, the size window leaves the spinners it drives in sight.
TEST_F(MainDialogsFixture, SizeWindowOpensBesideTheMainWindow) {
    const QRect room = form.screen()->availableGeometry();
    form.setGeometry(room.left() + 10, room.top() + 40, 400, 300);
    QTest::mouseClick(form.Resize, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.SizeForm));
    // Frames not yet drawn are not known: the window's own area is what must stay clear.
    EXPECT_FALSE(form.SizeForm->frameGeometry().intersects(form.geometry()));
    EXPECT_TRUE(room.contains(form.SizeForm->frameGeometry()));
}

// Each opening centres the dialog on its screen, wherever it was left.
TEST_F(MainDialogsFixture, DialogsAreCentredAtEachOpening) {
    TAboutBox about(&form);
    TTemplateBrowser browser(&form);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&about, &browser}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        for (int opening = 0; opening < 3; ++opening) {
            dialog->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            const QPoint offCentre =
                dialog->frameGeometry().center() - dialog->screen()->availableGeometry().center();
            EXPECT_LE(offCentre.manhattanLength(), 2) << opening;
            dialog->hide();
            dialog->move(dialog->pos() + QPoint(0, 20));
        }
    }
}

// The preview hands the page on in the chosen form; every page stays until the exit clean-up.
TEST_F(MainDialogsFixture, PreviewHandsThePageOn) {
    AppSettings.AppletViewer = "viewer";
    AppSettings.WaitForAVToClose = false;
    AppSettings.UseWebAsAV = false;
    for (int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        AppSettings.PathnamesKind = kind;
        form.Runpreview1->trigger();
        ASSERT_FALSE(actions.starts.empty());
        const std::string page = TempFiles().Files().back();
        EXPECT_EQ(actions.starts.back().program, "viewer");
        EXPECT_EQ(actions.starts.back().arguments, TStrings{PreviewPathForViewer(page, kind)});
    }
    AppSettings.UseWebAsAV = true;
    form.Runpreview1->trigger();
    ASSERT_EQ(actions.opened.size(), 1u);
    // The browser gets the page from the window's loopback server.
    const TPreviewServer& server = PreviewServerOf(&form);
    const std::string pageURL = actions.opened.back();
    const std::string prefix = server.Base().toStdString() + "/~zarn/preview/";
    ASSERT_TRUE(server.IsListening());
    EXPECT_EQ(pageURL, prefix + ExtractFileName(TempFiles().Files().back()));
    const std::string path = pageURL.substr(server.Origin().size());
    EXPECT_EQ(server.Resolve(QByteArray::fromStdString(path)).fileName.toStdString(),
              TempFiles().Files().back());

    actions.startWorks = false;
    AppSettings.UseWebAsAV = false;
    form.Runpreview1->trigger();
    ASSERT_EQ(answers.prompt.Entries().size(), 1u);
    EXPECT_TRUE(answers.prompt.Texts().back().starts_with("Can't launch viewer "));

    const TStrings pages = TempFiles().Files();
    ASSERT_EQ(pages.size(), 5u);
    for (const std::string& page : pages)
        EXPECT_TRUE(fs::exists(page)) << page;
    TempFiles().CleanUp();
    for (const std::string& page : pages)
        EXPECT_FALSE(fs::exists(page)) << page;
    // The preview gives the document its paths back.
    EXPECT_EQ(form.BasicParams->WebRoot, dir.dir());
}

TEST_F(MainDialogsFixture, CodeAndHelpCommands) {
    test::WhenModalShows([](QWidget* modal) {
        auto* window = qobject_cast<THTMLCodeWindow*>(modal);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->Code->toPlainText().startsWith("<APPLET CODE=\"Demo.class\""));
        QTest::mouseClick(window->CloseButton, Qt::LeftButton);
    });
    form.ShowHTMLCode1->trigger();

    answers.prompt = ScriptedPrompt({}, true);
    form.Generateactualcode1->trigger();
    ASSERT_EQ(actions.clipboard.size(), 1u);
    EXPECT_NE(actions.clipboard[0].find("\r\n</APPLET>"), std::string::npos);
    EXPECT_EQ(
        answers.prompt.Texts().back(),
        "Generated HTML code is now in the clipboard.\rYou may now paste it into your favorite HTML editor.");

    form.UsingZARN1->trigger();
    ASSERT_EQ(actions.opened.size(), 1u);
    EXPECT_TRUE(actions.opened[0].ends_with("/Docs/index.html")) << actions.opened[0];
    // The applet's own page is missing from the program's Docs: told, not opened.
    form.UA->trigger();
    EXPECT_EQ(actions.opened.size(), 1u);
    EXPECT_TRUE(answers.prompt.Texts().back().starts_with("Could not open "))
        << answers.prompt.Texts().back();
}

// Every template that ships names its own help page, and "Using ..." opens it from the program's Docs.
TEST_F(MainDialogsFixture, EverySampleOpensItsOwnHelpPage) {
    int samples = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(ZARN_SOURCE_DIR) / "Templates")) {
        if (entry.path().extension() != ".zrt")
            continue;
        ++samples;
        const std::string name = entry.path().filename().string();
        ASSERT_TRUE(form.LoadDocument(entry.path().string())) << name;
        const std::string doc = form.BasicParams->Doc;
        EXPECT_TRUE(doc.ends_with(".html")) << name;
        EXPECT_TRUE(form.UA->isEnabled()) << name;
        const std::size_t opened = actions.opened.size();
        form.UA->trigger();
        ASSERT_EQ(actions.opened.size(), opened + 1) << name;
        EXPECT_TRUE(actions.opened.back().ends_with("/Docs/" + doc)) << actions.opened.back();
    }
    EXPECT_GE(samples, 7);
}

} // namespace
} // namespace zarn
