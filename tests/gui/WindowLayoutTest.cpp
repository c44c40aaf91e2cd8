#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "tag/AppSettings.h"
#include "ui/LiveHTMLPane.h"
#include "ui/Main.h"
#include "ui/toolbar/MSIEToolbar.h"
#include "views/Glyphs.h"
#include "views/ParamVectorView.h"
#include "views/ParamViews.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;

class WindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBaseParamView();
        RegisterScalarViews();
        RegisterVectorView();
        LoadGlyphs();
        AppSettings = TAppSettings();
        form = std::make_unique<TMainForm>();
        form->ShowStep({});
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override { form.reset(); }

    template <class View> View* ViewOf(const std::string& name) {
        for (auto* view : form->PC->findChildren<TAppletParamView*>())
            if (view->Param && view->Param->Name == name)
                return dynamic_cast<View*>(view);
        ADD_FAILURE() << "no view of " << name;
        return nullptr;
    }

    TempDir dir;
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    std::unique_ptr<TMainForm> form;
};

TEST_F(WindowLayout, ToolbarStaysOnTopWithAndWithoutADocument) {
    EXPECT_EQ(form->Panel1->y(), form->Panel2->height()) << "no document: the toolbar is not pushed down";
    ASSERT_TRUE(form->LoadDocument(std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt"));
    QTest::qWait(20);
    EXPECT_EQ(form->Panel1->y(), form->Panel2->height());
}

TEST_F(WindowLayout, PageFieldsKeepTheirPlaceAndFontAfterUndoAndRefusal) {
    const std::string path = dir.file("doc.zrd");
    WriteFile(path, Ini({"[Applet Basic Parameters]", "Code=Demo.class", "[Pages]", "Page0=First",
                         "[Applet Parameters]", "Param0=pic", "Param1=count", "[pic parameter]",
                         "Class=TAPFileName", "UFName=Picture", "Value=a.gif", "Page=0", "[count parameter]",
                         "Class=TAPNumeric", "UFName=Count", "Value=3", "Min=0", "Max=99", "Page=0"}));
    ASSERT_TRUE(form->LoadDocument(path));
    form->PC->setCurrentIndex(1);
    auto* file = ViewOf<TAPVFileName>("pic");
    auto* count = ViewOf<TAPVNumeric>("count");
    ASSERT_TRUE(file && count);
    const QRect fileEdit = file->Editor->geometry();
    ASSERT_GE(fileEdit.left(), file->BrowseButton->geometry().right());

    QTest::keyClick(file->Editor, 'x');
    for (const char* step : {"undo", "redo"}) {
        step == std::string("undo") ? form->UndoStack->undo() : form->UndoStack->redo();
        file = ViewOf<TAPVFileName>("pic");
        EXPECT_EQ(file->Editor->geometry(), fileEdit) << step;
    }

    const QFont font = count->Editor->font();
    count->Editor->selectAll();
    QTest::keyClicks(count->Editor, "q");
    ASSERT_TRUE(count->Editor->property("refused").toBool());
    count->Editor->selectAll();
    QTest::keyClicks(count->Editor, "7");
    ASSERT_FALSE(count->Editor->property("refused").toBool());
    EXPECT_EQ(count->Editor->font(), font);
    EXPECT_EQ(count->Editor->font(), file->Editor->font());
}

// Where the keyboard and a screen reader meet the window: names, underlined letters, the toolbar.
TEST_F(WindowLayout, EveryControlOnEverySamplePageHasAnAccessibleName) {
    const auto role = [](QWidget* widget) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->role() : QAccessible::NoRole;
    };
    const QAccessible::Role controlRoles[] = {QAccessible::PushButton,   QAccessible::CheckBox,
                                              QAccessible::RadioButton,  QAccessible::ComboBox,
                                              QAccessible::EditableText, QAccessible::SpinBox,
                                              QAccessible::List,         QAccessible::Table,
                                              QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};
    int controls = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(ZARN_SOURCE_DIR) + "/Templates")) {
        if (entry.path().extension() != ".zrt")
            continue;
        ASSERT_TRUE(form->LoadDocument(entry.path().string()));
        for (int page = 0; page < form->PC->count(); ++page) {
            form->PC->setCurrentIndex(page);
            QTest::qWait(20);
            for (QWidget* widget : form->PC->currentWidget()->findChildren<QWidget*>()) {
                if (!widget->isVisible() ||
                    !std::count(std::begin(controlRoles), std::end(controlRoles), role(widget)))
                    continue;
                ++controls;
                EXPECT_FALSE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
                    << entry.path().filename() << " page " << page << ": "
                    << widget->metaObject()->className() << " " << widget->objectName().toStdString()
                    << " in " << widget->parentWidget()->objectName().toStdString();
            }
        }
    }
    EXPECT_GT(controls, 100);

    for (QLabel* label : form->MainPage->findChildren<QLabel*>()) {
        if (label->buddy()) {
            EXPECT_TRUE(label->text().contains(QLatin1Char('&'))) << label->text().toStdString();
        }
    }

    // The toolbar: a stop of the Tab key, arrows between its buttons, Space to press one.
    TMSIEToolbar* bar = form->Toolbar;
    EXPECT_TRUE(bar->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(bar->accessibleName().isEmpty());
    bar->setFocus();
    QObject::disconnect(bar, &TMSIEToolbar::OnClick, form.get(), nullptr);
    QSignalSpy clicks(bar, &TMSIEToolbar::OnClick);
    EXPECT_EQ(bar->FocusIndex(), 0);
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Space);
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(bar->FocusIndex(), 4) << "past the disabled Save and the empty place";
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1);
    EXPECT_EQ(bar->Hints().size(), bar->Captions().size());
}

} // namespace
} // namespace zarn
