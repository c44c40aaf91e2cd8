#include "DialogTestUtil.h"
#include "TestUtil.h"

#include "platform/SettingsStore.h"
#include "support/ScriptedDialogs.h"
#include "tag/AppSettings.h"
#include "ui/uOptionsPaths.h"
#include "views/Dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;

// Each test gets a settings file of its own, never the user's.
class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings = TAppSettings{};
        AppSettings.AppletViewer = "/opt/kit/bin/appletviewer";
        AppSettings.UseWebAsAV = true;
        settingsFile = dir.file("zarn.conf");
        OpenAppSettings(std::make_unique<FileSettingsStore>(settingsFile), {});
        WriteSettings();
        stored = AppSettings;
    }
    void TearDown() override {
        CloseAppSettings({});
        AppSettings = TAppSettings{};
    }

    std::vector<QWidget*> ViewerControls() const {
        return {dialog.Label1, dialog.AVPath, dialog.AVBsr, dialog.PathKind, dialog.CloseWait};
    }

    TempDir dir;
    std::string settingsFile;
    TAppSettings stored;
    TScriptedDialogs answers;
    TScopedDialogs scoped{answers};
    TOptionsPaths dialog;
};

TEST_F(OptionsFixture, ViewerControlsFollowTheRadioButtons) {
    for (bool useWeb : {true, false}) {
        AppSettings.UseWebAsAV = useWeb;
        dialog.show();
        EXPECT_EQ(dialog.UseWWW->isChecked(), useWeb);
        for (QWidget* control : ViewerControls())
            EXPECT_EQ(control->isEnabled(), !useWeb) << control->objectName().toStdString();
        QTest::mouseClick(useWeb ? dialog.UseAW : dialog.UseWWW, Qt::LeftButton);
        for (QWidget* control : ViewerControls())
            EXPECT_EQ(control->isEnabled(), useWeb) << control->objectName().toStdString();
        dialog.hide();
    }
}

TEST_F(OptionsFixture, ViewerBrowserProposesAndPicksThePathKind) {
    // The chooser starts in the path's folder with its file (or the usual viewer's name) proposed.
    struct Case {
        QString path, wantFolder, wantName, chosen;
        int wantKind;
    };
    const QString standard = QString::fromStdString(DefaultAppletViewer());
    const Case cases[] = {
        {"", "", standard, "/jdk/bin/firefox", 1},
        {"/usr/bin/", "/usr/bin/", standard, "", 1},
        {"/jdk/bin/viewer", "/jdk/bin/", "viewer", "/jdk/bin/APPLETVIEWER.EXE", 2},
        {"C:\\JDK\\viewer.exe", "C:\\JDK\\", "viewer.exe", "/jdk/bin/" + standard, 2},
    };
    AppSettings.UseWebAsAV = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        AppSettings.PathnamesKind = 1;
        dialog.show();
        dialog.AVPath->setText(c.path);
        answers.files = {c.chosen};
        QTest::mouseClick(dialog.AVBsr, Qt::LeftButton);
        ASSERT_FALSE(answers.openRequests.empty());
        EXPECT_EQ(answers.openRequests.back().directory, c.wantFolder + c.wantName);
        EXPECT_EQ(dialog.AVPath->text(), c.chosen.isEmpty() ? c.path : c.chosen);
        EXPECT_EQ(dialog.PathKindIndex(), c.wantKind);
        dialog.hide();
    }
}

TEST_F(OptionsFixture, CancelKeepsEverythingAndOkWritesAtOnce) {
    const std::string fileBefore = ReadFile(settingsFile);
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        dialog.show();
        dialog.AVPath->setText("/opt/viewer2");
        QTest::mouseClick(dialog.UseAW, Qt::LeftButton);
        dialog.SetPathKindIndex(0);
        dialog.RealNames->setChecked(!stored.RealNames);
        dialog.CloseWait->setChecked(!stored.WaitForAVToClose);
        dialog.ShowHints->setChecked(!stored.ShowHints);
        dialog.UseCheerpJ->setChecked(!stored.UseCheerpJ);
        answers.directories = {"/srv/Web", "/srv/Code"};
        QTest::mouseClick(dialog.WebBrowse, Qt::LeftButton);
        QTest::mouseClick(dialog.CodeBrowse, Qt::LeftButton);
        EXPECT_EQ(dialog.WebRoot->text(), "/srv/Web");
        if (ok) {
            // A path the settings cannot hold is refused with a word; the dialog stays open.
            dialog.CodeBase->setText("/srv/\u0416");
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(answers.prompt.Entries().size(), 1u);
            EXPECT_EQ(ReadFile(settingsFile), fileBefore);
            dialog.CodeBase->setText("/srv/Code");
        }
        QTest::mouseClick(ok ? dialog.Button1 : dialog.Button2, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        if (!ok) {
            EXPECT_EQ(AppSettings, stored);
            EXPECT_EQ(ReadFile(settingsFile), fileBefore);
            // The next run shows the stored values again.
            dialog.show();
            EXPECT_EQ(dialog.AVPath->text().toStdString(), stored.AppletViewer);
            EXPECT_TRUE(dialog.UseWWW->isChecked());
            dialog.hide();
            continue;
        }
        TAppSettings want = stored;
        want.AppletViewer = "/opt/viewer2";
        want.PathnamesKind = 0;
        want.RealNames = !stored.RealNames;
        want.UseWebAsAV = false;
        want.WaitForAVToClose = !stored.WaitForAVToClose;
        want.ShowHints = !stored.ShowHints;
        want.UseCheerpJ = !stored.UseCheerpJ;
        want.DefaultWebRoot = "/srv/Web";
        want.DefaultCodeBase = "/srv/Code";
        EXPECT_EQ(AppSettings, want);
        TAppSettings onDisk;
        FileSettingsStore store(settingsFile);
        ASSERT_TRUE(store.Open());
        ReadSettings(onDisk, store);
        EXPECT_EQ(onDisk, want);
    }
}

} // namespace
} // namespace zarn
