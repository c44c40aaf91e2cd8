#pragma once
// The About box: product, version, the makers' notice and, once something is loaded, the applet's
// author line.

#include <QDialog>

class QLabel;
class QPushButton;

namespace zarn {

class TJavaAppletTag;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* ClassAuthor = nullptr;
    QPushButton* OKButton = nullptr;

    // Shows the author line of the tag, or hides it when nothing has been loaded (null).
    void ShowClassAuthor(const TJavaAppletTag* tag);
};

} // namespace zarn
