#include "views/ViewUndo.h"

#include "model/ColorParams.h"
#include "model/Errors.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "plugins/Plugin.h"
#include "views/ScreenText.h"
#include "views/ParamVectorView.h"
#include "views/ParamViewList.h"
#include "views/ParamViews.h"

#include <QFile>
#include <QPointer>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QUndoCommand>
#include <QUndoStack>

namespace zarn {

// The plug-in's data before and after an edit, in two sections of a private file: the plug-in
// contract only reads and writes its data through a profile file.
class TPluginSnapshot {
public:
    TPluginSnapshot() {
        if (!file_.open())
            throw EZarnError("Could not create a file to keep the plug-in's data for undo");
        file_.close();
    }
    void Save(TAPPlugin& plugin, const std::string& section) {
        plugin.EnsureLoaded();
        plugin.PluginFuncs->SaveData(plugin.Instance, name().c_str(), section.c_str());
        raise(plugin);
    }
    void Load(TAPPlugin& plugin, const std::string& section) {
        plugin.EnsureLoaded();
        plugin.PluginFuncs->LoadData(plugin.Instance, name().c_str(), section.c_str());
        raise(plugin);
    }

private:
    std::string name() const { return QFile::encodeName(file_.fileName()).toStdString(); }
    static void raise(const TAPPlugin& plugin) {
        if (std::string error = plugin.PluginFuncs->TakeError(); !error.empty())
            throw EZarnError(std::move(error));
    }
    QTemporaryFile file_;
};

namespace {

constexpr int ChangeValueId = 0x5a01;

struct UndoTarget {
    QPointer<QUndoStack> stack;
    QPointer<QWidget> root;
    int replaying = 0;
};

UndoTarget& Target() {
    static UndoTarget target;
    return target;
}

TParamValue capture(const TAppletParam& param) {
    if (const auto* vector = dynamic_cast<const TAPParamVector*>(&param))
        return {vector->BeforeListText};
    // Kept as numbers: their text forms would round a typed real and drop a colour's top byte.
    if (const auto* real = dynamic_cast<const TAPFloat*>(&param))
        return {{}, real->Value};
    if (const auto* color = dynamic_cast<const TAPColor*>(&param)) {
        const auto* option = dynamic_cast<const TAPColorOption*>(&param);
        return {{}, 0, color->Color, option && option->Unspecified};
    }
    return {param.GetValue()};
}

void restore(TAppletParam& param, const TParamValue& value) {
    if (auto* vector = dynamic_cast<TAPParamVector*>(&param)) {
        vector->BeforeListText = value.Text;
    } else if (auto* real = dynamic_cast<TAPFloat*>(&param)) {
        real->Value = value.Number;
    } else if (auto* color = dynamic_cast<TAPColor*>(&param)) {
        color->Color = value.Color;
        if (auto* option = dynamic_cast<TAPColorOption*>(&param))
            option->Unspecified = value.Unspecified;
    } else {
        param.SetValue(value.Text);
    }
}

TAppletParamView* findView(const TAppletParam& param) {
    if (!Target().root)
        return nullptr;
    for (TAppletParamView* view : Target().root->findChildren<TAppletParamView*>())
        if (view->Param == &param)
            return view;
    return nullptr;
}

void showValue(const TAppletParam& param) {
    if (TAppletParamView* view = findView(param)) {
        view->ShowValue();
        RevealWidget(view);
    }
}

void push(QUndoCommand* command) {
    Target().stack->push(command);
}

class TChangeValueCommand : public QUndoCommand {
public:
    TChangeValueCommand(TAppletParam& param, TParamValue before, TParamValue after, bool typing,
                        std::unique_ptr<TPluginSnapshot> snapshot)
        : QUndoCommand(QStringLiteral("Change %1").arg(ParamCaption(param))), param_(param),
          before_(std::move(before)), after_(std::move(after)), typing_(typing), snapshot_(std::move(snapshot)) {}

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
        const TUndoReplay replay;
        try {
            if (auto* plugin = dynamic_cast<TAPPlugin*>(&param_); plugin && snapshot_)
                snapshot_->Load(*plugin, value.Text);
            else
                restore(param_, value);
        } catch (const std::exception& error) {
            ShowViewError(error);
        }
        showValue(param_);
    }

    TAppletParam& param_;
    TParamValue before_;
    TParamValue after_;
    bool typing_;
    bool pushed_ = true;
    std::unique_ptr<TPluginSnapshot> snapshot_;
};

class TElementCommand : public QUndoCommand {
public:
    enum class TKind { Add, Delete, Move };
    TElementCommand(TKind kind, TAPParamVector& vector, std::size_t from, std::size_t to,
                    std::unique_ptr<TAPContainer> held)
        : QUndoCommand(text(kind, vector)), kind_(kind), vector_(vector), from_(from), to_(to),
          held_(std::move(held)) {}

    void undo() override {
        const TUndoReplay replay;
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
        const TUndoReplay replay;
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
        if (index >= vector_.Containers.size() || held_)
            return false;
        held_ = std::move(vector_.Containers[index]);
        vector_.Containers.erase(vector_.Containers.begin() + std::ptrdiff_t(index));
        vector_.RenameElements();
        return true;
    }
    bool insert(std::size_t index) {
        if (index > vector_.Containers.size() || !held_)
            return false;
        vector_.Containers.insert(vector_.Containers.begin() + std::ptrdiff_t(index), std::move(held_));
        vector_.RenameElements();
        return true;
    }
    bool move(std::size_t from, std::size_t to) {
        if (from >= vector_.Containers.size() || to >= vector_.Containers.size())
            return false;
        vector_.Move(from, to);
        vector_.RenameElements();
        return true;
    }
    void show(int selected) {
        auto* view = qobject_cast<TAPVParamVector*>(findView(vector_));
        if (!view)
            return;
        view->ShowElements(selected);
        RevealWidget(view);
    }

    TKind kind_;
    TAPParamVector& vector_;
    std::size_t from_;
    std::size_t to_;
    bool pushed_ = true;
    std::unique_ptr<TAPContainer> held_;
};

bool recording() {
    return Target().stack && !ReplayingUndo();
}

} // namespace

void SetViewUndoStack(QUndoStack* stack, QWidget* viewRoot) {
    Target().stack = stack;
    Target().root = viewRoot;
}

QUndoStack* ViewUndoStack() {
    return Target().stack;
}

bool ReplayingUndo() {
    return Target().replaying > 0;
}

TUndoReplay::TUndoReplay() {
    ++Target().replaying;
}

TUndoReplay::~TUndoReplay() {
    --Target().replaying;
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
    : param_(*view.Param), typing_(typing), recording_(recording()) {
    if (!recording_)
        return;
    if (auto* plugin = dynamic_cast<TAPPlugin*>(&param_)) {
        snapshot_ = std::make_unique<TPluginSnapshot>();
        snapshot_->Save(*plugin, "Before");
        before_.Text = "Before";
    } else {
        before_ = capture(param_);
    }
}

TParamEdit::~TParamEdit() = default;

void TParamEdit::Done() {
    if (ReplayingUndo())
        return;
    if (!recording_ || !Target().stack) {
        MarkDocumentModified();
        return;
    }
    TParamValue after;
    if (auto* plugin = dynamic_cast<TAPPlugin*>(&param_); plugin && snapshot_) {
        snapshot_->Save(*plugin, "After");
        after.Text = "After";
    } else {
        after = capture(param_);
        if (after == before_)
            return;
    }
    push(new TChangeValueCommand(param_, before_, std::move(after), typing_, std::move(snapshot_)));
}

void RecordElementAdded(TAPParamVector& vector, std::size_t index) {
    if (ReplayingUndo())
        return;
    if (!recording())
        return MarkDocumentModified();
    push(new TElementCommand(TElementCommand::TKind::Add, vector, index, index, nullptr));
}

void RecordElementDeleted(TAPParamVector& vector, std::size_t index, std::unique_ptr<TAPContainer> element) {
    if (ReplayingUndo())
        return;
    if (!recording())
        return MarkDocumentModified();
    push(new TElementCommand(TElementCommand::TKind::Delete, vector, index, index, std::move(element)));
}

void RecordElementMoved(TAPParamVector& vector, std::size_t from, std::size_t to) {
    if (ReplayingUndo())
        return;
    if (!recording())
        return MarkDocumentModified();
    push(new TElementCommand(TElementCommand::TKind::Move, vector, from, to, nullptr));
}

} // namespace zarn
