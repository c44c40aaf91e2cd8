#include "DialogTestUtil.h"
#include "TestUtil.h"

#include "model/KelmFile.h"
#include "support/ScriptedPrompt.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/Preview.h"
#include "tag/Prompt.h"
#include "ui/HTMLCodeWindow.h"
#include "ui/QtPlatformActions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

bool WaitForFile(const std::string& path, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!fs::exists(path) && clock.elapsed() < timeoutMs)
        QTest::qWait(20);
    return fs::exists(path);
}

// A document, a stub viewer script that copies the page it is given, and a folder for the pages.
class QtActionsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "tmp");
        documentPath = dir.file("demo.zrd");
        WriteFile(documentPath,
                  "[Applet Basic Parameters]\nWidth=300\nHeight=120\nCode=Demo.class\nWebRoot=" + dir.dir() +
                      "\nAlternateText=None\n[Applet Parameters]\nParam0=a\n"
                      "[a parameter]\nClass=TAPString\nValue=x\n");
        WriteFile(dir.file("Demo.class"), "class");
        TKelmFile file(documentPath);
        tag.Load(file);
        viewer = dir.file("viewer.sh");
        WriteFile(viewer, "#!/bin/sh\nsleep \"${ZARN_STUB_SLEEP:-0}\"\ncat \"$1\" > \"" +
                              dir.file("seen.part") + "\"\nmv \"" + dir.file("seen.part") + "\" \"" +
                              dir.file("seen") + "\"\n");
        fs::permissions(viewer, fs::perms::owner_all);
        settings.UseWebAsAV = false;
        settings.PathnamesKind = 0;
        settings.AppletViewer = viewer;
    }

    TPreviewResult Preview() {
        return RunPreview(tag, documentPath, settings, prompt, actions, tempFiles, dir.dir() + "tmp");
    }

    TempDir dir;
    std::string documentPath;
    std::string viewer;
    TJavaAppletTag tag;
    TAppSettings settings;
    ScriptedPrompt prompt;
    QtPlatformActions actions;
    TTempFiles tempFiles;
};

// The viewer receives the page, with and without waiting; a missing viewer is told.
TEST_F(QtActionsFixture, ViewerRunsWithoutShell) {
    for (bool wait : {false, true}) {
        SCOPED_TRACE(wait);
        fs::remove(dir.file("seen"));
        settings.WaitForAVToClose = wait;
        const TPreviewResult result = Preview();
        EXPECT_TRUE(result.started);
        if (wait) {
            EXPECT_TRUE(fs::exists(dir.file("seen")));
        }
        ASSERT_TRUE(WaitForFile(dir.file("seen")));
        EXPECT_EQ(ReadFile(dir.file("seen")), ReadFile(result.page));
        EXPECT_NE(ReadFile(result.page).find("<APPLET CODE=\"Demo.class\""), std::string::npos);
    }
    EXPECT_TRUE(prompt.Entries().empty());

    settings.AppletViewer = dir.file("no such viewer");
    const TPreviewResult missing = Preview();
    EXPECT_FALSE(missing.started);
    ASSERT_EQ(prompt.Entries().size(), 1u);
    EXPECT_EQ(prompt.Texts().back(), "Can't launch " + settings.AppletViewer + " " + missing.page + " !");
    EXPECT_EQ(tempFiles.Files().size(), 3u);
}

// Waiting keeps the window alive: the user stops it, and the viewer runs on.
TEST_F(QtActionsFixture, StopWaitingLeavesTheViewerRunning) {
    qputenv("ZARN_STUB_SLEEP", "1");
    settings.WaitForAVToClose = true;
    test::WhenModalShows([](QWidget* notice) {
        auto* stop = notice->findChild<QPushButton*>("StopWaiting");
        ASSERT_NE(stop, nullptr);
        QTest::mouseClick(stop, Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    const TPreviewResult result = Preview();
    qunsetenv("ZARN_STUB_SLEEP");
    EXPECT_TRUE(result.started);
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_FALSE(fs::exists(dir.file("seen")));
    EXPECT_TRUE(WaitForFile(dir.file("seen")));
}

TEST_F(QtActionsFixture, ClipboardHoldsTheBlockWithCrLf) {
    QGuiApplication::clipboard()->clear();
    prompt = ScriptedPrompt({}, true);
    CopyActualCode(tag, prompt, actions);
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("<APPLET CODE=\"Demo.class\""));
    EXPECT_TRUE(text.contains("\r\n</APPLET>"));
    EXPECT_EQ(text.count('\r'), text.count("\r\n"));

    THTMLCodeWindow window;
    window.SetCode("<APPLET>\rNone\r</APPLET>");
    EXPECT_EQ(window.Code->toPlainText(), "<APPLET>\nNone\n</APPLET>");
    EXPECT_TRUE(window.Code->isReadOnly());
    QTest::mouseClick(window.CopyButton, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "<APPLET>\r\nNone\r\n</APPLET>");
}

// Pages go to the desktop as file URLs; a help page's anchor survives.
TEST_F(QtActionsFixture, DefaultProgramGetsFileUrls) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    fs::create_directories(dir.path() / "Docs");
    WriteFile(dir.file("Docs/index.html"), "<html></html>");

    EXPECT_TRUE(OpenHelpPage(dir.dir(), "index.html#setup", prompt, actions));
    settings.UseWebAsAV = true;
    const TPreviewResult result = Preview();
    QDesktopServices::unsetUrlHandler("file");

    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0].toLocalFile().toStdString(), dir.file("Docs/index.html"));
    EXPECT_EQ(catcher.urls[0].fragment(), "setup");
    EXPECT_EQ(catcher.urls[1].toLocalFile().toStdString(), result.page);
    EXPECT_TRUE(result.started);
}

} // namespace
} // namespace zarn

#include "QtPlatformActionsTest.moc"
