#pragma once
// The program's start, main loop and exit clean-up.

#include <QStringList>

namespace zarn {

struct TStartOptions {
    bool splash = true;         // --no-splash skips the splash and its wait
    bool quitAfterShow = false; // --quit-after-show: for scripts, ends once the main window shows
    QStringList files;          // the remaining arguments; the first names a file to open
};

// Separates the program's own options from the file arguments (the program name not included).
TStartOptions ParseStartOptions(const QStringList& arguments);

// Start-up registrations in their order: settings, parameter kinds, view registry, glyphs, views,
// temporary files. Safe to call more than once.
void RegisterEverything();
// The exit clean-up, in reverse order: temporary files, glyphs, view registry, settings written.
void CleanUpEverything();

// The whole program; returns its exit status.
int RunZarn(int& argc, char** argv);

} // namespace zarn
