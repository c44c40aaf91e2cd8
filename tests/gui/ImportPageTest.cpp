// "Import from page...": the made document opens unsaved, with what the page could not give listed.

#include "DialogTestUtil.h"
#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "tag/AppSettings.h"
#include "ui/ImportPage.h"
#include "ui/Main.h"
#include "views/Dialogs.h"
#include "views/ParamViewList.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zarn {
namespace {

using test::TempDir;
using test::WhenModalShows;
using test::WriteFile;

class ImportPage : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBaseParamView();
        AppSettings = TAppSettings();
        form = std::make_unique<TMainForm>();
        form->ShowStep({});
    }
    void TearDown() override { form.reset(); }
    void Import(const std::string& page) {
        WriteFile(dir.file("page.html"), page);
        dialogs.files.push_back(QString::fromStdString(dir.file("page.html")));
        form->findChild<QAction*>(QStringLiteral("FileImportItem"))->trigger();
    }

    TempDir dir;
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    std::unique_ptr<TMainForm> form;
};

TEST_F(ImportPage, OneBlockOpensAsAnUnsavedDocumentWithItsNotes) {
    Import("<applet code=Ticker.class archive=lib/t.jar width=321 height=22><param name=speed value=5><param "
           "name=extra value=x>");
    ASSERT_TRUE(form->AppletTag) << dialogs.errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(form->BasicParams->TemplateFile); // Save asks for a name
    EXPECT_EQ(form->findChild<QSpinBox*>(QStringLiteral("AppletWidth"))->value(), 321);
    EXPECT_EQ(form->BasicParams->WebRoot, dir.dir());
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("Archive"))->text(), "lib/t.jar");
    const auto texts = dialogs.prompt.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("not taken: extra=x (no parameter of this name)"), std::string::npos) << texts[0];
}

TEST_F(ImportPage, SeveralBlocksAreChosenInTheDialogAndUnknownCodesAreExplained) {
    const std::string page =
        "<APPLET CODE=Nothing.class></APPLET><APPLET CODE=Ticker.class WIDTH=99></APPLET>";
    WhenModalShows([](QWidget* dialog) {
        auto* blocks = dialog->findChild<QListWidget*>(QStringLiteral("BlockList"));
        EXPECT_EQ(blocks->count(), 2);
        EXPECT_FALSE(dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->isEnabled());
        blocks->setCurrentRow(1);
        EXPECT_EQ(dialog->findChild<QListWidget*>(QStringLiteral("TemplateList"))->count(), 1);
        dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    });
    Import(page);
    ASSERT_TRUE(form->AppletTag);
    EXPECT_EQ(form->BasicParams->Width, 99);

    form->Modified = false;
    Import("<applet code=Nothing.class>");
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.value(0).contains(QStringLiteral("No template has the code Nothing.class")))
        << dialogs.errors.value(0).toStdString();
    EXPECT_EQ(form->BasicParams->Width, 99); // the document on screen stays
}

// A pipe would block the window for ever; a name with line breaks would make lines of its own.
TEST_F(ImportPage, PipesAreRefusedAndPageTextsShownOnOneLine) {
    ASSERT_EQ(mkfifo(dir.file("pipe.html").c_str(), 0600), 0);
    dialogs.files.push_back(QString::fromStdString(dir.file("pipe.html")));
    form->findChild<QAction*>(QStringLiteral("FileImportItem"))->trigger();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.value(0).contains(QStringLiteral("is not a regular file")))
        << dialogs.errors.value(0).toStdString();

    WhenModalShows([](QWidget* dialog) {
        auto* blocks = dialog->findChild<QListWidget*>(QStringLiteral("BlockList"));
        EXPECT_TRUE(blocks->item(0)->text().startsWith(QStringLiteral("A\\nB  ")))
            << blocks->item(0)->text().toStdString();
        dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    Import("<applet code=\"A&#10;B\"></applet><applet code=C></applet>");
}

// "Update page": an imported document goes back to its block; another one asks for page and block.
TEST_F(ImportPage, UpdatePageWritesTheBlockBackIntoThePage) {
    auto* update = form->findChild<QAction*>(QStringLiteral("FileUpdatePageItem"));
    EXPECT_FALSE(update->isEnabled());
    Import("<p>before\r\n<applet code=Ticker.class width=50 height=20></applet>\r\n<p>after\r\n");
    ASSERT_TRUE(update->isEnabled());
    form->findChild<QSpinBox*>(QStringLiteral("AppletWidth"))->setValue(77);
    const std::size_t asked = dialogs.openRequests.size();
    update->trigger();
    EXPECT_EQ(dialogs.openRequests.size(), asked); // the page it came from, unasked
    const std::string page = test::ReadFile(dir.file("page.html"));
    EXPECT_EQ(page.rfind("<p>before\r\n<APPLET CODE=\"Ticker.class\" WIDTH=77", 0), 0u) << page;
    const std::string tail = "\r\n<p>after\r\n";
    EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
    EXPECT_TRUE(test::ReadFile(dir.file("page.html.bak")).find("width=50") != std::string::npos);

    form->AppletTag->Origin = {};
    const std::string other = "<applet code=A></applet>\n<applet code=B></applet>\n";
    WriteFile(dir.file("other.html"), other);
    dialogs.files.push_back(QString::fromStdString(dir.file("other.html")));
    dialogs.items.push_back(1);
    update->trigger();
    ASSERT_EQ(dialogs.itemLists.size(), 1u);
    EXPECT_EQ(dialogs.itemLists[0].size(), 2);
    const std::string written = test::ReadFile(dir.file("other.html"));
    EXPECT_EQ(written.rfind("<applet code=A></applet>\n<APPLET CODE=\"Ticker.class\" WIDTH=77", 0), 0u)
        << written;
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QStringLiteral("; ")).toStdString();
}

} // namespace
} // namespace zarn
