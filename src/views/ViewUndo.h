#pragma once
// Undo steps of the views' edits: a parameter's value before and after an edit, and the adding,
// deleting and moving of vector elements. The steps go to the document of the view that made the
// edit; undoing puts the document back as it was and shows the value in its view.

#include "model/AppletParam.h"
#include "tag/CodeBaseCheck.h"

#include <QPointer>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>

class QWidget;

namespace zarn {

class TAPContainer;
class TAPParamVector;
class TAppletParamView;
class TEditorDocument;

// The document replays a step while the guard lives: change handlers that run then record nothing.
// A null document is allowed and guards nothing.
class TUndoReplay {
public:
    explicit TUndoReplay(TEditorDocument* document);
    ~TUndoReplay();
    TUndoReplay(const TUndoReplay&) = delete;
    TUndoReplay& operator=(const TUndoReplay&) = delete;

private:
    QPointer<TEditorDocument> document_;
};

// What an undo text calls a parameter: its caption, else its name.
QString ParamCaption(const TAppletParam& param);
// Brings the widget's page to the front and scrolls it into sight.
void RevealWidget(QWidget* widget);

// A value that lives outside the parameter object (a plug-in's data in its instance), kept in
// named states that an undo step loads back. The view of such a kind makes it.
class TValueSnapshot {
public:
    virtual ~TValueSnapshot() = default;
    virtual void Save(const std::string& state) = 0;
    virtual void Load(const std::string& state) = 0;
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
    QPointer<TEditorDocument> document_;
    QPointer<TAppletParamView> view_;
    TAppletParam& param_;
    bool typing_;
    bool recording_;
    TParamValue before_;
    std::unique_ptr<TValueSnapshot> snapshot_;
};

// Values the program changed on the user's behalf (the code base check pointing them at copies),
// already stored: one undo step under `text`, and their views show them. Nothing when empty.
void RecordValueChanges(TEditorDocument* document, const TValueChanges& changes, const QString& text);

// The vector views report their element changes after making them. A deleted element is kept by
// its step, so undoing brings back the very same element.
void RecordElementAdded(TEditorDocument* document, TAPParamVector& vector, std::size_t index);
void RecordElementDeleted(TEditorDocument* document, TAPParamVector& vector, std::size_t index,
                          std::unique_ptr<TAPContainer> element);
void RecordElementMoved(TEditorDocument* document, TAPParamVector& vector, std::size_t from, std::size_t to);

} // namespace zarn
