#pragma once
// Undo steps of the views' edits: a parameter's value before and after an edit, and the adding,
// deleting and moving of vector elements. Undoing puts the document back as it was and shows the
// value in its view.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class QUndoStack;
class QWidget;

namespace zarn {

class TAPContainer;
class TAPParamVector;
class TAppletParam;
class TAppletParamView;
class TPluginSnapshot;

// The stack the views' edits go to and the widget that holds the document's views. Without a
// stack an edit only marks the document modified.
void SetViewUndoStack(QUndoStack* stack, QWidget* viewRoot);
QUndoStack* ViewUndoStack();

// True while a step is undone or redone: change handlers that run then record nothing.
bool ReplayingUndo();
class TUndoReplay {
public:
    TUndoReplay();
    ~TUndoReplay();
    TUndoReplay(const TUndoReplay&) = delete;
    TUndoReplay& operator=(const TUndoReplay&) = delete;
};

// What an undo text calls a parameter: its caption, else its name.
QString ParamCaption(const TAppletParam& param);
// Brings the widget's page to the front and scrolls it into sight.
void RevealWidget(QWidget* widget);

// A parameter's value as its kind holds it. A plug-in's value lives in its instance; Text then
// names its section in a snapshot file.
struct TParamValue {
    std::string Text;
    double Number = 0;
    uint32_t Color = 0;
    bool Unspecified = false;
    bool operator==(const TParamValue&) const = default;
};

// Brackets one user edit of a view's parameter: made before the view stores the new value, Done
// after it. Typing in one field makes one step; an edit that changed nothing records nothing.
class TParamEdit {
public:
    TParamEdit(TAppletParamView& view, bool typing);
    ~TParamEdit();
    TParamEdit(const TParamEdit&) = delete;
    TParamEdit& operator=(const TParamEdit&) = delete;
    void Done();

private:
    TAppletParam& param_;
    bool typing_;
    bool recording_;
    TParamValue before_;
    std::unique_ptr<TPluginSnapshot> snapshot_;
};

// The vector views report their element changes after making them. A deleted element is kept by
// its step, so undoing brings back the very same element.
void RecordElementAdded(TAPParamVector& vector, std::size_t index);
void RecordElementDeleted(TAPParamVector& vector, std::size_t index, std::unique_ptr<TAPContainer> element);
void RecordElementMoved(TAPParamVector& vector, std::size_t from, std::size_t to);

} // namespace zarn
