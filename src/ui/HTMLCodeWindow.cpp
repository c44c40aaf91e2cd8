#include "ui/HTMLCodeWindow.h"

#include "tag/Preview.h"
#include "views/ScreenText.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarn {

THTMLCodeWindow::THTMLCodeWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HTMLCodeWindow");
    setWindowTitle("HTML Code");
    resize(600, 360);

    Code = new QPlainTextEdit(this);
    Code->setObjectName("Code");
    Code->setReadOnly(true);
    Code->setLineWrapMode(QPlainTextEdit::NoWrap);
    Code->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Code->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    CopyButton = new QPushButton("&Copy", this);
    CopyButton->setObjectName("CopyButton");
    CloseButton = new QPushButton("Close", this);
    CloseButton->setObjectName("CloseButton");
    CloseButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CopyButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Code);
    layout->addLayout(buttons);

    connect(CopyButton, &QPushButton::clicked, this, [this] {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(clipboardText_);
    });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}

void THTMLCodeWindow::SetCode(const std::string& code) {
    Code->setPlainText(DisplayLines(code));
    clipboardText_ = FromAnsi(ToCRLF(code));
}

void ShowHTMLCodeWindow(QWidget* parent, const std::string& code) {
    THTMLCodeWindow window(parent);
    window.SetCode(code);
    window.exec();
}

} // namespace zarn
