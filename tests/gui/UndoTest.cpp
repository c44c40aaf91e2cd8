#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "DialogTestUtil.h"
#include "model/KelmFile.h"
#include "plugins/Plugin.h"
#include "views/ViewUndo.h"

#include "tag/AppSettings.h"
#include "tag/Preview.h"
#include "ui/Main.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ParamVectorView.h"
#include "views/ParamViews.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <functional>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;

// A saved document: a number and a switch on the second page, a text and a list of two texts on
// the first.
std::string Document() {
    return Ini({"[Applet Basic Parameters]",
                "Code=Demo.class",
                "Width=200",
                "Height=100",
                "[Pages]",
                "Page0=First",
                "Page1=Second",
                "[Applet Parameters]",
                "Param0=speed",
                "Param1=label",
                "Param2=flag",
                "Param3=v",
                "[speed parameter]",
                "Class=TAPNumeric",
                "UFName=Speed",
                "Value=3",
                "Min=0",
                "Max=9999",
                "Page=1",
                "[label parameter]",
                "Class=TAPString",
                "Value=hello",
                "Page=0",
                "[flag parameter]",
                "Class=TAPBoolean",
                "UFName=Flag",
                "Value=0",
                "Page=1",
                "[v parameter]",
                "Class=TAPParamVector",
                "UFName=Items",
                "ValidTemplates=item*",
                "FieldCount=2",
                "Page=0",
                "[v.0 parameter]",
                "Class=TAPString",
                "Template=item",
                "Value=e0",
                "[v.1 parameter]",
                "Class=TAPString",
                "Template=item",
                "Value=e1",
                "[item template parameter]",
                "Class=TAPString",
                "Value=new"});
}

class Undo : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBaseParamView();
        RegisterScalarViews();
        RegisterVectorView();
        LoadGlyphs();
        AppSettings = TAppSettings();
        form = std::make_unique<TMainForm>();
        form->ShowStep({});
        WriteFile(path, Document());
        ASSERT_TRUE(form->LoadDocument(path));
    }
    void TearDown() override { form.reset(); }

    template <class View = TAppletParamView> View* ViewOf(const std::string& name) {
        for (auto* view : form->PC->findChildren<TAppletParamView*>())
            if (view->Param && view->Param->Name == name)
                return dynamic_cast<View*>(view);
        ADD_FAILURE() << "no view of " << name;
        return nullptr;
    }
    QLineEdit* EditorOf(const std::string& name) { return ViewOf<TAPVWithTCustomEdit>(name)->Editor; }
    // Types at the end of the parameter's editor.
    void Type(const std::string& name, const QString& text) {
        QLineEdit* editor = EditorOf(name);
        editor->end(false);
        QTest::keyClicks(editor, text);
    }
    std::string Block() { return ShowHTMLCode(*form->AppletTag); }
    QString UndoText() { return form->EditUndoItem->text().remove(QLatin1Char('&')); }
    bool ShowsSaved() {
        return !form->Modified && form->StatusPanel0->text().isEmpty() && (form->ToolbarMask & 4) != 0;
    }

    TempDir dir;
    std::string path = dir.file("Demo.zrd");
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    std::unique_ptr<TMainForm> form;
};

TEST_F(Undo, EditsOnEveryPageUndoBackToTheSavedDocumentAndRedo) {
    const std::string saved = Block();
    struct Step {
        const char* undoText;
        std::function<void()> act;
    } steps[] = {
        {"Change Speed", [&] { Type("speed", "12"); }}, // one step for the typing
        {"Change label", [&] { Type("label", "!"); }},
        {"Change width", [&] { form->AppletWidth->setValue(320); }},
        {"Change align", [&] { QTest::keyClick(form->CBAlign, Qt::Key_Down); }},
        {"Change code base", [&] { form->CodeBase->setText(QStringLiteral("classes")); }},
        {"Change archive", [&] { form->Archive->setText(QStringLiteral("lib/a.jar")); }},
        {"Change Flag", [&] { ViewOf<TAPVBoolean>("flag")->CheckBox->click(); }},
        {"Add element to Items", [&] { ViewOf<TAPVParamVector>("v")->AddClick(); }},
        {"Change v.2", [&] { Type("v.2", "er"); }},
        {"Move element in Items", [&] { ViewOf<TAPVParamVector>("v")->RowMoved(2, 0); }},
        {"Delete element from Items",
         [&] {
             auto* vector = ViewOf<TAPVParamVector>("v");
             vector->RowGrid->SelectRow(1);
             vector->DelClick();
         }},
    };
    std::vector<std::string> blocks{saved};
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(UndoText(), QString("Undo ") + step.undoText);
        EXPECT_NE(Block(), blocks.back()) << step.undoText;
        blocks.push_back(Block());
    }
    ASSERT_EQ(form->UndoStack->count(), int(std::size(steps)));
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(EditorOf("v.0")->text(), "newer");

    for (std::size_t i = std::size(steps); i-- > 0;) {
        form->EditUndoItem->trigger();
        EXPECT_EQ(Block(), blocks[i]) << "undoing " << steps[i].undoText;
        EXPECT_EQ(form->EditRedoItem->text().remove(QLatin1Char('&')), QString("Redo ") + steps[i].undoText);
    }
    EXPECT_TRUE(ShowsSaved());
    EXPECT_FALSE(form->EditUndoItem->isEnabled());
    // The views show the saved values again, and the last step undone showed its page.
    EXPECT_EQ(EditorOf("speed")->text(), "3");
    EXPECT_EQ(EditorOf("label")->text(), "hello");
    EXPECT_EQ(form->AppletWidth->value(), 200);
    EXPECT_EQ(form->CodeBase->text(), "");
    EXPECT_EQ(form->Archive->text(), "");
    EXPECT_FALSE(ViewOf<TAPVBoolean>("flag")->CheckBox->isChecked());
    EXPECT_EQ(ViewOf<TAPVParamVector>("v")->ElementViews().size(), 2u);
    EXPECT_EQ(form->PC->tabText(form->PC->currentIndex()), "Second");

    for (std::size_t i = 0; i < std::size(steps); ++i) {
        form->EditRedoItem->trigger();
        EXPECT_EQ(Block(), blocks[i + 1]) << "redoing " << steps[i].undoText;
    }
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(EditorOf("v.0")->text(), "newer");
    EXPECT_EQ(form->UndoStack->count(), int(std::size(steps)));
}

// The trust choice is off in a fresh document and undoes like the other Main page fields.
TEST_F(Undo, TrustingTheAppletUndoesAndRedoes) {
    EXPECT_EQ(form->CBTrusted->accessibleName(), "Trust this applet (full access)");
    EXPECT_FALSE(form->CBTrusted->isChecked());
    form->CBTrusted->click();
    EXPECT_TRUE(form->AppletTag->BasicParams.Trusted);
    EXPECT_EQ(UndoText(), "Undo Change trust this applet (full access)");
    EXPECT_TRUE(form->Modified);
    form->EditUndoItem->trigger();
    EXPECT_FALSE(form->CBTrusted->isChecked());
    EXPECT_FALSE(form->AppletTag->BasicParams.Trusted);
    EXPECT_TRUE(ShowsSaved());
    form->EditRedoItem->trigger();
    EXPECT_TRUE(form->CBTrusted->isChecked());
    EXPECT_TRUE(form->AppletTag->BasicParams.Trusted);
}

TEST_F(Undo, TheCleanStateFollowsSavingTypingBackAndLoading) {
    QLineEdit* speed = EditorOf("speed");
    // Typing back what was there leaves no step and no change.
    Type("speed", "4");
    EXPECT_TRUE(form->Modified);
    QTest::keyClick(speed, Qt::Key_Backspace);
    EXPECT_EQ(form->UndoStack->count(), 0);
    EXPECT_TRUE(ShowsSaved());

    Type("speed", "45");
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(ShowsSaved());
    // Typing on after the save is a new step: undoing it comes back to the saved state.
    Type("speed", "6");
    EXPECT_EQ(form->UndoStack->count(), 2);
    form->EditUndoItem->trigger();
    EXPECT_TRUE(ShowsSaved());
    EXPECT_EQ(speed->text(), "345");
    form->EditUndoItem->trigger();
    EXPECT_TRUE(form->Modified);
    EXPECT_EQ(speed->text(), "3");

    // An edit made outside the stack cannot be undone into the saved state.
    form->EditRedoItem->trigger();
    form->SetModified();
    form->AppletHeight->setValue(150);
    form->EditUndoItem->trigger();
    EXPECT_TRUE(form->Modified);

    dialogs.answers = {TAnswer::No};
    ASSERT_TRUE(form->LoadDocument(path));
    EXPECT_EQ(form->UndoStack->count(), 0);
    EXPECT_FALSE(form->EditUndoItem->isEnabled());
    EXPECT_EQ(UndoText(), "Undo");
    EXPECT_TRUE(ShowsSaved());
}

TEST_F(Undo, StandardKeysTriggerTheirCommands) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    struct Key {
        QAction* action;
        QList<QKeySequence> keys;
    } keys[] = {
        {form->New1, QKeySequence::keyBindings(QKeySequence::New)},
        {form->FileOpenItem, QKeySequence::keyBindings(QKeySequence::Open)},
        {form->FileSaveItem, QKeySequence::keyBindings(QKeySequence::Save)},
        {form->FileSaveAsItem, QKeySequence::keyBindings(QKeySequence::SaveAs)},
        {form->FileExitItem, QKeySequence::keyBindings(QKeySequence::Quit)},
        {form->Runpreview1, {QKeySequence(Qt::Key_F5)}},
        {form->Generateactualcode1, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
        {form->UsingZARN1, {QKeySequence(Qt::Key_F1)}},
        {form->EditUndoItem, QKeySequence::keyBindings(QKeySequence::Undo)},
        {form->EditRedoItem, QKeySequence::keyBindings(QKeySequence::Redo)},
    };
    // Something to undo and something to redo.
    Type("label", "x");
    Type("speed", "1");
    form->UndoStack->undo();
    for (const Key& key : keys) {
        const QString name = key.action->objectName();
        EXPECT_EQ(key.action->shortcuts(), key.keys) << name.toStdString();
        if (key.keys.isEmpty())
            continue; // the platform has no such key
        // Only the key is under test here: the command's own work is tested with its window.
        QObject::disconnect(key.action, &QAction::triggered, nullptr, nullptr);
        QSignalSpy triggered(key.action, &QAction::triggered);
        QTest::keySequence(form.get(), key.keys.first());
        EXPECT_EQ(triggered.count(), 1) << name.toStdString();
    }
}

// The Compile menu is off until a document is loaded: its keys must be too.
TEST(UndoKeys, CompileKeysWaitForADocument) {
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    TMainForm form;
    form.ShowStep({});
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (QAction* action : {form.Runpreview1, form.Generateactualcode1}) {
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(&form, action->shortcut());
        EXPECT_EQ(triggered.count(), 0) << action->objectName().toStdString();
    }
}

TEST_F(Undo, TheUndoKeyInAFieldUndoesTheDocument) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Type("label", "!");
    form->PC->setCurrentIndex(form->PC->indexOf(form->MainPage));
    form->AppletWidth->setFocus();
    QTest::keyClicks(form->AppletWidth, "5"); // 2005
    ASSERT_EQ(form->UndoStack->count(), 2);
    for (int undone = 1; undone <= 2; ++undone) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keySequence(focus, QKeySequence::keyBindings(QKeySequence::Undo).first());
        EXPECT_EQ(form->UndoStack->index(), 2 - undone);
        if (undone == 1) {
            EXPECT_EQ(form->AppletWidth->value(), 200);
            EXPECT_EQ(form->BasicParams->Width, 200);
        }
    }
    EXPECT_EQ(EditorOf("label")->text(), "hello");
    EXPECT_TRUE(ShowsSaved());
}

TEST_F(Undo, ResetToDefaultIsOneStepAndTheDefaultSignFollows) {
    std::string text = Document();
    text.replace(text.find("[label parameter]"), 17, "[label parameter]\r\nDefaultValue=hello");
    WriteFile(path, text);
    ASSERT_TRUE(form->LoadDocument(path));
    TAppletParamView* view = ViewOf("label");
    auto* reset = view->findChild<QAction*>("ResetToDefault");
    auto* sign = view->findChild<QLabel*>("DefaultSign");
    ASSERT_NE(reset, nullptr);
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(sign->toolTip(), "Equals the default: writes no PARAM line");
    // Sign shown, reset enabled, PARAM line written, value in the editor.
    const auto expect = [&](bool atDefault, const char* value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(!sign->isHidden(), atDefault);
        EXPECT_EQ(reset->isEnabled(), !atDefault);
        EXPECT_EQ(Block().find("NAME=label") == std::string::npos, atDefault);
        EXPECT_EQ(EditorOf("label")->text(), value);
    };
    expect(true, "hello");
    Type("label", "!");
    expect(false, "hello!");
    reset->trigger();
    expect(true, "hello");
    EXPECT_EQ(form->UndoStack->count(), 2);
    EXPECT_EQ(UndoText(), "Undo Change label");
    form->UndoStack->undo();
    expect(false, "hello!");
    form->UndoStack->redo();
    expect(true, "hello");
    // A parameter without a default offers nothing to reset to.
    auto* speedReset = ViewOf("speed")->findChild<QAction*>("ResetToDefault");
    ASSERT_NE(speedReset, nullptr);
    EXPECT_FALSE(speedReset->isEnabled());
    EXPECT_EQ(ViewOf("speed")->findChild<QLabel*>("DefaultSign"), nullptr);
}

// The plug-in keeps its data in its instance: undo and redo must bring it back there.
TEST(UndoPlugin, APluginEditIsUndoneAndRedoneInItsInstance) {
    RegisterBaseParamView();
    RegisterScalarViews();
    TempDir dir;
    WriteFile(dir.file("doc.zrd"),
              Ini({"[Applet Parameters]", "Param0=text", "[text parameter]", "Class=TAPPlugin",
                   "UFName=Notes", "Plugin=memlet.dll", "LineCount=1", "Line0=old", "FName=t", "ext=.txt"}));
    TKelmFile file(dir.file("doc.zrd"));
    auto list = file.LoadParamList();
    auto& param = dynamic_cast<TAPPlugin&>((*list)[0]);
    QWidget panel;
    TEditorDocument document;
    document.SetViewRoot(&panel);
    QUndoStack& stack = *document.UndoStack();
    TAppletParamView* view = CreateParamView(param, &panel, &document);
    panel.show();
    // Compiling writes the plug-in's text into its data file.
    const auto text = [&] {
        param.CompileParam(dir.dir(), 0, true, nullptr, nullptr);
        return test::ReadFile(dir.file("t.txt"));
    };
    test::WhenModalShows([](QWidget* dialog) {
        auto* edit = dialog->findChild<QPlainTextEdit*>("edit");
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "new text");
        QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    QTest::mouseClick(dynamic_cast<TAPVPlugin*>(view)->PropertiesButton, Qt::LeftButton);
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), "Change Notes");
    EXPECT_EQ(text(), "new text\r\n");
    for (const char* expected : {"old\r\n", "new text\r\n"}) {
        stack.canUndo() ? stack.undo() : stack.redo();
        EXPECT_EQ(text(), expected);
    }
}

} // namespace
} // namespace zarn
