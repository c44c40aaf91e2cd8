#include "ui/Main.h"

#include "views/ViewUndo.h"

#include "model/KelmFile.h"
#include "paths/InstallPaths.h"
#include "paths/PathForms.h"
#include "tag/AppSettings.h"
#include "ui/About.h"
#include "ui/DocumentUndo.h"
#include "ui/LiveHTMLPane.h"
#include "ui/Splash.h"
#include "ui/ViewerOutput.h"
#include "ui/toolbar/MSIEToolbar.h"
#include "ui/toolbar/ToolbarPictures.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ScreenText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace zarn {

namespace {

constexpr int SaveDisabledBit = 4;
constexpr int PreviewDisabledBit = 16;

const char* const OpenFilter = "ZARN Files (*.zrt;*.zrd)|*.zrt;*.zrd|ZARN Documents (*.zrd)|*.zrd|"
                               "ZARN Templates (*.zrt)|*.zrt|Any File (*.*)|*.*";
const char* const SaveFilter = "ZARN Documents (*.zrd)|*.zrd";

// File names cross to the file system in its own encoding.
std::string FileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString ShownFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

TTempFiles& TempFiles() {
    static TTempFiles files;
    return files;
}

std::string TemplatesFolder() {
    const std::string program = FileSystemName(QCoreApplication::applicationDirPath());
    const std::string found = FindTemplatesFolder(program);
    // Without any, New starts where the templates would be beside the program.
    return (found.empty() ? program + "/Templates" : found) + "/";
}

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), Document(new TEditorDocument(this)), DocFile(Document->Core().DocFile),
      AppletTag(Document->Core().AppletTag), BasicParams(Document->Core().BasicParams),
      ParamList(Document->Core().ParamList), DocFileName(Document->Core().FileName),
      UndoStack(Document->UndoStack()), SizeWindow(&noSizeWindow_) {
    setObjectName(QStringLiteral("MainForm"));
    SetDialogParent(this);
    resize(736, 490);
    setFont(QFont(QStringLiteral("Arial"), 8));
    setWindowIcon(QIcon(ProgramIconPicture()));

    WebDB.Caption = QStringLiteral("Browse Web Root Path");
    CodeDB.Caption = QStringLiteral("Browse Code Base path");

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(2);
    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(41);
    auto* toolbarLayout = new QHBoxLayout(Panel1);
    toolbarLayout->setContentsMargins(1, 1, 1, 1);
    Toolbar = new TMSIEToolbar(Panel1);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    LoadToolbarPictures(*Toolbar);
    Toolbar->setImageCount(6);
    Toolbar->setCaptions({QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("Save"), QString(),
                          QStringLiteral("Preview")});
    Toolbar->setHints({QStringLiteral("New applet tag from a template"),
                       QStringLiteral("Open a template or document"), QStringLiteral("Save the document"),
                       QString(), QStringLiteral("Run preview of the applet")});
    Toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    Toolbar->setDisabledItems(std::uint32_t(ToolbarMask));
    toolbarLayout->addWidget(Toolbar);
    connect(Toolbar, &TMSIEToolbar::OnClick, this, &TMainForm::ToolbarClick);
    connect(this, &TMainForm::ToolbarMaskChanged, Toolbar,
            [this](int mask) { Toolbar->setDisabledItems(std::uint32_t(mask)); });
    PC = new QTabWidget(central);
    PC->setObjectName(QStringLiteral("PC"));
    PC->hide();
    layout->addWidget(Panel2);
    layout->addWidget(Panel1);
    layout->addWidget(PC, 1);
    // Takes the room while no document shows its pages, so the toolbar stays at the top.
    layout->addStretch(0);
    setCentralWidget(central);

    BuildMainPage();
    // The toolbar comes after the pages in the Tab order, so the window opens with the focus on a
    // page, where Ctrl+Tab turns the pages.
    QWidget::setTabOrder(PC, Toolbar);
    BuildMenus();
    addDockWidget(Qt::BottomDockWidgetArea, new TViewerOutput(this));

    QStatusBar* status = statusBar();
    status->setObjectName(QStringLiteral("Status"));
    StatusPanel0 = new QLabel(status);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel1 = new QLabel(status);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setFixedWidth(50);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        status->addWidget(panel);
    }
    StatusNote = new QLabel(status);
    StatusNote->setObjectName(QStringLiteral("StatusNote"));
    status->addWidget(StatusNote, 1);

    connect(Document, &TEditorDocument::ModifiedChanged, this, &TMainForm::ShowModified);
    connect(Document, &TEditorDocument::Changed, this, &TMainForm::DocumentChanged);
    qApp->installEventFilter(this);
    AttachDialogs();
    AttachComfort();
    ApplyShowHints();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    // The history goes while the window is whole: clearing it tells this window.
    UndoStack->clear();
    disconnect(Document, nullptr, this, nullptr);
    // Docks hide as the window's children go, after this object is no longer a main window.
    disconnect(LiveHTMLPane, nullptr, this, nullptr);
    // The views refer to the tag's parameters: they go first.
    KillPages(PageList);
    SetDialogParent(nullptr);
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TMainForm::*slot)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    File1 = bar->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    New1 = item(File1, "New1", QStringLiteral("&New..."), &TMainForm::New1Click);
    FileOpenItem = item(File1, "FileOpenItem", QStringLiteral("&Open..."), &TMainForm::FileOpenItemClick);
    FileImportItem = item(File1, "FileImportItem", QStringLiteral("&Import from page..."),
                          &TMainForm::FileImportItemClick);
    FileUpdatePageItem = item(File1, "FileUpdatePageItem", QStringLiteral("&Update page..."),
                              &TMainForm::FileUpdatePageItemClick);
    FileScaffoldItem = item(File1, "FileScaffoldItem", QStringLiteral("New &template from applet..."),
                            &TMainForm::FileScaffoldItemClick);
    FileSaveItem = item(File1, "FileSaveItem", QStringLiteral("&Save"), &TMainForm::FileSaveItemClick);
    FileSaveAsItem =
        item(File1, "FileSaveAsItem", QStringLiteral("Save &As..."), &TMainForm::FileSaveAsItemClick);
    File1->addSeparator()->setObjectName(QStringLiteral("N4"));
    FileExitItem = item(File1, "FileExitItem", QStringLiteral("E&xit"), &TMainForm::FileExitItemClick);
    FileSaveItem->setEnabled(false);
    FileSaveAsItem->setEnabled(false);
    FileUpdatePageItem->setEnabled(false);
    AttachDocumentUndo(*this);

    Build1 = bar->addMenu(QStringLiteral("&Compile"));
    Build1->setObjectName(QStringLiteral("Build1"));
    Runpreview1 = item(Build1, "Runpreview1", QStringLiteral("&Run preview"), &TMainForm::Runpreview1Click);
    ShowHTMLCode1 =
        item(Build1, "ShowHTMLCode1", QStringLiteral("&Show HTML Code"), &TMainForm::ShowHTMLCode1Click);
    Build1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Generateactualcode1 = item(Build1, "Generateactualcode1", QStringLiteral("&Generate actual code"),
                               &TMainForm::Generateactualcode1Click);
    Build1->setEnabled(false);
    Build1->menuAction()->setEnabled(false);

    Options1 = bar->addMenu(QStringLiteral("&Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    Paths1 = item(Options1, "Paths1", QStringLiteral("&Paths...."), &TMainForm::Paths1Click);
    Options2 = item(Options1, "Options2", QStringLiteral("&Options..."), &TMainForm::Options2Click);

    Help1 = bar->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    UsingZARN1 = item(Help1, "UsingZARN1", QStringLiteral("&Using ZARN"), &TMainForm::UsingZARN1Click);
    UA = item(Help1, "UA", QStringLiteral("&Using Applet"), &TMainForm::UAClick);
    UA->setVisible(false);
    UA->setEnabled(false);
    Help1->addSeparator()->setObjectName(QStringLiteral("N3"));
    HelpAboutItem = item(Help1, "HelpAboutItem", QStringLiteral("&About..."), &TMainForm::HelpAboutItemClick);
    AssignShortcuts(*this);
}

void TMainForm::SetSizeWindow(TSizeWindowLink* link) {
    SizeWindow = link ? link : &noSizeWindow_;
}

void TMainForm::SetToolbarMask(int mask) {
    ToolbarMask = mask;
    emit ToolbarMaskChanged(ToolbarMask);
}

void TMainForm::SetModified() {
    Document->SetModified();
}

void TMainForm::ClearModified() {
    Document->ClearModified();
}

void TMainForm::ShowModified(bool modified) {
    Modified = modified;
    StatusPanel0->setText(modified ? QStringLiteral("Modified") : QString());
    SetToolbarMask(modified ? ToolbarMask & ~SaveDisabledBit : ToolbarMask | SaveDisabledBit);
}

void TMainForm::ShowStatusNote(const QString& text) {
    StatusNote->setText(text);
}

bool TMainForm::QuerySave() {
    if (!Modified)
        return true;
    switch (
        Dialogs().YesNoCancel(QStringLiteral("Confirm"), QStringLiteral("Current file not saved. Save ?"))) {
    case TAnswer::Cancel:
        return false;
    case TAnswer::No:
        return true;
    case TAnswer::Yes:
        // A save that was cancelled or failed must stop the close, New or Open that asked.
        return Save();
    }
    return false;
}

void TMainForm::UpdateTitle() {
    if (DocFileName.empty()) {
        SetApplicationTitle(QStringLiteral("ZARN"));
        setWindowTitle(QStringLiteral("ZARN (Quovelt)"));
        return;
    }
    QString name = ShownFileName(ExtractFileName(DocFileName));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    const QString title = name + QStringLiteral(" - ZARN");
    SetApplicationTitle(title);
    setWindowTitle(title);
}

QString TMainForm::ArgumentPath(const QString& argument) {
    QString path = argument;
    if (path.startsWith(QLatin1Char('"')))
        path.remove(0, 1);
    if (!path.isEmpty() && path.endsWith(QLatin1Char('"')))
        path.chop(1);
    return path;
}

void TMainForm::ShowStep(const QStringList& arguments) {
    ClearModified();
    UpdateTitle();
    SizeWindow->SetTracking(true);
    if (arguments.isEmpty())
        return;
    const std::string path = FileSystemName(ArgumentPath(arguments.constFirst()));
    if (!path.empty() && FileExists(path))
        Guarded([&] { LoadDocument(path); });
}

QWidget* TMainForm::BasicControl(TBasicField field) const {
    const auto entry = std::find_if(basicControls_.begin(), basicControls_.end(),
                                    [&](const TBasicControl& control) { return control.field == field; });
    return entry != basicControls_.end() ? entry->control : nullptr;
}

QWidget* TMainForm::ShowBasicValue(TBasicField field) {
    QWidget* const control = BasicControl(field);
    if (!control)
        return nullptr;
    const TBasicValue value = BasicAttribute(field).get(*BasicParams);
    if (auto* spinner = qobject_cast<QSpinBox*>(control)) {
        {
            const QSignalBlocker blocker(spinner);
            spinner->setValue(int(std::get<int64_t>(value)));
        }
        // The handler runs whether or not the value changes, so a clamped value reaches the document.
        SpinnerChange(spinner, field);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        const QSignalBlocker blocker(edit);
        edit->setText(FromAnsi(std::get<std::string>(value)));
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(std::get<int64_t>(value) != 0);
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        // A document's own index beyond the list shows nothing selected and stays stored as it is.
        const auto index = std::get<int64_t>(value);
        list->setCurrentIndex(index < list->count() ? int(index) : -1);
    }
    return control;
}

bool TMainForm::LoadDocument(const std::string& path, const std::function<void(TJavaAppletTag&)>& adjust) {
    SizeWindow->SetTracking(false);
    struct FinalStep {
        TMainForm* form;
        ~FinalStep() {
            form->SizeWindow->SetTracking(true);
            form->PC->show();
        }
    } finalStep{this};
    if (!QuerySave())
        return false;

    // The document reads into fresh objects and takes them over only when it all succeeded, so a
    // failed load leaves the document on screen exactly as it was. The views of the old one go just
    // before that, since they refer to its parameters.
    Document->Core().Load(path, [&](TJavaAppletTag& tag) {
        if (adjust)
            adjust(tag);
        CheckParamPages(tag);
        KillPages(PageList);
    });

    for (const TBasicControl& control : basicControls_)
        ShowBasicValue(control.field);
    GBPaths->setTitle(QStringLiteral("Applet paths for applet ") + FromAnsi(BasicParams->Code));

    RebuildPages(*AppletTag, PageList, PC);
    PopulatePages(*Document, PageList);

    FileSaveItem->setEnabled(true);
    FileSaveAsItem->setEnabled(true);
    FileUpdatePageItem->setEnabled(true);
    Build1->setEnabled(true);
    Build1->menuAction()->setEnabled(true);
    UndoStack->clear();
    ClearModified();
    ShowStatusNote({});
    SetToolbarMask(ToolbarMask & ~PreviewDisabledBit);
    UA->setText(QStringLiteral("&Using ") +
                FromAnsi(BasicParams->Code).replace(QLatin1Char('&'), QStringLiteral("&&")));
    UA->setVisible(true);
    UA->setEnabled(!BasicParams->Doc.empty());
    UpdateTitle();
    if (adjust)
        SetModified();
    emit DocumentLoaded();
    return true;
}

bool TMainForm::Save() {
    if (!DocFile)
        return false;
    if (BasicParams->TemplateFile)
        return SaveAs();
    if (!HeldValuesConfirmed())
        return false;
    bool saved = false;
    Guarded([&] {
        Document->Core().Save();
        ClearModified();
        saved = true;
        emit DocumentSaved();
    });
    return saved;
}

bool TMainForm::SaveAs() {
    if (!DocFile)
        return false;
    if (!HeldValuesConfirmed())
        return false;
    TFileRequest request{QString(), SaveAsFolder(), QLatin1String(SaveFilter), QStringLiteral("zrd")};
    const std::optional<QString> chosen = Dialogs().SaveFileName(request);
    if (!chosen || chosen->isEmpty())
        return false;
    const std::string target = FileSystemName(*chosen);
    bool saved = false;
    TValueChanges repointed;
    Guarded([&] {
        try {
            Document->Core().SaveAs(target, &Dialogs().Questions(), true, &repointed);
        } catch (...) {
            RecordRepointed(repointed);
            throw;
        }
        // Before the clean mark: the saved file holds the changed values.
        RecordRepointed(repointed);
        ClearModified();
        UpdateTitle();
        saved = true;
        emit DocumentSaved();
    });
    return saved;
}

void TMainForm::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowMainLoopError(error.what());
    }
}

void TMainForm::New1Click() {
    Guarded([this] {
        std::string name;
        if (!ChooseTemplate(name))
            return;
        const std::string folder = TemplatesFolder();
        const std::string path = FileSystemName(QDir::cleanPath(ShownFileName(folder + name)));
        if (!FileExists(path))
            Dialogs().Questions().Message("argh ? " + ExtractFilePath(folder.substr(0, folder.size() - 1)) +
                                          name);
        // A Cancel in the save question loads nothing: the current document keeps its paths.
        if (LoadDocument(path)) {
            if (!AppSettings.DefaultWebRoot.empty())
                WebRoot->setText(FromAnsi(AppSettings.DefaultWebRoot));
            if (!AppSettings.DefaultCodeBase.empty())
                CodeBase->setText(FromAnsi(AppSettings.DefaultCodeBase));
            // The defaults come with the new document: no undo takes them out again.
            if (UndoStack->count() > 0) {
                UndoStack->clear();
                SetModified();
            }
        }
    });
}

void TMainForm::FileOpenItemClick() {
    Guarded([this] {
        TFileRequest request{QString(), ShownFileName(ExtractFilePath(DocFileName)),
                             QLatin1String(OpenFilter), QStringLiteral("zrt")};
        const std::optional<QString> chosen = Dialogs().OpenFileName(request);
        if (chosen && !chosen->isEmpty())
            LoadDocument(FileSystemName(*chosen));
    });
}

void TMainForm::FileSaveItemClick() {
    Save();
}

void TMainForm::FileSaveAsItemClick() {
    SaveAs();
}

void TMainForm::FileExitItemClick() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (QuerySave()) {
        SaveWindowLayout();
        event->accept();
    } else
        event->ignore();
}

void TMainForm::RunOptions(int page) {
    const bool realNames = AppSettings.RealNames;
    ExecOptionsDialog(page);
    ApplyShowHints();
    if (AppSettings.RealNames != realNames && !DocFileName.empty())
        PopulatePages(*Document, PageList);
}

void TMainForm::Paths1Click() {
    Guarded([this] { RunOptions(0); });
}

void TMainForm::Options2Click() {
    Guarded([this] { RunOptions(1); });
}

void TMainForm::HelpAboutItemClick() {
    if (!AboutBox)
        AboutBox = new TAboutBox(this);
    AboutBox->ShowClassAuthor(DocFile ? AppletTag.get() : nullptr);
    AboutBox->exec();
}

void TMainForm::ToolbarClick(int index) {
    switch (index) {
    case 0:
        New1Click();
        break;
    case 1:
        FileOpenItemClick();
        break;
    case 2:
        FileSaveItemClick();
        break;
    case 4:
        Runpreview1Click();
        break;
    default:
        break;
    }
}

void TMainForm::ApplyShowHints() {
    hintsOn_ = AppSettings.ShowHints;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (IsDocumentUndoKey(*this, watched, event))
        return true;
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave)
        ShowHoverHint(qobject_cast<QWidget*>(watched), event->type() == QEvent::Leave);
    if (event->type() != QEvent::ToolTip)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    if (!hintsOn_)
        return true;
    if (widget->toolTip().isEmpty())
        return QMainWindow::eventFilter(watched, event);
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), 32768);
    return true;
}

} // namespace zarn
