#include "views/ViewUndo.h"

#include "model/ParamVector.h"
#include "views/EditorDocument.h"
#include "views/ParamVectorView.h"
#include "views/ParamViewList.h"
#include "views/ParamViews.h"
#include "views/ScreenText.h"

#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QUndoCommand>
#include <QUndoStack>

namespace zarn {

namespace {

constexpr int ChangeValueId = 0x5a01;

TAppletParamView* findView(const TEditorDocument& document, const TAppletParam& param) {
    QWidget* root = document.ViewRoot();
    if (!root)
        return nullptr;
    for (TAppletParamView* view : root->findChildren<TAppletParamView*>())
        if (view->Param == &param)
            return view;
    return nullptr;
}

class TChangeValueCommand : public QUndoCommand {
public:
    TChangeValueCommand(TEditorDocument& document, TAppletParam& param, TParamValue before, TParamValue after,
                        bool typing, std::unique_ptr<TValueSnapshot> snapshot)
        : QUndoCommand(QStringLiteral("Change %1").arg(ParamCaption(param))), document_(document),
          param_(param), before_(std::move(before)), after_(std::move(after)), typing_(typing),
          snapshot_(std::move(snapshot)) {}

    int id() const override { return typing_ ? ChangeValueId : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const TChangeValueCommand*>(other);
        if (&next->param_ != &param_)
            return false;
        after_ = next->after_;
        // Typing back what was there leaves no step behind.
        setObsolete(after_ == before_);
        return true;
    }
    void undo() override { apply(before_); }
    void redo() override {
        // Pushing runs redo once; the view has stored the value already.
        if (std::exchange(pushed_, false))
            return;
        apply(after_);
    }

private:
    void apply(const TParamValue& value) {
        const TUndoReplay replay(&document_);
        try {
            if (snapshot_)
                snapshot_->Load(value.Text);
            else
                param_.RestoreValue(value);
        } catch (const std::exception& error) {
            ShowViewError(error);
        }
        if (TAppletParamView* view = findView(document_, param_)) {
            view->ShowValue();
            RevealWidget(view);
        }
    }

    TEditorDocument& document_;
    TAppletParam& param_;
    TParamValue before_;
    TParamValue after_;
    bool typing_;
    bool pushed_ = true;
    std::unique_ptr<TValueSnapshot> snapshot_;
};

class TElementCommand : public QUndoCommand {
public:
    enum class TKind { Add, Delete, Move };
    TElementCommand(TEditorDocument& document, TKind kind, TAPParamVector& vector, std::size_t from,
                    std::size_t to, std::unique_ptr<TAPContainer> held)
        : QUndoCommand(text(kind, vector)), document_(document), kind_(kind), vector_(vector), from_(from),
          to_(to), held_(std::move(held)) {}

    void undo() override {
        const TUndoReplay replay(&document_);
        if (kind_ == TKind::Add)
            show(take(from_) ? int(from_) - 1 : -1);
        else if (kind_ == TKind::Delete)
            show(insert(from_) ? int(from_) : -1);
        else
            show(move(to_, from_) ? int(from_) : -1);
    }
    void redo() override {
        if (std::exchange(pushed_, false))
            return;
        const TUndoReplay replay(&document_);
        if (kind_ == TKind::Add)
            show(insert(from_) ? int(from_) : -1);
        else if (kind_ == TKind::Delete)
            show(take(from_) ? int(from_) : -1);
        else
            show(move(from_, to_) ? int(to_) : -1);
    }

private:
    static QString text(TKind kind, const TAPParamVector& vector) {
        const QString caption = ParamCaption(vector);
        switch (kind) {
        case TKind::Add:
            return QStringLiteral("Add element to %1").arg(caption);
        case TKind::Delete:
            return QStringLiteral("Delete element from %1").arg(caption);
        case TKind::Move:
            break;
        }
        return QStringLiteral("Move element in %1").arg(caption);
    }
    // The stack replays steps in order, so the positions hold; the checks only keep a broken
    // sequence from touching memory it must not.
    bool take(std::size_t index) {
        if (held_)
            return false;
        held_ = vector_.TakeElement(index);
        return held_ != nullptr;
    }
    bool insert(std::size_t index) {
        if (index > vector_.Containers.size() || !held_)
            return false;
        vector_.InsertElement(index, std::move(held_));
        return true;
    }
    bool move(std::size_t from, std::size_t to) { return vector_.MoveElement(from, to); }
    void show(int selected) {
        auto* view = qobject_cast<TAPVParamVector*>(findView(document_, vector_));
        if (!view)
            return;
        view->ShowElements(selected);
        RevealWidget(view);
    }

    TEditorDocument& document_;
    TKind kind_;
    TAPParamVector& vector_;
    std::size_t from_;
    std::size_t to_;
    bool pushed_ = true;
    std::unique_ptr<TAPContainer> held_;
};

} // namespace

TUndoReplay::TUndoReplay(TEditorDocument* document) : document_(document) {
    if (document_)
        document_->BeginReplay();
}

TUndoReplay::~TUndoReplay() {
    if (document_)
        document_->EndReplay();
}

QString ParamCaption(const TAppletParam& param) {
    QString caption = FromAnsi(param.UFName.empty() ? param.Name : param.UFName).trimmed();
    while (caption.endsWith(QLatin1Char(':')))
        caption = caption.chopped(1).trimmed();
    return caption.isEmpty() ? FromAnsi(param.Name) : caption;
}

void RevealWidget(QWidget* widget) {
    for (QWidget* page = widget; page; page = page->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
        if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr) {
            tabs->setCurrentWidget(page);
            break;
        }
    }
    for (QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget())
        if (auto* scrollBox = qobject_cast<QScrollArea*>(outer)) {
            scrollBox->ensureWidgetVisible(widget);
            break;
        }
}

TParamEdit::TParamEdit(TAppletParamView& view, bool typing)
    : document_(view.Document.data()), view_(&view), param_(*view.Param), typing_(typing),
      recording_(document_ && !document_->Replaying()) {
    if (!recording_)
        return;
    snapshot_ = view.CreateValueSnapshot();
    if (snapshot_) {
        snapshot_->Save("Before");
        before_.Text = "Before";
    } else {
        before_ = param_.CaptureValue();
    }
}

TParamEdit::~TParamEdit() {
    // Whatever the edit stored, the default sign tells about it.
    if (view_)
        view_->ShowDefaultState();
}

void TParamEdit::Done() {
    if (!document_ || document_->Replaying())
        return;
    if (!recording_) {
        document_->SetModified();
        return;
    }
    TParamValue after;
    if (snapshot_) {
        snapshot_->Save("After");
        after.Text = "After";
    } else {
        after = param_.CaptureValue();
        if (after == before_)
            return;
    }
    document_->UndoStack()->push(new TChangeValueCommand(*document_, param_, before_, std::move(after),
                                                         typing_, std::move(snapshot_)));
}

void RecordValueChanges(TEditorDocument* document, const TValueChanges& changes, const QString& text) {
    if (!document || changes.empty())
        return;
    QUndoStack* stack = document->UndoStack();
    stack->beginMacro(text);
    for (const TValueChange& change : changes)
        stack->push(new TChangeValueCommand(*document, *change.param, change.before,
                                            change.param->CaptureValue(), false, nullptr));
    stack->endMacro();
    for (const TValueChange& change : changes)
        if (TAppletParamView* view = findView(*document, *change.param))
            view->ShowValue();
}

namespace {

// Element changes made while a step replays are the step's own; without a document there is no history.
void recordElement(TEditorDocument* document, TElementCommand::TKind kind, TAPParamVector& vector,
                   std::size_t from, std::size_t to, std::unique_ptr<TAPContainer> held) {
    if (!document || document->Replaying())
        return;
    document->UndoStack()->push(new TElementCommand(*document, kind, vector, from, to, std::move(held)));
}

} // namespace

void RecordElementAdded(TEditorDocument* document, TAPParamVector& vector, std::size_t index) {
    recordElement(document, TElementCommand::TKind::Add, vector, index, index, nullptr);
}

void RecordElementDeleted(TEditorDocument* document, TAPParamVector& vector, std::size_t index,
                          std::unique_ptr<TAPContainer> element) {
    recordElement(document, TElementCommand::TKind::Delete, vector, index, index, std::move(element));
}

void RecordElementMoved(TEditorDocument* document, TAPParamVector& vector, std::size_t from, std::size_t to) {
    recordElement(document, TElementCommand::TKind::Move, vector, from, to, nullptr);
}

} // namespace zarn
