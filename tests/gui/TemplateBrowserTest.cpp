#include "DialogTestUtil.h"
#include "TestUtil.h"

#include "ui/TemplateFiles.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& caption) {
    const auto found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

QStringList Captions(QTreeWidget* tree, QTreeWidgetItem* parent) {
    QStringList captions;
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i)
        captions << (parent ? parent->child(i) : tree->topLevelItem(i))->text(0);
    return captions;
}

class TemplateBrowserFixture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"Clocks", "Misc", "Empty/Deeper"})
            fs::create_directories(dir.path() / folder);
        WriteFile(dir.file("Clocks/Analog.zrt"), test::Ini({"[Description]", "JavaAuthor=ab", "Copyright=cd",
                                                            "Comment=Ticks", "Zarnifier=zz"}));
        WriteFile(dir.file("Misc/readme.txt"), "not a template");
        WriteFile(dir.file("Banner.ZrT"), "[Applet Basic Parameters]\r\n");
        WriteFile(dir.file("Banner.zrt.bak"), "");
        // A link back up the tree, and one to the folder itself.
        fs::create_directory_symlink(dir.path(), dir.path() / "Clocks/Up");
        fs::create_directory_symlink(dir.path() / "Clocks", dir.path() / "Clocks/Self");
        browser.SetTemplatesFolder(QString::fromStdString(dir.path().string()));
    }

    void Select(const QString& caption) {
        QTreeWidgetItem* node = FindNode(browser.tv, caption);
        ASSERT_NE(node, nullptr) << caption.toStdString();
        browser.tv->setCurrentItem(node);
    }

    void DoubleClick(const QString& caption) {
        QTreeWidgetItem* node = FindNode(browser.tv, caption);
        ASSERT_NE(node, nullptr);
        browser.tv->scrollToItem(node);
        const QPoint at = browser.tv->visualItemRect(node).center();
        QTest::mouseClick(browser.tv->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(browser.tv->viewport(), Qt::LeftButton, {}, at);
    }

    TempDir dir;
    TTemplateBrowser browser;
};

// Which files and folders appear: only templates, by real name, pruned and sorted, links ended.
TEST_F(TemplateBrowserFixture, TreeShowsTemplatesOnly) {
    browser.show();
    EXPECT_EQ(Captions(browser.tv, nullptr), QStringList({"Banner", "Clocks"}));
    QTreeWidgetItem* clocks = FindNode(browser.tv, "Clocks");
    ASSERT_NE(clocks, nullptr);
    EXPECT_EQ(Captions(browser.tv, clocks), QStringList({"Analog"}));
    EXPECT_EQ(FindNode(browser.tv, "Misc"), nullptr);
    EXPECT_EQ(FindNode(browser.tv, "Empty"), nullptr);

    // Templates added while the program runs appear at the next show.
    browser.hide();
    WriteFile(dir.file("Misc/Ticker.zrt"), "");
    browser.show();
    EXPECT_NE(FindNode(browser.tv, "Ticker"), nullptr);
}

// What a selection shows and enables, and what OK and a double click return.
TEST_F(TemplateBrowserFixture, SelectionDrivesOkAndProps) {
    struct Case {
        QString node;
        bool template_;
        QString result, title, author, zarnifier, comments;
    };
    const Case cases[] = {
        {"Analog", true, "Clocks/Analog.zrt", "Properties for Analog.zrt", "ab.cd", "zz", "Ticks"},
        {"Banner", true, "Banner.ZrT", "Properties for Banner.ZrT", "unknown.", "unknown", ""},
        // A folder keeps the texts of the last template.
        {"Clocks", false, "", "Properties for Banner.ZrT", "unknown.", "unknown", ""},
    };
    browser.show();
    EXPECT_EQ(browser.tv->currentItem(), nullptr);
    EXPECT_FALSE(browser.Button1->isEnabled());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node.toStdString());
        Select(c.node);
        EXPECT_EQ(browser.Button1->isEnabled(), c.template_);
        EXPECT_EQ(browser.Props->isEnabled(), c.template_);
        EXPECT_EQ(browser.ResultPath(), c.result);
        EXPECT_EQ(browser.Props->title(), c.title);
        EXPECT_EQ(browser.Author->text(), c.author);
        EXPECT_EQ(browser.ZARNifier->text(), c.zarnifier);
        EXPECT_EQ(browser.Comments->text(), c.comments);
    }

    DoubleClick("Clocks");
    EXPECT_TRUE(browser.isVisible());
    DoubleClick("Analog");
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(browser.result(), QDialog::Accepted);
    EXPECT_EQ(browser.TemplatePath(), browser.TemplatesFolder() + "/Clocks/Analog.zrt");
    EXPECT_TRUE(fs::exists(browser.TemplatePath().toStdString()));

    // The next run starts without the previous choice.
    browser.show();
    EXPECT_EQ(browser.tv->currentItem(), nullptr);
    EXPECT_FALSE(browser.Button1->isEnabled());
    EXPECT_TRUE(browser.ResultPath().isEmpty());
}

// Long texts stay on one row inside the box, whole in their tooltip; the rows sit under the title.
TEST_F(TemplateBrowserFixture, PropsRowsFitUnderTheTitle) {
    const std::string longText(300, 'w');
    WriteFile(dir.file("Long.zrt"), test::Ini({"[Description]", "JavaAuthor=" + longText,
                                               "Copyright=", "Comment=" + longText, "Zarnifier=zz"}));
    browser.show();
    Select("Long");
    const QRect inside = browser.Props->contentsRect();
    EXPECT_EQ(browser.Comments->toolTip().toStdString(), longText);
    EXPECT_EQ(browser.Author->toolTip().toStdString(), longText + ".");
    EXPECT_TRUE(browser.ZARNifier->toolTip().isEmpty());
    int below = inside.top();
    for (QLabel* row : {browser.Label3, browser.Label1, browser.Label2}) {
        SCOPED_TRACE(row->objectName().toStdString());
        EXPECT_GE(row->y(), below);
        below = row->geometry().bottom() + 1;
    }
    for (QLabel* value : {browser.Comments, browser.Author, browser.ZARNifier})
        EXPECT_LE(value->geometry().right(), inside.right()) << value->objectName().toStdString();
    EXPECT_LE(below, inside.bottom() + 1);
}

TEST(TemplateFolder, DeepChainOfFoldersEnds) {
    TempDir dir;
    fs::path deep = dir.path();
    for (int i = 0; i < MaxTemplateFolderDepth + 5; ++i)
        deep /= "d";
    fs::create_directories(deep);
    WriteFile((deep / "Lost.zrt").string(), "");
    WriteFile(dir.file("d/Near.zrt"), "");
    const auto tree = ReadTemplateFolder(QString::fromStdString(dir.path().string()));
    ASSERT_EQ(tree.size(), 1u);
    ASSERT_EQ(tree[0].children.size(), 1u);
    EXPECT_EQ(tree[0].children[0].caption, "Near");
}

} // namespace
} // namespace zarn
