#pragma once
// The document as the editor holds it: the core document with its undo history and its modified
// state. Windows and views are handed the document they work on.

#include "tag/Document.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class QUndoStack;

namespace zarn {

class TEditorDocument : public QObject {
    Q_OBJECT
public:
    explicit TEditorDocument(QObject* parent = nullptr);
    ~TEditorDocument() override;

    TDocument& Core() { return core_; }
    const TDocument& Core() const { return core_; }
    TJavaAppletTag& Tag() { return *core_.AppletTag; }

    // Every edit of the document; its clean state is the saved document.
    QUndoStack* UndoStack() const { return undoStack_; }
    // The widget that holds the document's views: undo brings the page of a changed value to the front.
    QWidget* ViewRoot() const { return viewRoot_; }
    void SetViewRoot(QWidget* root) { viewRoot_ = root; }

    bool IsModified() const { return modified_; }
    // An edit outside the stack: no undo leads back to the saved state.
    void SetModified();
    // The document as it is now counts as saved.
    void ClearModified();

    // True while a step is undone or redone: change handlers that run then record nothing.
    bool Replaying() const { return replaying_ > 0; }
    void BeginReplay() { ++replaying_; }
    void EndReplay() { --replaying_; }

signals:
    void ModifiedChanged(bool modified);
    // What the block holds may have changed.
    void Changed();

private:
    TDocument core_;
    QUndoStack* undoStack_ = nullptr;
    QPointer<QWidget> viewRoot_;
    bool modified_ = false;
    int replaying_ = 0;
};

} // namespace zarn
