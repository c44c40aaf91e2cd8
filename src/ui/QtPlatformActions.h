#pragma once
// The platform's part of preview and export in the window: the clipboard, the applet viewer started
// without a shell, files and URLs opened with the desktop's default program.

#include "platform/PlatformActions.h"

#include <QString>

class QWidget;

namespace zarn {

class QtPlatformActions : public PlatformActions {
public:
    // `window` is the window that waits for a viewer; the active window when none is given.
    explicit QtPlatformActions(QWidget* window = nullptr) : window_(window) {}

    // Plain text; the text is taken as it is (CR LF line ends stay).
    bool SetClipboardText(const std::string& text) override;
    // Starts the program directly, each argument handed on as one. The viewer runs on its own: with
    // `wait`, the window shows that ZARN waits for it and keeps painting, and the user may stop
    // waiting; the viewer keeps running either way.
    bool StartProgram(const std::string& program, const TStrings& arguments, bool wait) override;
    // A "file:" or web URL is taken as it is; any other text is taken as a local file name.
    bool OpenWithDefault(const std::string& target) override;
    // Into the "Viewer output" pane when the window has one; detached otherwise.
    bool StartViewer(const std::string& program, const TStrings& arguments) override;

private:
    QWidget* window_;
};

// The platform actions of the window: the Qt ones unless a test installed its own (null restores
// them).
PlatformActions& WindowActions();
void SetWindowActions(PlatformActions* actions);

// Waits for the process `pid` to end while events are processed, showing a notice with a button
// that stops waiting. True when the process ended, false when the user stopped waiting.
bool WaitForViewer(qint64 pid, QWidget* window);

} // namespace zarn
