#include "memlet/mlt_form.h"

#include "profile/Codepage.h"

#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>

namespace zarn {

namespace {

QString fromWin1252(const std::string& text) {
    return QString::fromStdString(Win1252ToUtf8(text));
}

// Lines of 8-bit text at CR LF, LF or CR; a line break at the very end starts no further line.
// NUL bytes are dropped: a profile file cannot hold them.
TStrings splitLines(const std::string& text) {
    TStrings lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            if (c != '\0')
                line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(std::move(line));
    return lines;
}

} // namespace

Tmlt_main::Tmlt_main(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("mlt_main");
    setWindowTitle("mlt_main");
    setFont(QFont("MS Sans Serif", 8));
    setFixedSize(457, 389);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 441, 345);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);

    LineCount = new QLabel("0 lines", Panel1);
    LineCount->setObjectName("LineCount");
    LineCount->setGeometry(8, 16, 425, 13);

    edit = new QPlainTextEdit(Panel1);
    edit->setObjectName("edit");
    edit->setGeometry(8, 40, 425, 297);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setTabChangesFocus(false);
    connect(edit, &QPlainTextEdit::textChanged, this, &Tmlt_main::editChange);

    Button1 = new QPushButton("&OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(283, 360, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(371, 360, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    Button3 = new QPushButton("&Load...", this);
    Button3->setObjectName("Button3");
    Button3->setGeometry(8, 360, 75, 25);
    connect(Button3, &QPushButton::clicked, this, &Tmlt_main::Button3Click);
}

QString Tmlt_main::LineCountCaption(int count) {
    return QString("%1 line%2 in file %3").arg(count).arg(count > 1 ? "s" : "").arg("nofile");
}

int Tmlt_main::MemoLineCount() const {
    const QTextDocument* document = edit->document();
    int count = document->blockCount();
    if (document->lastBlock().text().isEmpty())
        --count;
    return count;
}

TStrings Tmlt_main::Lines() const {
    // The raw text keeps no-break spaces, which the plain-text form turns into blanks.
    QString text = edit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    return splitLines(Utf8ToWin1252(text.toStdString()));
}

void Tmlt_main::SetLines(const TStrings& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    edit->setPlainText(fromWin1252(text));
}

bool Tmlt_main::ImportFile(const QString& path, QString* unheld) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    // Text in UTF-8 (a byte-order mark or not) or in Windows-1252, which is what a byte sequence
    // that is no valid UTF-8 most likely is.
    std::string text = bytes.toStdString();
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.erase(0, byteOrderMark.size());
    else if (!IsValidUtf8(text))
        text = Win1252ToUtf8(text);
    QString lost;
    for (const char32_t code : QString::fromStdString(text).toUcs4())
        if (Win1252Byte(code) < 0 && !lost.contains(QString::fromUcs4(&code, 1)))
            lost += QString::fromUcs4(&code, 1);
    if (unheld)
        *unheld = lost;
    SetLines(splitLines(Utf8ToWin1252(text)));
    return true;
}

void Tmlt_main::editChange() {
    LineCount->setText(LineCountCaption(MemoLineCount()));
}

void Tmlt_main::Button3Click() {
    const QString path = QFileDialog::getOpenFileName(this, "Import any file", QString(), "Any file (*)");
    if (path.isEmpty())
        return;
    QString unheld;
    if (!ImportFile(path, &unheld))
        QMessageBox::warning(this, windowTitle(), "Cannot read " + path);
    else if (!unheld.isEmpty())
        QMessageBox::warning(this, windowTitle(),
                             "The data file cannot hold these characters of " + path + ": " + unheld +
                                 "\nThey were replaced by \"?\".");
}

} // namespace zarn
