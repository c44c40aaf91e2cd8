#include "views/EditorDocument.h"

#include <QUndoStack>

namespace zarn {

TEditorDocument::TEditorDocument(QObject* parent) : QObject(parent), undoStack_(new QUndoStack(this)) {
    undoStack_->setObjectName(QStringLiteral("UndoStack"));
    connect(undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) {
        modified_ = !clean;
        emit ModifiedChanged(modified_);
    });
    // Every step done, undone or redone changes the block.
    connect(undoStack_, &QUndoStack::indexChanged, this, &TEditorDocument::Changed);
}

TEditorDocument::~TEditorDocument() {
    // The steps refer to the document's parameters: they go while the document is whole.
    const QSignalBlocker blocker(undoStack_);
    undoStack_->clear();
}

void TEditorDocument::SetModified() {
    undoStack_->resetClean();
    modified_ = true;
    emit ModifiedChanged(true);
    emit Changed();
}

void TEditorDocument::ClearModified() {
    undoStack_->setClean();
    modified_ = false;
    emit ModifiedChanged(false);
}

} // namespace zarn
