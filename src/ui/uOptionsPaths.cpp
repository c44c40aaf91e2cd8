#include "ui/uOptionsPaths.h"

#include "paths/PathForms.h"
#include "profile/Errors.h"
#include "tag/AppSettings.h"
#include "views/Dialogs.h"
#include "views/ScreenText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <optional>
#include <tuple>

namespace zarn {

namespace {

const char* const kWebRootHint = "This is the main directory where you store the files that will go to the "
                                 "server (HTML,GIFs, classes, etc...)";
const char* const kCodeBaseHint = "This is the place where you store your Applet's .class files";
constexpr int kViewerRowHeight = 60;

template <typename W>
W* Named(W* widget, const char* name, int left, int top, int width = -1, int height = -1) {
    widget->setObjectName(name);
    if (width < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        // A text wider than its design width (fonts other than the design's) gets its room; the
        // dialog grows to hold it.
        width = std::max(width, widget->sizeHint().width());
        widget->setGeometry(left, top, width, height < 0 ? widget->sizeHint().height() : height);
    }
    return widget;
}

QString FolderPart(const QString& path) {
    const qsizetype cut = std::max({path.lastIndexOf('/'), path.lastIndexOf('\\'), path.lastIndexOf(':')});
    return path.left(cut + 1);
}

} // namespace

QString ViewerFileFilter() {
#ifdef _WIN32
    return "Sun's AppletViewer|AppletViewer.exe|Executables(*.exe)|*.exe";
#else
    return "Applet viewer|appletviewer|Programs|*";
#endif
}

bool IsStandardAppletViewer(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.compare("AppletViewer.exe", Qt::CaseInsensitive) == 0 ||
           name == QString::fromStdString(DefaultAppletViewer());
}

TOptionsPaths::TOptionsPaths(QWidget* parent) : QDialog(parent) {
    // Taller than the design by the row of the ZARN applet viewer.
    constexpr int height = 307 + kViewerRowHeight;
    SetUpFixedDialog(this, "OptionsPaths", "Options", QSize(451, height));

    PC = new QTabWidget(this);
    PC->setObjectName("PC");
    PC->setGeometry(0, 0, 451, height);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PC->addTab(TabSheet1, "Applet Viewer");
    PC->addTab(TabSheet2, "ZARN Options");
    BuildViewerPage();
    BuildOptionsPage();

    // The design's width, or more when the texts need it.
    int needed = 451;
    for (QWidget* page : {TabSheet1, TabSheet2})
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            needed = std::max(needed, child->geometry().right() + 14);
    const int grow = needed - 451;
    setFixedSize(needed, height);
    PC->setGeometry(0, 0, needed, height);
    if (grow > 0)
        PathKind->resize(PathKind->width() + grow, PathKind->height());

    // The buttons lie over the pages' lower right corner.
    Button1 = Named(new QPushButton("OK", this), "Button1", 263 + grow, 268 + kViewerRowHeight, 75, 25);
    Button1->setDefault(true);
    Button2 = Named(new QPushButton("Cancel", this), "Button2", 351 + grow, 268 + kViewerRowHeight, 75, 25);
    Button1->raise();
    Button2->raise();
    connect(Button1, &QPushButton::clicked, this, &TOptionsPaths::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    WebDB.Caption = "Browse Default Web Root Path";
    CodeDB.Caption = "Browse Default Code Base path";
}

void TOptionsPaths::BuildViewerPage() {
    QWidget* page = TabSheet1;
    UseAW = Named(new QRadioButton("Use a specific Applet Viewer utility (eg : Sun's Applet Viewer)", page),
                  "UseAW", 8, 16, 377);
    Label1 = Named(new QLabel("Path to Applet Viewer (or similar application) :", page), "Label1", 38, 40);
    AVPath = Named(new QLineEdit(page), "AVPath", 40, 56, 313, 25);
    Label1->setBuddy(AVPath);
    AVBsr = Named(new QPushButton("&Browse...", page), "AVBsr", 358, 56, 75, 25);

    PathKind = Named(new QGroupBox("Type of Path Names", page), "PathKind", 40, 88, 393, 89);
    pathKindGroup_ = new QButtonGroup(this);
    const char* const items[] = {"DOS and UNC (eg c:\\foo\\bar.html or \\\\machine\\c\\foo\\bar.html)",
                                 "Netscape \"URL\" (eg file:///c|/foo/bar.html)",
                                 "Sun's DOS names (eg  file:/c:/foo/bar.html)"};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(items[i], PathKind);
        item->setObjectName(QString("PathKind%1").arg(i));
        item->setGeometry(8, 18 + 22 * i, std::max(377, item->sizeHint().width()), 20);
        pathKindGroup_->addButton(item, i);
    }

    CloseWait = Named(new QCheckBox("Wait for the Application to close before going on", page), "CloseWait",
                      40, 184, 393);
    hints_.emplace_back(CloseWait,
                        "Recommended for small application whose only purpse is to show applets (eg : "
                        "Sun's AppletViewer). NOT for IE, Netscape... !");
    UseWWW =
        Named(new QRadioButton(
                  "Use your default Web browser (eg Netscape Navigator, MS Internet Explorer, etc..)", page),
              "UseWWW", 8, 216, 417);
    UseZAV =
        Named(new QRadioButton("ZARN applet viewer (runs the applet with the Java on this computer)", page),
              "UseZAV", 8, 240, 417);
    JavaNote = Named(new QLabel(page), "JavaNote", 26, 262, 407, 44);
    JavaNote->setWordWrap(true);
    JavaNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    JavaNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* viewerGroup = new QButtonGroup(this);
    viewerGroup->addButton(UseAW);
    viewerGroup->addButton(UseWWW);
    viewerGroup->addButton(UseZAV);

    connect(UseAW, &QRadioButton::toggled, this, &TOptionsPaths::UseAWClick);
    connect(AVBsr, &QPushButton::clicked, this, &TOptionsPaths::AVBsrClick);
}

void TOptionsPaths::BuildOptionsPage() {
    QWidget* page = TabSheet2;
    RealNames =
        Named(new QCheckBox("Show also real parameter names ($names)", page), "RealNames", 8, 16, 225);
    hints_.emplace_back(RealNames, "This will show the macro names (only recommended for advanced users)");
    ShowHints = Named(new QCheckBox("Show Hints", page), "ShowHints", 8, 40);

    GBPaths = Named(new QGroupBox("Default Applet paths", page), "GBPaths", 8, 80, 433, 89);
    const QIcon folder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    // Both rows' buttons line up after the wider caption.
    const int buttonLeft = std::max({80, 10 + QLabel("Web Site root : ", GBPaths).sizeHint().width(),
                                     10 + QLabel("Code Base : ", GBPaths).sizeHint().width()});
    auto browseRow = [this, &folder, buttonLeft](const char* caption, const char* buttonName,
                                                 const char* editName, int top, const char* hint) {
        auto* label = new QLabel(caption, GBPaths);
        label->move(8, top + 4);
        auto* button = Named(new QToolButton(GBPaths), buttonName, buttonLeft, top, 25, 22);
        button->setIcon(folder);
        button->setFocusPolicy(Qt::StrongFocus);
        auto* edit = Named(new QLineEdit(GBPaths), editName, buttonLeft + 32, top, 425 - buttonLeft - 32, 22);
        label->setBuddy(edit);
        hints_.emplace_back(edit, hint);
        return std::pair(button, edit);
    };
    std::tie(WebBrowse, WebRoot) = browseRow("Web Site root : ", "WebBrowse", "WebRoot", 16, kWebRootHint);
    std::tie(CodeBrowse, CodeBase) = browseRow("Code Base : ", "CodeBrowse", "CodeBase", 48, kCodeBaseHint);
    WebBrowse->setToolTip(QString());

    UseCheerpJ =
        Named(new QCheckBox("Run applets in browser previews with Cheerp&J", page), "UseCheerpJ", 8, 180);
    auto* note =
        new QLabel("Needs the internet: the page loads CheerpJ's Java runtime from its makers' site. "
                   "Its free licence covers personal and open-source use.",
                   page);
    note->setObjectName("UseCheerpJNote");
    note->setWordWrap(true);
    note->setGeometry(26, 200, 411, 32);
    note->setBuddy(UseCheerpJ);
    connect(WebBrowse, &QToolButton::clicked, this, [this] { BrowseDirectory(WebRoot, WebDB); });
    connect(CodeBrowse, &QToolButton::clicked, this, [this] { BrowseDirectory(CodeBase, CodeDB); });
}

void TOptionsPaths::SetPage(TPage page) {
    PC->setCurrentWidget(page == TPage::AppletViewer ? TabSheet1 : TabSheet2);
}

int TOptionsPaths::PathKindIndex() const {
    return pathKindGroup_->checkedId();
}

void TOptionsPaths::SetPathKindIndex(int index) {
    if (QAbstractButton* item = pathKindGroup_->button(index)) {
        item->setChecked(true);
    } else {
        // A stored kind outside the list selects no item.
        pathKindGroup_->setExclusive(false);
        for (QAbstractButton* button : pathKindGroup_->buttons())
            button->setChecked(false);
        pathKindGroup_->setExclusive(true);
    }
}

void TOptionsPaths::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TOptionsPaths::FormShow() {
    const TAppSettings& settings = AppSettings;
    const bool zarnViewer = UsesZarnViewer(settings);
    // The choice of our own viewer is no program path: the field proposes the usual viewer instead.
    AVPath->setText(settings.AppletViewer == ZarnAppletViewer ? QString::fromStdString(DefaultAppletViewer())
                                                              : FromAnsi(settings.AppletViewer));
    SetPathKindIndex(settings.PathnamesKind);
    RealNames->setChecked(settings.RealNames);
    UseAW->setChecked(!settings.UseWebAsAV && !zarnViewer);
    UseWWW->setChecked(settings.UseWebAsAV);
    UseZAV->setChecked(zarnViewer);
    ShowJavaNote();
    UseAWClick();
    CloseWait->setChecked(settings.WaitForAVToClose);
    ShowHints->setChecked(settings.ShowHints);
    UseCheerpJ->setChecked(settings.UseCheerpJ);
    WebRoot->setText(FromAnsi(settings.DefaultWebRoot));
    CodeBase->setText(FromAnsi(settings.DefaultCodeBase));
    ApplyHints(settings.ShowHints);
}

void TOptionsPaths::ShowJavaNote() {
    const TJavaSearch search = SearchJava();
    const bool jar = !FindViewerJar().empty();
    const bool runs = jar && search.usable;
    QString note = QString::fromStdString(JavaSearchSummary(search));
    if (!jar)
        note = "The ZARN applet viewer (zarn-viewer.jar) is not installed beside ZARN.";
    else if (search.usable && !search.unusable.empty())
        note += "\n" + QString::fromStdString(UnusableJavaMessage(search.unusable.front()));
    JavaNote->setText(note);
    // A stored choice stays selectable, so the dialog shows it and why it cannot run.
    UseZAV->setEnabled(runs || UseZAV->isChecked());
}

void TOptionsPaths::UseAWClick() {
    const bool viewer = UseAW->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{Label1, AVPath, AVBsr, PathKind, CloseWait})
        control->setEnabled(viewer);
}

void TOptionsPaths::ApplyHints(bool show) {
    for (const auto& [widget, hint] : hints_)
        widget->setToolTip(show ? hint : QString());
}

void TOptionsPaths::Button1Click() {
    // Settings are stored as Windows-1252 text: a path with other characters is refused, not mangled.
    std::string viewer, webRoot, codeBase;
    for (auto [edit, text] :
         {std::pair{AVPath, &viewer}, std::pair{WebRoot, &webRoot}, std::pair{CodeBase, &codeBase}}) {
        if (!ToAnsi(edit->text(), *text)) {
            Dialogs().Questions().Warning("ZARN cannot store the characters of \"" +
                                          ToAnsiLossy(edit->text()) + "\" in its settings.");
            PC->setCurrentWidget(TabSheet1->isAncestorOf(edit) ? TabSheet1 : TabSheet2);
            edit->setFocus();
            return;
        }
    }
    TAppSettings& settings = AppSettings;
    settings.AppletViewer = UseZAV->isChecked() ? std::string(ZarnAppletViewer) : viewer;
    settings.PathnamesKind = PathKindIndex() < 0 ? settings.PathnamesKind : PathKindIndex();
    settings.RealNames = RealNames->isChecked();
    settings.UseWebAsAV = UseWWW->isChecked();
    settings.WaitForAVToClose = CloseWait->isChecked();
    settings.ShowHints = ShowHints->isChecked();
    settings.UseCheerpJ = UseCheerpJ->isChecked();
    settings.DefaultWebRoot = webRoot;
    settings.DefaultCodeBase = codeBase;
    try {
        WriteSettings();
    } catch (const std::exception& error) {
        // The options stay in force for this run; the user learns they were not kept.
        Dialogs().Questions().Warning(std::string(error.what()) + ".");
    }
    accept();
}

void TOptionsPaths::AVBsrClick() {
    const QString text = AVPath->text();
    const QString folder = FolderPart(text);
    QString name = text.mid(folder.size());
    if (name.isEmpty())
        name = QString::fromStdString(DefaultAppletViewer());
#ifdef _WIN32
    const QString suffix = "exe";
#else
    const QString suffix;
#endif
    // A file name after the folder is what the chooser proposes.
    const std::optional<QString> chosenFile =
        Dialogs().OpenFileName({"Applet Viewer", folder + name, ViewerFileFilter(), suffix});
    if (!chosenFile || chosenFile->isEmpty())
        return;
    const QString chosen = QDir::toNativeSeparators(*chosenFile);
    AVPath->setText(chosen);
    if (IsStandardAppletViewer(chosen))
        SetPathKindIndex(2);
}

void TOptionsPaths::BrowseDirectory(QLineEdit* edit, TDirectoryBrowser& browser) {
    if (DirectoryExists(QFile::encodeName(edit->text()).toStdString()))
        browser.Directory = edit->text();
    if (browser.Execute())
        edit->setText(browser.Directory);
}

} // namespace zarn
