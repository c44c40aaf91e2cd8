#include "TestUtil.h"

#include "memlet/MLTPlugin.h"
#include "memlet/mlt_form.h"
#include "model/KelmFile.h"
#include "plugins/Plugin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Acts on the next modal dialog once it is visible; after five seconds without one the test fails
// instead of hanging.
void whenModalShows(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog showed";
        }
    });
    timer->start(10);
}

// Replaces the editor's text by typing, then closes it with the named button.
std::function<void(QWidget*)> typeAndClose(const QString& text, const char* button) {
    return [text, button](QWidget* dialog) {
        auto* edit = dialog->findChild<QPlainTextEdit*>("edit");
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        auto* close = dialog->findChild<QPushButton*>(button);
        ASSERT_NE(close, nullptr);
        QTest::mouseClick(close, Qt::LeftButton);
    };
}

TEST(MemletFormTest, LayoutAndLineCountLabel) {
    Tmlt_main form;
    EXPECT_EQ(form.size(), QSize(457, 389));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    for (const char* name : {"Panel1", "LineCount", "edit", "Button1", "Button2", "Button3"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form.Button1->text(), "&OK");
    EXPECT_TRUE(form.Button1->isDefault());
    EXPECT_EQ(form.Button2->text(), "&Cancel");
    EXPECT_EQ(form.Button3->text(), "&Load...");
    EXPECT_EQ(form.edit->geometry(), QRect(8, 40, 425, 297));

    QTest::keyClicks(form.edit, "x");
    EXPECT_EQ(form.LineCount->text(), "1 line in file nofile");
    QTest::keyClick(form.edit, Qt::Key_Return);
    EXPECT_EQ(form.LineCount->text(), "1 line in file nofile") << "an empty last line is no line";
    QTest::keyClicks(form.edit, "y\tz");
    EXPECT_EQ(form.LineCount->text(), "2 lines in file nofile");
    EXPECT_EQ(form.Lines(), (TStrings{"x", "y\tz"}));
    form.edit->clear();
    EXPECT_EQ(form.LineCount->text(), "0 line in file nofile");
}

TEST(MemletFormTest, LinesCrossAsWindows1252AndImportReplacesThem) {
    Tmlt_main form;
    const TStrings lines{"caf\xE9", "\x80 and\xA0no-break", "", "last"};
    form.SetLines(lines);
    EXPECT_EQ(form.Lines(), lines);
    EXPECT_TRUE(form.edit->toPlainText().startsWith(QString::fromUtf8("caf\xC3\xA9\n\xE2\x82\xAC and")));
    EXPECT_EQ(form.LineCount->text(), "4 lines in file nofile");
    form.SetLines({"", ""});
    EXPECT_EQ(form.Lines(), (TStrings{"", ""}));

    TempDir dir;
    WriteFile(dir.file("in.txt"), std::string("one\r\ntwo\nthree\rfo\0ur\r\n", 22));
    EXPECT_TRUE(form.ImportFile(QString::fromStdString(dir.file("in.txt"))));
    EXPECT_EQ(form.Lines(), (TStrings{"one", "two", "three", "four"}));
    EXPECT_EQ(form.LineCount->text(), "4 lines in file nofile");
    EXPECT_FALSE(form.ImportFile(QString::fromStdString(dir.file("missing.txt"))));
}

TEST(MemletFormTest, LoadReadsUtf8AndWindows1252AndNamesWhatTheDataFileCannotHold) {
    const struct {
        const char* name;
        std::string bytes;
        TStrings lines;
        QString unheld;
    } cases[] = {
        {"UTF-8", "caf\xC3\xA9\n\xE2\x82\xAC 5", {"caf\xE9", "\x80 5"}, ""},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9",
         {"caf\xE9"},
         ""},
        {"Windows-1252", "caf\xE9\r\n\x80", {"caf\xE9", "\x80"}, ""},
        {"beyond Windows-1252",
         "\xE2\x98\x83 \xCE\xA9 \xE2\x98\x83",
         {"? ? ?"},
         QString::fromUtf8("\xE2\x98\x83\xCE\xA9")},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tmlt_main form;
        WriteFile(dir.file("in.txt"), c.bytes);
        QString unheld = "stale";
        EXPECT_TRUE(form.ImportFile(QString::fromStdString(dir.file("in.txt")), &unheld));
        EXPECT_EQ(form.Lines(), c.lines);
        EXPECT_EQ(unheld, c.unheld);
    }
}

TEST(MemletFormTest, OkKeepsTheEditsAndCancelDiscardsThem) {
    TempDir dir;
    const std::string doc = dir.file("doc.zrd");
    WriteFile(doc, "[t parameter]\r\nLineCount=1\r\nLine0=old\r\nFName=t\r\nCaption=Scroll text\r\n");
    TMLTPlugin plugin;
    plugin.LoadFromIni(doc, "t parameter");

    QString caption;
    whenModalShows([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        EXPECT_EQ(dialog->findChild<QPlainTextEdit*>("edit")->toPlainText(), "old\n");
        typeAndClose("typed", "Button1")(dialog);
    });
    EXPECT_TRUE(plugin.EditProperties());
    EXPECT_EQ(caption, "Scroll text");
    EXPECT_EQ(plugin.Lines(), TStrings{"typed"});

    whenModalShows(typeAndClose("thrown away", "Button2"));
    EXPECT_FALSE(plugin.EditProperties());
    EXPECT_EQ(plugin.Lines(), TStrings{"typed"});
}

TEST(MemletFormTest, TheHostEditsThroughTheRealLibrary) {
    TempDir dir;
    const std::string doc = dir.file("doc.zrd");
    WriteFile(doc, "[Applet Parameters]\r\nParam0=text\r\n[text parameter]\r\nClass=TAPPlugin\r\n"
                   "Plugin=memlet.dll\r\nLineCount=1\r\nLine0=old\r\nFName=t\r\next=.txt\r\n");
    TKelmFile file(doc);
    auto list = file.LoadParamList();
    auto& param = dynamic_cast<TAPPlugin&>((*list)[0]);

    whenModalShows(typeAndClose("new text", "Button1"));
    EXPECT_TRUE(param.EditPlugin());
    whenModalShows(typeAndClose("cancelled", "Button2"));
    EXPECT_FALSE(param.EditPlugin());

    file.SaveParamList(*list);
    EXPECT_EQ(file.ReadString("text parameter", "Line0", ""), "new text");
    EXPECT_EQ(param.GetHTMLValue(dir.dir(), 2), "t.txt");
    EXPECT_EQ(ReadFile(dir.file("t.txt")), "new text\r\n");
}

TEST(MemletNamesTest, DataFileNamesAndWebRoots) {
    EXPECT_EQ(JoinWebRoot("C:\\site", "notes.txt"), "C:\\site\\notes.txt");
    EXPECT_EQ(JoinWebRoot("c:\\site\\", "notes.txt"), "c:\\site\\notes.txt");
    EXPECT_EQ(JoinWebRoot("/srv/site", "notes.txt"), "/srv/site/notes.txt");
    EXPECT_EQ(JoinWebRoot("site/www", "notes.txt"), "site/www/notes.txt");
    EXPECT_EQ(JoinWebRoot("", "notes.txt"), "notes.txt");

    for (const char* bad : {"", "..", "a..b", "a/b", "a\\b", "c:x", "a\tb"})
        EXPECT_FALSE(IsSafeDataName(bad)) << bad;
    EXPECT_TRUE(IsSafeDataName("MLT1F"));

    const std::string first = GenerateDataName();
    EXPECT_NE(GenerateDataName(), first);
    EXPECT_LE(first.size(), 8u);
}

TEST(MemletNamesTest, LinesReadStayInLineWithTheFile) {
    const TStrings keys{"Class", "LineCount", "Line0", "line1", "Line07", "Line9x", "FName"};
    EXPECT_EQ(LineIndexesToRead(5, keys), (std::vector<int64_t>{0, 1, 2, 3, 4}))
        << "within the key count: exact";
    EXPECT_EQ(LineIndexesToRead(2147483647, {"Line0", "Line4000"}), (std::vector<int64_t>{0, 4000}));
    EXPECT_TRUE(LineIndexesToRead(-3, keys).empty());
}

} // namespace
} // namespace zarn
