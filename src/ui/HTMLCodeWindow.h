#pragma once
// "Show HTML Code": the whole applet block in a read-only text window with a Copy button, since a
// block of many lines does not fit a message box.

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace zarn {

class THTMLCodeWindow : public QDialog {
    Q_OBJECT

public:
    explicit THTMLCodeWindow(QWidget* parent = nullptr);

    // The block with the system's bare carriage returns as line ends.
    void SetCode(const std::string& code);
    // What Copy puts on the clipboard: the block with CR LF line ends.
    const QString& ClipboardText() const { return clipboardText_; }

    QPlainTextEdit* Code;
    QPushButton* CopyButton;
    QPushButton* CloseButton;

private:
    QString clipboardText_;
};

// Shows the block modally.
void ShowHTMLCodeWindow(QWidget* parent, const std::string& code);

} // namespace zarn
