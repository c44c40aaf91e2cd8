#pragma once
// The main window's undo: its stack and Edit menu, the steps of the Main page's basic attributes,
// and the standard keys of the menu commands.

#include "tag/BasicAttributes.h"

class QEvent;
class QObject;

namespace zarn {

class TMainForm;

// Creates the Edit menu over the document's history (call it between the File and the Compile menu).
void AttachDocumentUndo(TMainForm& form);
// Records a user edit of a basic attribute once it is stored; `before` is the value it replaced.
// Typing in one field makes one step.
void RecordBasicEdit(TMainForm& form, TBasicField field, TBasicValue before);
// Gives the menu commands their standard keys.
void AssignShortcuts(TMainForm& form);
// True for the undo and redo keys in one of the window's edits: there they undo the document, not
// the edit's own typing, which the stack holds already.
bool IsDocumentUndoKey(const TMainForm& form, QObject* watched, QEvent* event);

} // namespace zarn
