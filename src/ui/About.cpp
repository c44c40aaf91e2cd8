#include "ui/About.h"

#include "tag/AppletTag.h"
#include "ui/Splash.h"
#include "views/Dialogs.h"
#include "views/ScreenText.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zarn {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About ZARN 1.0..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(395, 285);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(8, 8, 377, 233);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramIconPicture());

    ProductName = new QLabel(QStringLiteral("ZARN (Quovelt)"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(88, 16);
    Version = new QLabel(QStringLiteral("Version 1.0"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->move(88, 40);
    auto* notice1 = new QLabel(QStringLiteral("Copyright (c) 1998 Trelvix. All rights reserved."), panel);
    notice1->setObjectName(QStringLiteral("Copyright"));
    notice1->move(8, 80);
    auto* notice2 = new QLabel(QStringLiteral("Applet tags made easy, for every web page."), panel);
    notice2->setObjectName(QStringLiteral("Comments"));
    notice2->move(64, 96);

    ClassAuthor = new QLabel(panel);
    ClassAuthor->setObjectName(QStringLiteral("ClassAuthor"));
    ClassAuthor->setGeometry(8, 160, 361, 57);
    ClassAuthor->setWordWrap(true);
    ClassAuthor->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ClassAuthor->setTextFormat(Qt::PlainText);
    ClassAuthor->hide();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(159, 252, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    KeepCentred(this);
}

void TAboutBox::ShowClassAuthor(const TJavaAppletTag* tag) {
    if (!tag) {
        ClassAuthor->hide();
        return;
    }
    ClassAuthor->setText(
        FromAnsi(tag->BasicParams.Code + "'s author : " + tag->JavaAuthor + ". " + tag->Copyright));
    ClassAuthor->show();
}

} // namespace zarn
