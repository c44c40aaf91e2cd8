#include "ui/Main.h"

#include "paths/PathForms.h"
#include "tag/AppSettings.h"
#include "ui/DocumentUndo.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <utility>

// The Main page: the basic attributes' controls and what their changes do to the document.

namespace zarn {

namespace {

// The label left of its control; where the screen's font makes it wider than the design's, the
// control gives up room on its left and keeps its right edge.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    label->adjustSize();
    label->move(x, y + (23 - label->height()) / 2);
    const int needed = x + label->width() + 2;
    if (buddy->x() < needed) {
        const QRect bounds = buddy->geometry();
        buddy->setGeometry(needed, bounds.y(), bounds.right() - needed + 1, bounds.height());
    }
    return label;
}

} // namespace

QSpinBox* TMainForm::MakeSpinner(QWidget* parent, const char* spinName, const char* editName,
                                 bool separator) {
    auto* spinner = new QSpinBox(parent);
    spinner->setObjectName(QLatin1String(spinName));
    spinner->setRange(0, 8192);
    spinner->setSingleStep(10);
    spinner->setWrapping(false);
    spinner->setAccelerated(false);
    // The separator is a fixed comma whatever the user's locale says.
    spinner->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    spinner->setGroupSeparatorShown(separator);
    spinner->findChild<QLineEdit*>()->setObjectName(QLatin1String(editName));
    return spinner;
}

void TMainForm::BuildMainPage() {
    MainPage = new QWidget;
    MainPage->setObjectName(QStringLiteral("MainPage"));
    auto* pageLayout = new QVBoxLayout(MainPage);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* scrollBox = new QScrollArea(MainPage);
    scrollBox->setObjectName(QStringLiteral("MainSbx"));
    scrollBox->setFrameShape(QFrame::NoFrame);
    pageLayout->addWidget(scrollBox);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("MainContent"));
    content->setFixedSize(521, 229);
    scrollBox->setWidget(content);

    GBPaths = new QGroupBox(QStringLiteral("Applet Paths"), content);
    GBPaths->setObjectName(QStringLiteral("GBPaths"));
    GBPaths->setGeometry(4, 8, 513, 111);
    WebRoot = new QLineEdit(GBPaths);
    WebRoot->setObjectName(QStringLiteral("WebRoot"));
    WebRoot->setGeometry(88, 20, 393, 23);
    WebRoot->setToolTip(
        QStringLiteral("This is the main directory where you store the files that will go to the "
                       "server (HTML,GIFs, classes, etc...)"));
    BuddyLabel(QStringLiteral("&Web Site root : "), WebRoot, GBPaths, 8, 20);
    WebBrowse = new QToolButton(GBPaths);
    WebBrowse->setObjectName(QStringLiteral("WebBrowse"));
    WebBrowse->setGeometry(483, 20, 25, 23);
    CodeBase = new QLineEdit(GBPaths);
    CodeBase->setObjectName(QStringLiteral("CodeBase"));
    CodeBase->setGeometry(96, 50, 385, 23);
    CodeBase->setToolTip(QStringLiteral("This is the place where you store your Applet's .class files"));
    BuddyLabel(QStringLiteral("Code &Base : "), CodeBase, GBPaths, 8, 50);
    CodeBrowse = new QToolButton(GBPaths);
    CodeBrowse->setObjectName(QStringLiteral("CodeBrowse"));
    CodeBrowse->setGeometry(483, 50, 25, 23);
    Archive = new QLineEdit(GBPaths);
    Archive->setObjectName(QStringLiteral("Archive"));
    Archive->setGeometry(96, 80, 385, 23);
    Archive->setToolTip(
        QStringLiteral("The archives (.jar files) that hold your Applet's classes, separated by "
                       "commas, relative to the Code Base"));
    BuddyLabel(QStringLiteral("&Archive : "), Archive, GBPaths, 8, 80);
    for (QToolButton* button : {WebBrowse, CodeBrowse}) {
        button->setIcon(
            QIcon(Glyph(TGlyph::Folder)
                      .copy(0, 0, Glyph(TGlyph::Folder).height(), Glyph(TGlyph::Folder).height())));
        button->setFocusPolicy(Qt::StrongFocus);
    }
    WebBrowse->setToolTip(WebRoot->toolTip());
    WebBrowse->setAccessibleName(QStringLiteral("Browse Web Root Path"));
    CodeBrowse->setToolTip(CodeBase->toolTip());
    CodeBrowse->setAccessibleName(QStringLiteral("Browse Code Base path"));

    GroupBox1 = new QGroupBox(QStringLiteral("Applet Sizes"), content);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(4, 126, 513, 73);
    AppletWidth = MakeSpinner(GroupBox1, "AppletWidth", "AWEdit", false);
    AppletHeight = MakeSpinner(GroupBox1, "AppletHeight", "AHEdit", true);
    AppletHSpace = MakeSpinner(GroupBox1, "AppletHSpace", "AHSEdit", true);
    AppletVSpace = MakeSpinner(GroupBox1, "AppletVSpace", "AVSEdit", true);
    AWEdit = AppletWidth->findChild<QLineEdit*>();
    AHEdit = AppletHeight->findChild<QLineEdit*>();
    AHSEdit = AppletHSpace->findChild<QLineEdit*>();
    AVSEdit = AppletVSpace->findChild<QLineEdit*>();
    // The labels name the spinners; the edits inside them are controls of their own.
    AWEdit->setAccessibleName(QStringLiteral("Width"));
    AHEdit->setAccessibleName(QStringLiteral("Height"));
    AHSEdit->setAccessibleName(QStringLiteral("Horizontal Spacing"));
    AVSEdit->setAccessibleName(QStringLiteral("Vertical Spacing"));
    AppletWidth->setGeometry(64, 16, 70, 23);
    AppletHeight->setGeometry(64, 43, 70, 23);
    AppletHSpace->setGeometry(252, 16, 70, 23);
    AppletVSpace->setGeometry(252, 43, 70, 23);
    AppletWidth->setToolTip(QStringLiteral("Width of your applet on the page"));
    AppletHeight->setToolTip(QStringLiteral("Height of your applet on the page"));
    AppletHSpace->setToolTip(QStringLiteral("Horizontal space between your applet and the rest of the page"));
    AppletVSpace->setToolTip(QStringLiteral("Vertical space between your applet and the rest of the page"));
    BuddyLabel(QStringLiteral(" Wi&dth : "), AppletWidth, GroupBox1, 8, 16);
    BuddyLabel(QStringLiteral(" Hei&ght : "), AppletHeight, GroupBox1, 8, 43);
    BuddyLabel(QStringLiteral("Hori&zontal Spacing : "), AppletHSpace, GroupBox1, 142, 16);
    BuddyLabel(QStringLiteral("Ver&tical Spacing : "), AppletVSpace, GroupBox1, 142, 43);

    CBAlign = new QComboBox(GroupBox1);
    CBAlign->setObjectName(QStringLiteral("CBAlign"));
    for (const AlignmentEntry& entry : AlignmentTable)
        CBAlign->addItem(QLatin1String(entry.caption));
    CBAlign->setGeometry(378, 16, 127, 23);
    CBAlign->setToolTip(
        QStringLiteral("Defines the way your applet is displayed towards the text of the rest of the page."));
    BuddyLabel(QStringLiteral("A&lign : "), CBAlign, GroupBox1, 336, 16);
    Resize = new QPushButton(QStringLiteral("&Resize...."), GroupBox1);
    Resize->setObjectName(QStringLiteral("Resize"));
    Resize->setCheckable(true);
    Resize->setGeometry(378, 43, 127, 23);
    Resize->setToolTip(QStringLiteral("Graphically change the size of your applet."));

    CBTrusted = new QCheckBox(QStringLiteral("Trust this applet (full access)"), content);
    CBTrusted->setObjectName(QStringLiteral("CBTrusted"));
    CBTrusted->setGeometry(12, 203, 505, 23);
    CBTrusted->setAccessibleName(CBTrusted->text());
    CBTrusted->setToolTip(
        QStringLiteral("Off, the preview runs your applet in a sandbox: it may only read its code base"));
    connect(AppletWidth, &QSpinBox::valueChanged, this, &TMainForm::AWEditChange);
    connect(AppletHeight, &QSpinBox::valueChanged, this, &TMainForm::AHEditChange);
    connect(AppletHSpace, &QSpinBox::valueChanged, this, &TMainForm::AHSEditChange);
    connect(AppletVSpace, &QSpinBox::valueChanged, this, &TMainForm::AVSEditChange);
    // Only the user's pick runs the handler; the program's selection does not.
    connect(CBAlign, &QComboBox::activated, this, &TMainForm::CBAlignChange);
    connect(CBTrusted, &QCheckBox::clicked, this, &TMainForm::CBTrustedClick);
    connect(WebRoot, &QLineEdit::textChanged, this, &TMainForm::WebRootChange);
    connect(CodeBase, &QLineEdit::textChanged, this, &TMainForm::CodeBaseChange);
    connect(Archive, &QLineEdit::textChanged, this, &TMainForm::ArchiveChange);
    connect(WebBrowse, &QToolButton::clicked, this, &TMainForm::WebBrowseClick);
    connect(CodeBrowse, &QToolButton::clicked, this, &TMainForm::CodeBrowseClick);
    connect(Resize, &QPushButton::toggled, this, &TMainForm::ResizeClick);

    basicControls_ = {{TBasicField::Width, AppletWidth},   {TBasicField::Height, AppletHeight},
                      {TBasicField::HSpace, AppletHSpace}, {TBasicField::VSpace, AppletVSpace},
                      {TBasicField::Align, CBAlign},       {TBasicField::WebRoot, WebRoot},
                      {TBasicField::CodeBase, CodeBase},   {TBasicField::Archive, Archive},
                      {TBasicField::Trusted, CBTrusted}};
    PC->addTab(MainPage, QStringLiteral("Main"));
}

void TMainForm::SpinnerChange(QSpinBox* spinner, TBasicField field) {
    SizeWindow->SetTracking(false);
    switch (field) {
    case TBasicField::Width:
        SizeWindow->SetAppletClientWidth(AppletWidth->value() + 2 * AppletHSpace->value());
        break;
    case TBasicField::Height:
        SizeWindow->SetAppletClientHeight(AppletHeight->value() + 2 * AppletVSpace->value());
        break;
    case TBasicField::HSpace:
        SizeWindow->SetHSpacePanels(AppletHSpace->value());
        break;
    case TBasicField::VSpace:
        SizeWindow->SetVSpacePanels(AppletVSpace->value());
        break;
    default:
        break;
    }
    const TBasicAttribute& row = BasicAttribute(field);
    TBasicValue before = row.get(*BasicParams);
    row.put(*BasicParams, int64_t(spinner->value()));
    SizeWindow->SetTracking(true);
    RecordBasicEdit(*this, field, std::move(before));
}

void TMainForm::AWEditChange() {
    SpinnerChange(AppletWidth, TBasicField::Width);
}

void TMainForm::AHEditChange() {
    SpinnerChange(AppletHeight, TBasicField::Height);
}

void TMainForm::AHSEditChange() {
    SpinnerChange(AppletHSpace, TBasicField::HSpace);
}

void TMainForm::AVSEditChange() {
    SpinnerChange(AppletVSpace, TBasicField::VSpace);
}

void TMainForm::CBAlignChange(int index) {
    if (index < 0)
        return;
    const TBasicAttribute& row = BasicAttribute(TBasicField::Align);
    TBasicValue before = row.get(*BasicParams);
    row.put(*BasicParams, int64_t(index));
    RecordBasicEdit(*this, TBasicField::Align, std::move(before));
}

void TMainForm::CBTrustedClick(bool checked) {
    const TBasicAttribute& row = BasicAttribute(TBasicField::Trusted);
    TBasicValue before = row.get(*BasicParams);
    row.put(*BasicParams, int64_t(checked));
    RecordBasicEdit(*this, TBasicField::Trusted, std::move(before));
}

void TMainForm::StorePathEdit(QLineEdit* edit, TBasicField field, const QString& text) {
    const TBasicAttribute& row = BasicAttribute(field);
    std::string stored;
    if (!ToAnsi(text, stored)) {
        // Refused rather than stored as "?": the edit goes back to the value in force.
        const int cursor = edit->cursorPosition();
        const QSignalBlocker blocker(edit);
        edit->setText(FromAnsi(std::get<std::string>(row.get(*BasicParams))));
        edit->setCursorPosition(std::min(cursor, static_cast<int>(edit->text().size())));
        ShowStatusNote(QStringLiteral("Character not available in Windows-1252"));
        return;
    }
    TBasicValue before = row.get(*BasicParams);
    row.put(*BasicParams, std::move(stored));
    RecordBasicEdit(*this, field, std::move(before));
}

void TMainForm::WebRootChange(const QString& text) {
    StorePathEdit(WebRoot, TBasicField::WebRoot, text);
}

void TMainForm::CodeBaseChange(const QString& text) {
    StorePathEdit(CodeBase, TBasicField::CodeBase, text);
}

void TMainForm::ArchiveChange(const QString& text) {
    StorePathEdit(Archive, TBasicField::Archive, text);
}

void TMainForm::Browse(QLineEdit* edit, TDirectoryBrowser& browser) {
    std::string text;
    if (ToAnsi(edit->text(), text) && DirectoryExists(text))
        browser.Directory = edit->text();
    if (browser.Execute())
        edit->setText(browser.Directory);
}

void TMainForm::WebBrowseClick() {
    Guarded([this] { Browse(WebRoot, WebDB); });
}

void TMainForm::CodeBrowseClick() {
    Guarded([this] { Browse(CodeBase, CodeDB); });
}

void TMainForm::ResizeClick(bool pressed) {
    if (!pressed) {
        SizeWindow->ShowSizeWindow(false);
        return;
    }
    SizeWindow->SetTracking(false);
    SizeWindow->SetAppletClientWidth(AppletWidth->value() + 2 * AppletHSpace->value());
    SizeWindow->SetAppletClientHeight(AppletHeight->value() + 2 * AppletVSpace->value());
    SizeWindow->SetHSpacePanels(AppletHSpace->value());
    SizeWindow->SetVSpacePanels(AppletVSpace->value());
    SizeWindow->SetTracking(true);
    SizeWindow->ShowSizeWindow(true);
}

} // namespace zarn
