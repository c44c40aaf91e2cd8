#include "ui/DocumentUndo.h"

#include "ui/Main.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QUndoCommand>
#include <QUndoStack>

#include <utility>

namespace zarn {

namespace {

constexpr int BasicEditId = 0x5a02;

class TBasicEditCommand : public QUndoCommand {
public:
    TBasicEditCommand(TMainForm& form, TBasicField field, TBasicValue before, TBasicValue after)
        : QUndoCommand(QStringLiteral("Change ") + QLatin1String(BasicAttribute(field).caption)), form_(form),
          field_(field), before_(std::move(before)), after_(std::move(after)) {}

    int id() const override { return BasicEditId; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const TBasicEditCommand*>(other);
        if (next->field_ != field_)
            return false;
        after_ = next->after_;
        setObsolete(after_ == before_);
        return true;
    }
    void undo() override { apply(before_); }
    void redo() override {
        if (!std::exchange(pushed_, false))
            apply(after_);
    }

private:
    // The control shows the value without its change handler recording; a spinner's handler
    // still runs, for the size window and the stored value.
    void apply(const TBasicValue& value) {
        const TUndoReplay replay(form_.Document);
        BasicAttribute(field_).put(*form_.BasicParams, value);
        if (QWidget* control = form_.ShowBasicValue(field_))
            RevealWidget(control);
    }

    TMainForm& form_;
    TBasicField field_;
    TBasicValue before_;
    TBasicValue after_;
    bool pushed_ = true;
};

} // namespace

void AttachDocumentUndo(TMainForm& form) {
    form.Edit1 = form.menuBar()->addMenu(QStringLiteral("&Edit"));
    form.Edit1->setObjectName(QStringLiteral("Edit1"));
    form.EditUndoItem = form.UndoStack->createUndoAction(form.Edit1, QStringLiteral("&Undo"));
    form.EditUndoItem->setObjectName(QStringLiteral("EditUndoItem"));
    form.EditUndoItem->setShortcuts(QKeySequence::Undo);
    form.EditRedoItem = form.UndoStack->createRedoAction(form.Edit1, QStringLiteral("&Redo"));
    form.EditRedoItem->setObjectName(QStringLiteral("EditRedoItem"));
    form.EditRedoItem->setShortcuts(QKeySequence::Redo);
    form.Edit1->addAction(form.EditUndoItem);
    form.Edit1->addAction(form.EditRedoItem);
    form.Document->SetViewRoot(form.PC);
}

void RecordBasicEdit(TMainForm& form, TBasicField field, TBasicValue before) {
    if (form.Document->Replaying())
        return;
    TBasicValue after = BasicAttribute(field).get(*form.BasicParams);
    if (after != before)
        form.UndoStack->push(new TBasicEditCommand(form, field, std::move(before), std::move(after)));
}

void AssignShortcuts(TMainForm& form) {
    const struct {
        QAction* action;
        QKeySequence::StandardKey key;
    } standard[] = {{form.New1, QKeySequence::New},
                    {form.FileOpenItem, QKeySequence::Open},
                    {form.FileSaveItem, QKeySequence::Save},
                    {form.FileSaveAsItem, QKeySequence::SaveAs},
                    {form.FileExitItem, QKeySequence::Quit}};
    for (const auto& entry : standard)
        entry.action->setShortcuts(entry.key);
    form.Runpreview1->setShortcut(QKeySequence(Qt::Key_F5));
    form.Generateactualcode1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    form.UsingZARN1->setShortcut(QKeySequence(Qt::Key_F1));
}

bool IsDocumentUndoKey(const TMainForm& form, QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &form ||
        !(qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget)))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo);
}

} // namespace zarn
