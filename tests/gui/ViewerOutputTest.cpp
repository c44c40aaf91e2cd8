#include "DialogTestUtil.h"
#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "platform/SettingsStore.h"
#include "tag/AppSettings.h"
#include "ui/Main.h"
#include "ui/ViewerOutput.h"
#include "ui/uOptionsPaths.h"
#include "views/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zarn {
namespace {

using test::TempDir;

class ZarnViewerOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings = TAppSettings{};
        OpenAppSettings(std::make_unique<FileSettingsStore>(dir.file("zarn.conf")), {});
        dialog.FindViewerJar = [] { return std::string("/opt/zarn/zarn-viewer.jar"); };
    }
    void TearDown() override {
        CloseAppSettings({});
        AppSettings = TAppSettings{};
    }
    static TJavaSearch Found(std::vector<TJavaRuntime> unusable, std::optional<TJavaRuntime> usable) {
        return {std::move(usable), std::move(unusable)};
    }

    TempDir dir;
    TScriptedDialogs answers;
    TScopedDialogs scoped{answers};
    TOptionsPaths dialog;
};

TEST_F(ZarnViewerOptionsTest, ChosenStoredAndShownAgainWithTheJavaItRunsOn) {
    dialog.SearchJava = [] {
        return Found({{"/jdk26/bin/java", "26", 26}}, TJavaRuntime{"/usr/bin/java", "17.0.15", 17});
    };
    dialog.show();
    EXPECT_TRUE(dialog.UseWWW->isChecked());
    EXPECT_TRUE(dialog.UseZAV->isEnabled());
    EXPECT_TRUE(dialog.JavaNote->text().startsWith("Java 17.0.15: /usr/bin/java\n"))
        << dialog.JavaNote->text().toStdString();
    EXPECT_TRUE(dialog.JavaNote->text().contains("Java 26 (/jdk26/bin/java) cannot run"))
        << dialog.JavaNote->text().toStdString();
    QTest::mouseClick(dialog.UseZAV, Qt::LeftButton);
    EXPECT_FALSE(dialog.AVPath->isEnabled());
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    EXPECT_TRUE(UsesZarnViewer(AppSettings));

    dialog.show();
    EXPECT_TRUE(dialog.UseZAV->isChecked());
    EXPECT_EQ(dialog.AVPath->text().toStdString(), DefaultAppletViewer()) << "the choice is no program path";
    QTest::mouseClick(dialog.UseAW, Qt::LeftButton);
    dialog.AVPath->setText("/opt/viewer");
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    EXPECT_FALSE(UsesZarnViewer(AppSettings));
    EXPECT_EQ(AppSettings.AppletViewer, "/opt/viewer");
}

TEST_F(ZarnViewerOptionsTest, WithoutAJavaThatRunsItTheChoiceIsOffAndSaysWhy) {
    dialog.SearchJava = [] { return Found({{"/jdk26/bin/java", "26.0.1", 26}}, std::nullopt); };
    dialog.show();
    EXPECT_FALSE(dialog.UseZAV->isEnabled());
    EXPECT_TRUE(dialog.JavaNote->text().contains("Java 26 and later have no applet classes"))
        << dialog.JavaNote->text().toStdString();
    dialog.hide();

    dialog.SearchJava = [] { return Found({}, TJavaRuntime{"/usr/bin/java", "17", 17}); };
    dialog.FindViewerJar = [] { return std::string(); };
    AppSettings.AppletViewer = ZarnAppletViewer;
    AppSettings.UseWebAsAV = false;
    dialog.show();
    EXPECT_TRUE(dialog.UseZAV->isChecked() && dialog.UseZAV->isEnabled()) << "a stored choice stays visible";
    EXPECT_TRUE(dialog.JavaNote->text().contains("zarn-viewer.jar) is not installed"))
        << dialog.JavaNote->text().toStdString();
}

// Waits for the viewer to end; a viewer that does not end fails the test.
int WaitForEnd(TViewerOutput& pane) {
    QSignalSpy ended(&pane, &TViewerOutput::ViewerEnded);
    EXPECT_TRUE(ended.wait(10000));
    return ended.isEmpty() ? -2 : ended.front().front().toInt();
}

TEST(ViewerOutputTest, ShowsWhatTheViewerReportsAndHowItEnded) {
    QMainWindow window;
    auto* pane = new TViewerOutput(&window);
    window.addDockWidget(Qt::BottomDockWidgetArea, pane);
    window.show();
    EXPECT_EQ(ViewerOutputPane(), pane);
    EXPECT_EQ(pane->objectName(), "ViewerOutput");
    EXPECT_FALSE(pane->isVisible()) << "hidden until a viewer reports something";

    ASSERT_TRUE(pane->Start("sh", {"-c", "exit 0", "page.html"}));
    EXPECT_EQ(WaitForEnd(*pane), 0);
    EXPECT_FALSE(pane->isVisible()) << "a quiet, clean end needs no pane";

    ASSERT_TRUE(pane->Start("sh", {"-c", "echo 'class Missing not found' >&2; exit 5", "ZAR1.html"}));
    EXPECT_EQ(WaitForEnd(*pane), 5);
    EXPECT_TRUE(pane->isVisible());
    const QString text = pane->Text->toPlainText();
    EXPECT_TRUE(text.contains("class Missing not found")) << text.toStdString();
    EXPECT_TRUE(text.contains("ended with exit code 5: the applet's class cannot be found"))
        << text.toStdString();

    EXPECT_FALSE(pane->Start("/nonexistent/java", {"-jar", "x.jar", "p.html"}));
    EXPECT_TRUE(pane->Text->toPlainText().contains("/nonexistent/java could not be started"));

    // A viewer still running when the window goes is stopped, not left behind.
    ASSERT_TRUE(pane->Start("sleep", {"30"}));
}

TEST(ViewerOutputTest, TheViewMenuBringsThePaneBackAtAModestHeight) {
    TScriptedDialogs answers;
    TScopedDialogs scoped{answers};
    TMainForm form;
    form.resize(800, 700);
    form.show();
    auto* pane = form.findChild<TViewerOutput*>();
    QAction* item = form.findChild<QAction*>("ViewViewerOutputItem");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(form.View1->actions().contains(item));
    for (int round = 0; round < 2; ++round) {
        item->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(pane->isVisible());
        EXPECT_TRUE(item->isChecked());
        EXPECT_LT(pane->height(), form.height() / 3);
        pane->close(); // its title bar's close button
        EXPECT_FALSE(item->isChecked());
    }
}

} // namespace
} // namespace zarn
