#include "ui/DocumentUndo.h"

#include "ui/Main.h"
#include "ui/ScreenText.h"
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

const char* caption(TBasicField field) {
    switch (field) {
    case TBasicField::Width:
        return "width";
    case TBasicField::Height:
        return "height";
    case TBasicField::HSpace:
        return "horizontal spacing";
    case TBasicField::VSpace:
        return "vertical spacing";
    case TBasicField::Align:
        return "align";
    case TBasicField::WebRoot:
        return "web site root";
    case TBasicField::CodeBase:
        break;
    }
    return "code base";
}

TBasicValue current(const TMainForm& form, TBasicField field) {
    const TAppletBasicParams& basic = *form.BasicParams;
    switch (field) {
    case TBasicField::Width:
        return basic.Width;
    case TBasicField::Height:
        return basic.Height;
    case TBasicField::HSpace:
        return basic.HSpace;
    case TBasicField::VSpace:
        return basic.VSpace;
    case TBasicField::Align:
        return basic.Align;
    case TBasicField::WebRoot:
        return basic.WebRoot;
    case TBasicField::CodeBase:
        break;
    }
    return basic.CodeBase;
}

class TBasicEditCommand : public QUndoCommand {
public:
    TBasicEditCommand(TMainForm& form, TBasicField field, TBasicValue before, TBasicValue after)
        : QUndoCommand(QStringLiteral("Change ") + QLatin1String(caption(field))), form_(form), field_(field),
          before_(std::move(before)), after_(std::move(after)) {}

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
        TAppletBasicParams& basic = *form_.BasicParams;
        auto spin = [&](QSpinBox* spinner) {
            {
                const QSignalBlocker blocker(spinner);
                spinner->setValue(int(std::get<int64_t>(value)));
            }
            // Called by name, not through a member pointer: the sanitizer misreads those in lambdas.
            if (spinner == form_.AppletWidth)
                form_.AWEditChange();
            else if (spinner == form_.AppletHeight)
                form_.AHEditChange();
            else if (spinner == form_.AppletHSpace)
                form_.AHSEditChange();
            else
                form_.AVSEditChange();
            RevealWidget(spinner);
        };
        auto path = [&](QLineEdit* edit, std::string& stored) {
            stored = std::get<std::string>(value);
            const QSignalBlocker blocker(edit);
            edit->setText(FromAnsi(stored));
            RevealWidget(edit);
        };
        switch (field_) {
        case TBasicField::Width:
            return spin(form_.AppletWidth);
        case TBasicField::Height:
            return spin(form_.AppletHeight);
        case TBasicField::HSpace:
            return spin(form_.AppletHSpace);
        case TBasicField::VSpace:
            return spin(form_.AppletVSpace);
        case TBasicField::Align: {
            // Stored as it was, also an index the list does not have (a document's own value).
            basic.Align = uint8_t(std::get<int64_t>(value));
            form_.CBAlign->setCurrentIndex(basic.Align < form_.CBAlign->count() ? basic.Align : -1);
            return RevealWidget(form_.CBAlign);
        }
        case TBasicField::WebRoot:
            return path(form_.WebRoot, basic.WebRoot);
        case TBasicField::CodeBase:
            return path(form_.CodeBase, basic.CodeBase);
        }
    }

    TMainForm& form_;
    TBasicField field_;
    TBasicValue before_;
    TBasicValue after_;
    bool pushed_ = true;
};

} // namespace

void AttachDocumentUndo(TMainForm& form) {
    form.UndoStack = form.Document->UndoStack();
    form.UndoStack->setObjectName(QStringLiteral("UndoStack"));
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
    QObject::connect(form.UndoStack, &QUndoStack::cleanChanged, &form,
                     [&form](bool clean) { form.ShowModified(!clean); });
    // Every step done, undone or redone changes the block the live pane shows.
    QObject::connect(form.Document, &TEditorDocument::Changed, &form, &TMainForm::DocumentChanged);
    form.Document->SetViewRoot(form.PC);
}

void RecordBasicEdit(TMainForm& form, TBasicField field, TBasicValue before) {
    if (form.Document->Replaying())
        return;
    TBasicValue after = current(form, field);
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
