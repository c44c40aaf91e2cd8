#pragma once
// Every question, notice and chooser the editor puts to the user goes through one seam, so tests
// answer them directly: TQtDialogs shows the toolkit's standard boxes and dialogs; the tests' double
// answers from a script.

#include "tag/Prompt.h"

#include <QColor>
#include <QDialog>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

class QWidget;

namespace zarn {

enum class TAnswer { Yes, No, Cancel };

struct TFileRequest {
    QString caption;
    QString directory; // where the dialog starts; a file path starts in its folder with it selected
    QString filter;    // "Description (*.a;*.b)|*.a;*.b|..." pairs, the first selected
    QString defaultSuffix;

    // The filter in the dialog's form (FileDialogFilters).
    QStringList NameFilters() const;
};

// A chooser window of the editor's own that names one file once accepted (the templates browser).
class TFileChooser : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    // After OK: the chosen file's full path; empty when none is chosen.
    virtual QString ChosenFile() const = 0;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // The core's questions and notices (code base check, preview, settings).
    virtual Prompt& Questions() = 0;
    // A confirmation with a question-mark icon and Yes, No and Cancel.
    virtual TAnswer YesNoCancel(const QString& caption, const QString& text) = 0;
    // The main loop's box: error icon, OK, titled with the application title.
    virtual void Error(const QString& text) = 0;
    // An existing file to open; nothing when cancelled.
    virtual std::optional<QString> OpenFileName(const TFileRequest& request) = 0;
    // A file to save to; the dialog asks before replacing an existing one.
    virtual std::optional<QString> SaveFileName(const TFileRequest& request) = 0;
    // A folder, starting at `directory`; nothing when cancelled.
    virtual std::optional<QString> Directory(const QString& caption, const QString& directory) = 0;
    // A colour, starting at `initial`; nothing when cancelled.
    virtual std::optional<QColor> Color(const QColor& initial) = 0;
    // The template for New, chosen in the browser: its full path; nothing when cancelled.
    virtual std::optional<QString> TemplateFile(TFileChooser& browser);
    // One of `items` (its index), the first preselected; nothing when cancelled.
    virtual std::optional<int> Choice(const QString& caption, const QString& label, const QStringList& items);
};

// The process-wide seam; the Qt dialogs unless a test installed its own (null restores them).
TDialogs& Dialogs();
void SetDialogs(TDialogs* dialogs);

// The application title (the task-bar text): boxes are titled with it.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The fixed-size dialogs share one frame and the 11-pixel font their layouts were measured with.
void SetUpFixedDialog(QDialog* dialog, const char* name, const QString& title, QSize size);

// How an error that reaches the main loop is shown: its message (bare carriage returns as line
// breaks) and a full stop, in the error box of the seam.
void ShowMainLoopError(const std::string& message);

// The parent of the boxes: the main window once it exists.
void SetDialogParent(QWidget* parent);

// A file filter of "description|pattern|..." pairs (patterns separated by ";") in the dialog's
// form "description (pattern pattern)". "*.*" means every file, with or without a dot. An empty
// filter, or one with a description but no pattern, gives all files.
QStringList FileDialogFilters(const std::string& filterExt);

class TQtPrompt : public Prompt {
public:
    bool Confirm(const std::string& text) override;
    bool ConfirmWarning(const std::string& text) override;
    void Warning(const std::string& text) override;
    void Information(const std::string& text) override;
    void Message(const std::string& text) override;
};

class TQtDialogs : public TDialogs {
public:
    Prompt& Questions() override { return prompt_; }
    TAnswer YesNoCancel(const QString& caption, const QString& text) override;
    void Error(const QString& text) override;
    std::optional<QString> OpenFileName(const TFileRequest& request) override;
    std::optional<QString> SaveFileName(const TFileRequest& request) override;
    std::optional<QString> Directory(const QString& caption, const QString& directory) override;
    std::optional<QColor> Color(const QColor& initial) override;

private:
    TQtPrompt prompt_;
};

// Installs a scripted seam for the lifetime of the object.
class TScopedDialogs {
public:
    explicit TScopedDialogs(TDialogs& dialogs) { SetDialogs(&dialogs); }
    ~TScopedDialogs() { SetDialogs(nullptr); }
    TScopedDialogs(const TScopedDialogs&) = delete;
    TScopedDialogs& operator=(const TScopedDialogs&) = delete;
};

} // namespace zarn
