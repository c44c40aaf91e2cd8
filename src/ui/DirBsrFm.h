#pragma once
// The directory chooser of the main window and the options dialog: remembers the folder chosen last.

#include <QString>

namespace zarn {

class TDirectoryBrowser {
public:
    QString Caption;
    // Shown first; after a run ended with OK, the chosen folder.
    QString Directory;

    // Runs the chooser (through the dialog seam); true for OK. Cancel leaves Directory unchanged.
    bool Execute();
};

} // namespace zarn
