#pragma once
// The text plug-in's editor window: the memo, its line count, OK, Cancel and "Load...".

#include "profile/TextConv.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zarn {

class Tmlt_main : public QDialog {
    Q_OBJECT

public:
    explicit Tmlt_main(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* LineCount;
    QPlainTextEdit* edit;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    // The memo's lines in Windows-1252. As in the memo of old, an empty last line is no line: an
    // empty memo holds 0 lines, and SetLines ends every line with a line break.
    TStrings Lines() const;
    void SetLines(const TStrings& lines);
    // Replaces the memo's lines by the file's lines (CR LF, LF or CR ends); false when the file
    // cannot be read. UTF-8 and Windows-1252 text is read; the characters Windows-1252 cannot hold
    // become "?" and are listed once each in `unheld`.
    bool ImportFile(const QString& path, QString* unheld = nullptr);

    // "%0:d line%1:s in file %2:s": "0 line in file nofile", "3 lines in file nofile".
    static QString LineCountCaption(int count);
    int MemoLineCount() const;

public Q_SLOTS:
    void editChange();
    void Button3Click();
};

} // namespace zarn
