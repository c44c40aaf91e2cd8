#pragma once
// "Viewer output": what the ZARN applet viewer reports while it runs beside the editor (its standard
// error, and standard output, where applets print) and how it ended, so a failing applet says why.

#include <QDockWidget>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QProcess;

namespace zarn {

class TViewerOutput : public QDockWidget {
    Q_OBJECT

public:
    explicit TViewerOutput(QWidget* parent = nullptr);
    // Viewers still running when the editor closes are asked to end, then stopped.
    ~TViewerOutput() override;

    // Starts the viewer without a shell; false when it could not be started (told in the pane).
    // The pane shows itself once the viewer reports something or ends with a failure.
    bool Start(const QString& program, const QStringList& arguments);

    // Adds `text` (whole lines); `reveal` shows the pane too.
    void Report(const QString& text, bool reveal);

    QPlainTextEdit* Text;

signals:
    // A viewer ended; `exitCode` is -1 when it crashed or was killed.
    void ViewerEnded(int exitCode);

private:
    void Append(const QString& text);
    // `opening`: it has just been asked for, so it takes its modest height like a newly shown pane.
    void Reveal(bool opening = false);
    // About eight lines of output.
    int ModestHeight() const;
};

// The pane of the main window; null while there is none.
TViewerOutput* ViewerOutputPane();

// What an exit code of the ZARN applet viewer means.
QString ViewerExitMeaning(int exitCode);

} // namespace zarn
