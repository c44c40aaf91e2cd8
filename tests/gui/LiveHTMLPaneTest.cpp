#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "tag/AppSettings.h"
#include "ui/LiveHTMLPane.h"
#include "ui/LivePreview.h"
#include "ui/Main.h"
#include "ui/RecentFiles.h"
#include "ui/ViewerOutput.h"
#include "views/Dialogs.h"
#include "views/ParamViewList.h"
#include "views/ParamViews.h"
#include "views/ScreenText.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

// QTRY_ would end a gtest body silently on a timeout; this says so.
bool WaitFor(const std::function<bool()>& done, int millis = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > millis)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// "label" on the second page refers to a name nobody defines; the template needs a support file.
std::string Template(const std::string& codeBase) {
    return Ini({"[Applet Basic Parameters]",
                "Code=Demo.class",
                "TemplateFile=1",
                "CodeBase=" + codeBase,
                "Copy=Demo.class pic.gif",
                "[Pages]",
                "Page0=First",
                "Page1=Second",
                "[Applet Parameters]",
                "Param0=speed",
                "Param1=label",
                "[speed parameter]",
                "Class=TAPNumeric",
                "UFName=Speed",
                "Value=3",
                "Page=0",
                "[label parameter]",
                "Class=TAPString",
                "UFName=Label",
                "Value=hello $nobody",
                "Page=1"});
}

// A main window with a settings store of its own in a temporary folder, as a run of the program has.
class Comfort : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBaseParamView();
        RegisterScalarViews();
        AppSettings = TAppSettings();
        OpenStore();
        fs::create_directory(dir.path() / "cb");
        WriteFile(dir.file("cb/Demo.class"), "");
        tpl = dir.file("Demo.zrt");
        WriteFile(tpl, Template(dir.file("cb")));
    }
    void TearDown() override {
        form.reset();
        CloseAppSettings({});
    }
    void OpenStore() { OpenAppSettings(std::make_unique<FileSettingsStore>(dir.file("zarn.conf")), {}); }
    // Closing and opening the window and the store, as quitting and starting the program do.
    void Restart() {
        if (form)
            form->close();
        form.reset();
        CloseAppSettings({});
        OpenStore();
        form = std::make_unique<TMainForm>();
        form->ShowStep({});
    }
    QLineEdit* LabelEditor() {
        for (auto* view : form->PC->findChildren<TAppletParamView*>())
            if (view->Param && view->Param->Name == "label")
                return view->findChild<QLineEdit*>();
        return nullptr;
    }
    QStringList WarningTexts() {
        QStringList texts;
        for (int i = 0; i < form->LiveHTMLPane->Warnings->count(); ++i)
            texts << form->LiveHTMLPane->Warnings->item(i)->text();
        return texts;
    }

    TempDir dir;
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    std::string tpl;
    std::unique_ptr<TMainForm> form;
};

TEST_F(Comfort, LivePaneFollowsEditsListsWarningsAndShowsTheirViews) {
    Restart();
    form->show();
    TLiveHTMLPane* pane = form->LiveHTMLPane;
    ASSERT_TRUE(form->findChild<QAction*>(QStringLiteral("ViewLiveHTMLItem")));
    form->findChild<QAction*>(QStringLiteral("ViewLiveHTMLItem"))->trigger();
    ASSERT_FALSE(pane->isHidden());
    // The form keeps most of the window.
    QCoreApplication::processEvents();
    EXPECT_LE(pane->height(), form->height() / 3);
    ASSERT_TRUE(form->LoadDocument(tpl));
    EXPECT_TRUE(
        pane->Code->toPlainText().contains(QStringLiteral("<PARAM NAME=label VALUE=\"hello $nobody\">")));
    EXPECT_EQ(WarningTexts(),
              (QStringList{QStringLiteral("$nobody in Label matches no value and stays as typed"),
                           QStringLiteral("Support file pic.gif is missing from the code base")}));

    // Typing waits for the pause, then the block follows.
    QLineEdit* editor = LabelEditor();
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "bye $speed");
    EXPECT_TRUE(pane->UpdateTimer->isActive());
    EXPECT_FALSE(pane->Code->toPlainText().contains(QStringLiteral("bye")));
    EXPECT_TRUE(
        WaitFor([&] { return pane->Code->toPlainText().contains(QStringLiteral("VALUE=\"bye 3\"")); }, 2000));
    EXPECT_EQ(WarningTexts(),
              QStringList{QStringLiteral("Support file pic.gif is missing from the code base")});
    // Only the changed line was replaced; the text is still the whole block.
    EXPECT_EQ(pane->Code->toPlainText(), DisplayLines(pane->Look().code));

    // A warning leads to its parameter's view, or to the code base.
    editor->setText(QStringLiteral("$nobody"));
    pane->UpdateNow();
    struct Case {
        QString warning;
        QWidget* page;
        QWidget* focus;
    } cases[] = {
        {QStringLiteral("$nobody in Label"), form->PageList[1].Page, editor},
        {QStringLiteral("Support file pic.gif"), form->MainPage, form->CodeBase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning.toStdString());
        form->PC->setCurrentIndex(1);
        const auto items = pane->Warnings->findItems(c.warning, Qt::MatchStartsWith);
        ASSERT_EQ(items.size(), 1);
        const QRect place = pane->Warnings->visualItemRect(items.front());
        QTest::mouseClick(pane->Warnings->viewport(), Qt::LeftButton, {}, place.center());
        EXPECT_EQ(form->PC->currentWidget(), c.page);
        EXPECT_EQ(form->focusWidget(), c.focus);
    }
    // Following warnings changed nothing in the block.
    EXPECT_TRUE(pane->Code->toPlainText().contains(QStringLiteral("VALUE=$nobody")));
}

// A file of the template's folder is outside the web root until the code base check copies it and
// points the value at the copy, which one undo takes back.
TEST_F(Comfort, FileValuesOutsideTheWebRootAreWarnedAndCopiedAsOneStep) {
    WriteFile(dir.file("paper.gif"), "gif");
    WriteFile(tpl, Ini({"[Applet Basic Parameters]", "Code=Demo.class", "TemplateFile=1",
                        "CodeBase=" + dir.file("cb"), "WebRoot=" + dir.file("cb"), "[Applet Parameters]",
                        "Param0=bg", "[bg parameter]", "Class=TAPFileName", "UFName=Background",
                        "Value=><paper.gif"}));
    Restart();
    form->show();
    form->findChild<QAction*>(QStringLiteral("ViewLiveHTMLItem"))->trigger();
    ASSERT_TRUE(form->LoadDocument(tpl));
    form->LiveHTMLPane->UpdateNow();
    EXPECT_EQ(WarningTexts(), QStringList{QStringLiteral(
                                  "Background: the page will not find ../paper.gif (outside the web root)")});

    dialogs.prompt = ScriptedPrompt({true}, true);
    QUndoStack* stack = form->Document->UndoStack();
    const int steps = stack->count();
    form->Generateactualcode1->trigger();
    const TAppletParam& bg = (*form->AppletTag->ParamList)[0];
    EXPECT_EQ(bg.GetValue(), dir.file("cb") + dir.dir().back() + "paper.gif");
    EXPECT_EQ(test::ReadFile(dir.file("cb/paper.gif")), "gif");
    form->LiveHTMLPane->UpdateNow();
    EXPECT_TRUE(WarningTexts().isEmpty());
    ASSERT_EQ(stack->count(), steps + 1);
    EXPECT_EQ(stack->undoText(), QStringLiteral("Use the copies in the code base"));
    stack->undo();
    EXPECT_EQ(bg.GetValue(), dir.file("paper.gif"));
}

TEST_F(Comfort, RecentFilesKeepTheirOrderDropMissingOnesAndSurviveARestart) {
    Restart();
    std::vector<QString> files;
    for (int i = 0; i < 10; ++i) {
        const std::string path = dir.file("T" + std::to_string(i) + ".zrt");
        WriteFile(path, Template(dir.file("cb")));
        files.push_back(QString::fromStdString(path));
        ASSERT_TRUE(form->LoadDocument(path.c_str()));
    }
    ASSERT_TRUE(form->LoadDocument(files[5].toStdString())); // opened again: first once more
    const QStringList expected{files[5], files[9], files[8], files[7],
                               files[6], files[4], files[3], files[2]};
    EXPECT_EQ(form->RecentFiles->Files(), expected);

    Restart();
    EXPECT_EQ(form->RecentFiles->Files(), expected);
    fs::remove(files[9].toStdString());
    emit form->File1->aboutToShow();
    QStringList remaining = expected;
    remaining.removeAll(files[9]);
    EXPECT_EQ(form->RecentFiles->Files(), remaining);
    ASSERT_EQ(form->RecentFiles1->actions().size(), remaining.size());
    EXPECT_TRUE(form->RecentFiles1->actions().front()->text().startsWith(QStringLiteral("&1 ")));

    // An entry opens its file; a save puts the saved one first.
    form->RecentFiles1->actions()[2]->trigger();
    EXPECT_EQ(QString::fromStdString(form->DocFileName), remaining[2]);
    dialogs.files.push_back(QString::fromStdString(dir.file("Saved.zrd")));
    ASSERT_TRUE(form->SaveAs());
    EXPECT_EQ(form->RecentFiles->Files().front(), QString::fromStdString(dir.file("Saved.zrd")));
}

TEST_F(Comfort, StoredListsSurviveAwkwardNamesAndABrokenValue) {
    const QStringList names{QStringLiteral("/a|b/c%20.zrd"), QStringLiteral("/x/é y.zrt")};
    EXPECT_EQ(DecodeRecentFiles(EncodeRecentFiles(names)), names);
    EXPECT_EQ(DecodeRecentFiles("/a||/b|%zz|"),
              (QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("%zz")}));
}

TEST_F(Comfort, ADroppedFileOpensThroughTheSaveQuestion) {
    Restart();
    ASSERT_TRUE(form->LoadDocument(tpl));
    form->SetModified();
    const std::string other = dir.file("Other.zrt");
    WriteFile(other, Template(dir.file("cb")));
    struct Case {
        QString file;
        TAnswer answer;
        std::string opened;
    } cases[] = {
        {QStringLiteral("notes.txt"), TAnswer::No, tpl},       // not ours: refused
        {QString::fromStdString(other), TAnswer::Cancel, tpl}, // the user keeps the document
        {QString::fromStdString(other), TAnswer::No, other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        form->SetModified();
        dialogs.answers = {c.answer};
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(c.file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), c.file.endsWith(QStringLiteral(".zrt")));
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &drop);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->DocFileName, c.opened);
    }
}

TEST_F(Comfort, WindowPlaceAndPaneLayoutAreRemembered) {
    Restart();
    form->show();
    form->setGeometry(40, 50, 900, 640);
    form->LiveHTMLPane->show();
    form->resizeDocks({form->LiveHTMLPane}, {300}, Qt::Vertical);
    QCoreApplication::processEvents();
    const int userHeight = form->LiveHTMLPane->height();
    Restart();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(900, 640));
    EXPECT_FALSE(form->LiveHTMLPane->isHidden());
    EXPECT_EQ(form->LiveHTMLPane->height(), userHeight);
    // Closed and opened again, it keeps the user's height.
    QAction* toggle = form->findChild<QAction*>(QStringLiteral("ViewLiveHTMLItem"));
    toggle->trigger();
    toggle->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->LiveHTMLPane->height(), userHeight);
    EXPECT_EQ(form->dockWidgetArea(form->LiveHTMLPane), Qt::BottomDockWidgetArea);
}

// "Run preview" reuses the running viewer; with live preview on, an edit that changes the block
// reaches it as a new page, an edit that does not sends nothing, and with it off nothing is sent.
// The viewer's end turns live preview off.
TEST_F(Comfort, LivePreviewSendsChangedBlocksToTheRunningViewer) {
    const std::string log = dir.file("sent.txt");
    // Keeps each page it is sent and answers as the viewer does.
    WriteFile(dir.file("viewer.sh"), "echo start >>'" + log +
                                         "'\nwhile read -r request page; do cat \"$page\" >>'" + log +
                                         "'; echo \"zarn-live: started Demo\"; done\n");
    Restart();
    AppSettings.AppletViewer = ZarnAppletViewer;
    AppSettings.UseWebAsAV = false;
    TLivePreview* live = form->LivePreview;
    live->Launcher = [&] { return TZarnViewerLaunch{"/bin/sh", {dir.file("viewer.sh")}, {}}; };
    ASSERT_TRUE(form->LoadDocument(tpl));
    auto sent = [&] { return QString::fromStdString(test::ReadFile(log)).count(QStringLiteral("<APPLET")); };
    form->Runpreview1->trigger();
    form->Runpreview1->trigger();
    ASSERT_TRUE(WaitFor([&] { return sent() == 2; }));
    EXPECT_EQ(QString::fromStdString(test::ReadFile(log)).count(QStringLiteral("start\n")), 1);

    QLineEdit* editor = LabelEditor();
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("while off"));
    QTest::qWait(400);
    EXPECT_EQ(sent(), 2);

    form->findChild<QAction*>(QStringLiteral("ViewLivePreviewItem"))->trigger();
    ASSERT_TRUE(live->Toggle->isChecked());
    ASSERT_TRUE(WaitFor([&] { return sent() == 3; }));
    editor->setText(QStringLiteral("live now"));
    EXPECT_TRUE(live->Debounce->isActive());
    ASSERT_TRUE(WaitFor([&] { return sent() == 4; }));
    EXPECT_TRUE(QString::fromStdString(test::ReadFile(log)).endsWith(QStringLiteral("</HTML>\r\n")));
    EXPECT_TRUE(QString::fromStdString(test::ReadFile(log)).contains(QStringLiteral("VALUE=\"live now\"")));
    emit form->DocumentChanged();
    QTest::qWait(400);
    EXPECT_EQ(sent(), 4);

    auto* process = live->findChild<QProcess*>();
    ASSERT_TRUE(process);
    process->kill();
    ASSERT_TRUE(WaitFor([&] { return !live->Toggle->isChecked(); }));
    EXPECT_FALSE(live->Running());
}

// The real viewer on a display: an edit with live preview on reaches the running test applet.
TEST_F(Comfort, LivePreviewEditReachesTheRunningApplet) {
    const char* java = std::getenv("ZARN_LIVE_JAVA");
    const char* jar = std::getenv("ZARN_LIVE_VIEWER_JAR");
    const char* probe = std::getenv("ZARN_LIVE_PROBE_CLASSES");
    if (!java || !jar || !probe || !std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs the applet viewer, the test applet and a display";
    fs::copy_file(fs::path(probe) / "ProbeApplet.class", dir.path() / "cb" / "ProbeApplet.class");
    const std::string out = dir.file("probe.txt");
    std::vector<std::string> lines = {"[Applet Basic Parameters]",
                                      "Code=ProbeApplet.class",
                                      "TemplateFile=1",
                                      "CodeBase=" + dir.file("cb"),
                                      "Width=120",
                                      "Height=60",
                                      "[Pages]",
                                      "Page0=First",
                                      "[Applet Parameters]"};
    const std::vector<std::pair<std::string, std::string>> params = {
        {"out", out}, {"stay", "1"}, {"greeting", "hello"}};
    for (std::size_t i = 0; i < params.size(); ++i)
        lines.push_back("Param" + std::to_string(i) + "=" + params[i].first);
    for (const auto& [name, value] : params)
        for (const std::string& line : {"[" + name + " parameter]", std::string("Class=TAPString"),
                                        "UFName=" + name, "Value=" + value, std::string("Page=0")})
            lines.push_back(line);
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteFile(tpl, text);
    Restart();
    AppSettings.AppletViewer = ZarnAppletViewer;
    AppSettings.UseWebAsAV = false;
    form->LivePreview->Launcher = [&] { return TZarnViewerLaunch{java, {"-jar", jar}, {}}; };
    ASSERT_TRUE(form->LoadDocument(tpl));
    // The test applet writes its findings beside the document, which only a trusted applet may.
    form->AppletTag->BasicParams.Trusted = true;
    form->findChild<QAction*>(QStringLiteral("ViewLivePreviewItem"))->trigger();
    auto said = [&] { return QString::fromStdString(test::ReadFile(out)); };
    auto pane = [] { return ViewerOutputPane()->Text->toPlainText().toStdString(); };
    ASSERT_TRUE(WaitFor([&] { return said().contains(QStringLiteral("param greeting=hello\n")); }, 20000))
        << pane();
    QLineEdit* editor = nullptr;
    for (auto* view : form->PC->findChildren<TAppletParamView*>())
        if (view->Param && view->Param->Name == "greeting")
            editor = view->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    QElapsedTimer sinceEdit;
    sinceEdit.start();
    editor->setText(QStringLiteral("edited"));
    ASSERT_TRUE(WaitFor([&] { return said().contains(QStringLiteral("param greeting=edited\n")); }, 20000))
        << pane();
    std::printf("edit to the applet's init: %d ms\n", int(sinceEdit.elapsed()));
    EXPECT_TRUE(said().contains(QStringLiteral("stop\ndestroy\n")));
}

} // namespace
} // namespace zarn
