#include "views/Dialogs.h"

#include "views/ScreenText.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace zarn {

namespace {

TDialogs*& Installed() {
    static TDialogs* installed = nullptr;
    return installed;
}

QString& Title() {
    static QString title = QStringLiteral("ZARN");
    return title;
}

QPointer<QWidget>& Parent() {
    static QPointer<QWidget> parent;
    return parent;
}

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons, const QString& caption = {}) {
    QMessageBox box(icon, caption.isEmpty() ? Title() : caption, text, buttons, Parent());
    box.setObjectName(QStringLiteral("MessageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool yes(QMessageBox::StandardButton button) {
    return button == QMessageBox::Yes;
}

// The toolkit's dialog has no way to take the system's "|" pairs directly.
QFileDialog* fileDialog(const TFileRequest& request) {
    auto* dialog = new QFileDialog(Parent(), request.caption, request.directory);
    dialog->setNameFilters(request.NameFilters());
    dialog->setDefaultSuffix(request.defaultSuffix);
    dialog->setOption(QFileDialog::ReadOnly, false);
    return dialog;
}

std::optional<QString> runFileDialog(QFileDialog* dialog) {
    std::optional<QString> chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().constFirst();
    delete dialog;
    return chosen;
}

} // namespace

TDialogs& Dialogs() {
    static TQtDialogs qtDialogs;
    return Installed() ? *Installed() : qtDialogs;
}

void SetDialogs(TDialogs* dialogs) {
    Installed() = dialogs;
}

QString ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const QString& title) {
    Title() = title;
}

void ShowMainLoopError(const std::string& message) {
    Dialogs().Error(DisplayLines(message) + QLatin1Char('.'));
}

void SetDialogParent(QWidget* parent) {
    Parent() = parent;
}

namespace {

QString Normalized(QString patterns) {
    QStringList parts;
    for (const QString& part : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (!pattern.isEmpty())
            parts << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

QStringList TFileRequest::NameFilters() const {
    return FileDialogFilters(ToAnsiLossy(filter));
}

QStringList FileDialogFilters(const std::string& filterExt) {
    const QStringList allFiles{QStringLiteral("All Files (*)")};
    QStringList pieces = FromAnsi(filterExt).split(QLatin1Char('|'));
    if (!pieces.isEmpty() && pieces.constLast().isEmpty())
        pieces.removeLast(); // a closing "|"
    if (pieces.isEmpty() || pieces.size() % 2 != 0)
        return allFiles;
    QStringList filters;
    for (qsizetype i = 0; i < pieces.size(); i += 2) {
        QString description = pieces[i].trimmed();
        const QString patterns = Normalized(pieces[i + 1]);
        if (patterns.isEmpty())
            return allFiles;
        // A description that already names its patterns ("Any file (*.*)") is not given them twice.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')')) &&
            Normalized(description.mid(open + 1, description.size() - open - 2)) == patterns)
            description = description.left(open).trimmed();
        filters << (description.isEmpty() ? patterns : description) + QStringLiteral(" (") + patterns +
                       QLatin1Char(')');
    }
    return filters;
}

void SetUpFixedDialog(QDialog* dialog, const char* name, const QString& title, QSize size) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(size);
    QFont small = dialog->font();
    small.setPixelSize(11);
    dialog->setFont(small);
}

bool TQtPrompt::Confirm(const std::string& text) {
    return yes(showBox(QMessageBox::Question, DisplayLines(text), QMessageBox::Yes | QMessageBox::No));
}

bool TQtPrompt::ConfirmWarning(const std::string& text) {
    return yes(showBox(QMessageBox::Warning, DisplayLines(text), QMessageBox::Yes | QMessageBox::No));
}

void TQtPrompt::Warning(const std::string& text) {
    showBox(QMessageBox::Warning, DisplayLines(text), QMessageBox::Ok);
}

void TQtPrompt::Information(const std::string& text) {
    showBox(QMessageBox::Information, DisplayLines(text), QMessageBox::Ok);
}

void TQtPrompt::Message(const std::string& text) {
    showBox(QMessageBox::NoIcon, DisplayLines(text), QMessageBox::Ok);
}

TAnswer TQtDialogs::YesNoCancel(const QString& caption, const QString& text) {
    switch (showBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    caption)) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Cancel;
    }
}

void TQtDialogs::Error(const QString& text) {
    showBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

std::optional<QString> TQtDialogs::OpenFileName(const TFileRequest& request) {
    QFileDialog* dialog = fileDialog(request);
    dialog->setObjectName(QStringLiteral("OpenDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog);
}

std::optional<QString> TQtDialogs::SaveFileName(const TFileRequest& request) {
    QFileDialog* dialog = fileDialog(request);
    dialog->setObjectName(QStringLiteral("SaveDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    return runFileDialog(dialog);
}

std::optional<QString> TQtDialogs::Directory(const QString& caption, const QString& directory) {
    QFileDialog dialog(Parent(), caption, directory);
    dialog.setObjectName(QStringLiteral("TDirBsrForm"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> TQtDialogs::Color(const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, Parent());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

std::optional<QString> TDialogs::TemplateFile(TFileChooser& browser) {
    if (browser.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString chosen = browser.ChosenFile();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<int> TDialogs::Choice(const QString& caption, const QString& label, const QStringList& items) {
    bool accepted = false;
    const QString chosen = QInputDialog::getItem(Parent(), caption, label, items, 0, false, &accepted);
    if (!accepted || !items.contains(chosen))
        return std::nullopt;
    return int(items.indexOf(chosen));
}

} // namespace zarn
