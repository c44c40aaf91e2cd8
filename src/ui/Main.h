#pragma once
// The main window: the fixed "Main" page of basic attributes, the property pages of the loaded
// template or document, the menus and the document lifecycle (new, open, save, save as, close).

#include "tag/AppletTag.h"
#include "tag/BasicAttributes.h"
#include "tag/Preview.h"
#include "ui/DirBsrFm.h"
#include "ui/DocumentUndo.h"
#include "views/EditorDocument.h"
#include "views/ParamViewList.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QUndoStack;

namespace zarn {

class TKelmFile;
class TAboutBox;
class TMSIEToolbar;
class TAppletSizeForm;
class TOptionsPaths;
class TTemplateBrowser;
class PlatformActions;
class TLiveHTMLPane;
class TLivePreview;
class TRecentFiles;

// What the main window asks of the applet size window. The default does nothing, so the window
// works before a size window is attached.
class TSizeWindowLink {
public:
    virtual ~TSizeWindowLink() = default;
    // While off, resizing the size window writes nothing back into the main window.
    virtual void SetTracking(bool) {}
    virtual void SetAppletClientWidth(int) {}
    virtual void SetAppletClientHeight(int) {}
    // Widths of the left and right spacing panels.
    virtual void SetHSpacePanels(int) {}
    // Heights of the upper and lower spacing panels.
    virtual void SetVSpacePanels(int) {}
    virtual void ShowSizeWindow(bool) {}
};

// Temporary files (preview pages) deleted at exit, the most recent first.
TTempFiles& TempFiles();

// The folder of the program's templates: "Templates" beside the program, else the source tree's.
std::string TemplatesFolder();

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The document on show, with its history; the names below refer into it.
    TEditorDocument* const Document;
    std::unique_ptr<TKelmFile>& DocFile;
    std::unique_ptr<TJavaAppletTag>& AppletTag; // replaced only by a load that succeeded
    TAppletBasicParams*& BasicParams;
    TAppletParamList*& ParamList;
    std::string& DocFileName;
    bool Modified = false; // as the status bar shows it
    TPageList PageList;
    // Disabled buttons of the toolbar, one bit each: 8 and 32 for good, 4 Save, 16 Preview.
    int ToolbarMask = 56;

    // Controls, named as their object names.
    QWidget* Panel2 = nullptr;
    QFrame* Panel1 = nullptr; // the toolbar's place; it has an empty horizontal layout
    TMSIEToolbar* Toolbar = nullptr;
    QTabWidget* PC = nullptr;
    QWidget* MainPage = nullptr;
    QGroupBox* GBPaths = nullptr;
    QToolButton* WebBrowse = nullptr;
    QLineEdit* WebRoot = nullptr;
    QToolButton* CodeBrowse = nullptr;
    QLineEdit* CodeBase = nullptr;
    QLineEdit* Archive = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QSpinBox* AppletWidth = nullptr;
    QSpinBox* AppletHeight = nullptr;
    QSpinBox* AppletHSpace = nullptr;
    QSpinBox* AppletVSpace = nullptr;
    QLineEdit* AWEdit = nullptr;
    QLineEdit* AHEdit = nullptr;
    QLineEdit* AHSEdit = nullptr;
    QLineEdit* AVSEdit = nullptr;
    QComboBox* CBAlign = nullptr;
    QPushButton* Resize = nullptr;
    QCheckBox* CBTrusted = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusNote = nullptr; // a word about refused input

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Build1 = nullptr;
    QMenu* Options1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* New1 = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileImportItem = nullptr;
    QAction* FileUpdatePageItem = nullptr;
    QAction* FileScaffoldItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* EditUndoItem = nullptr;
    QAction* EditRedoItem = nullptr;
    QAction* Runpreview1 = nullptr;
    QAction* ShowHTMLCode1 = nullptr;
    QAction* Generateactualcode1 = nullptr;
    QAction* Paths1 = nullptr;
    QAction* Options2 = nullptr;
    QAction* UsingZARN1 = nullptr;
    QAction* UA = nullptr;
    QAction* HelpAboutItem = nullptr;

    // The document's history; its clean state is the saved document.
    QUndoStack* const UndoStack;

    TDirectoryBrowser WebDB;
    TDirectoryBrowser CodeDB;
    TAboutBox* AboutBox = nullptr; // created on first use unless the start-up made it
    // The windows that serve this one, created with it and reused.
    TAppletSizeForm* SizeForm = nullptr;
    TOptionsPaths* OptionsDialog = nullptr;
    TTemplateBrowser* TemplateBrowser = nullptr;
    // The editing comforts: the live block, the recent files, the View menu.
    TLiveHTMLPane* LiveHTMLPane = nullptr;
    TLivePreview* LivePreview = nullptr;
    TRecentFiles* RecentFiles = nullptr;
    QMenu* RecentFiles1 = nullptr;
    QMenu* View1 = nullptr;
    // The Main page's control of a basic attribute, showing the value the document holds (a
    // spinner's change handler runs, as for the user's change); null for an attribute it does not show.
    QWidget* ShowBasicValue(TBasicField field);
    // Shows the page and focuses the view of a parameter or of the alternate text; null: the code base.
    void ShowParamView(const TAppletParam* param, TBasicField basic = TBasicField::CodeBase);
    // Window size, position and pane layout, kept in the settings store for the next run.
    void SaveWindowLayout();
    void RestoreWindowLayout();

    // Never null; a do-nothing link until the size window is attached.
    TSizeWindowLink* SizeWindow = nullptr;
    void SetSizeWindow(TSizeWindowLink* link);

    // An edit outside the stack: no undo leads back to the saved state.
    void SetModified();
    // The document as it is now counts as saved.
    void ClearModified();
    // The status panel and the Save button.
    void ShowModified(bool modified);
    // True when the pending action may go on: not modified, No, or Yes and the save succeeded.
    bool QuerySave();
    // Loads a template or document. A failure raises and leaves the previous document, its pages
    // and its modified state as they were. False when the save question stopped it.
    // `adjust` changes the freshly loaded tag before it is shown (an import fills it in).
    bool LoadDocument(const std::string& path, const std::function<void(TJavaAppletTag&)>& adjust = {});
    void UpdateTitle();
    // The show step: clean state, title, and the file named by the first argument.
    void ShowStep(const QStringList& arguments);
    // The first argument as a path: one double quote removed at each end.
    static QString ArgumentPath(const QString& argument);
    // Hints on or off as the settings say.
    void ApplyShowHints();
    void SetToolbarMask(int mask);
    // A word in the status bar (empty clears it).
    void ShowStatusNote(const QString& text);
    // The commands; false when nothing was saved (cancelled or failed, the failure shown).
    bool Save();
    bool SaveAs();
    // Runs a command as the main loop would: an error is shown, not raised.
    void Guarded(const std::function<void()>& command);

signals:
    void ToolbarMaskChanged(int mask);
    // What the block holds may have changed: an edit, or another document loaded.
    void DocumentChanged();
    void DocumentLoaded();
    void DocumentSaved();

public slots:
    void New1Click();
    void FileOpenItemClick();
    void FileImportItemClick();
    void FileUpdatePageItemClick();
    void FileScaffoldItemClick();
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    void FileExitItemClick();
    void Runpreview1Click();
    void ShowHTMLCode1Click();
    void Generateactualcode1Click();
    void Paths1Click();
    void Options2Click();
    void UsingZARN1Click();
    void UAClick();
    void HelpAboutItemClick();
    // The toolbar's click: 0 New, 1 Open, 2 Save, 4 Run preview.
    void ToolbarClick(int index);

    void AWEditChange();
    void AHEditChange();
    void AHSEditChange();
    void AVSEditChange();
    void CBAlignChange(int index);
    void CBTrustedClick(bool checked);
    void WebRootChange(const QString& text);
    void CodeBaseChange(const QString& text);
    void ArchiveChange(const QString& text);
    void WebBrowseClick();
    void CodeBrowseClick();
    void ResizeClick(bool pressed);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The code base check's value changes become one undo step.
    void RecordRepointed(const TValueChanges& changes);
    void BuildMenus();
    void BuildMainPage();
    QSpinBox* MakeSpinner(QWidget* parent, const char* spinName, const char* editName, bool separator);
    // A spinner's value into its basic attribute, the size window following, recorded for undo.
    void SpinnerChange(QSpinBox* spinner, TBasicField field);
    // Stores an edit's text in a basic attribute; a character Windows-1252 cannot hold is refused.
    void StorePathEdit(QLineEdit* edit, TBasicField field, const QString& text);
    void Browse(QLineEdit* edit, TDirectoryBrowser& browser);
    // Hooks of the windows that come with the dialogs: the template browser (false: cancelled;
    // `name` relative to the template folder) and the options dialog on a page (0 "Applet Viewer",
    // 1 "ZARN Options").
    bool ChooseTemplate(std::string& name);
    void ExecOptionsDialog(int page);
    void RunOptions(int page);
    // Creates the size window, the options dialog and the template browser and links them.
    void AttachDialogs();
    // Where Save As starts: the folder a document was last saved to, else the user's documents.
    QString SaveAsFolder() const;
    // Before a save: true when no field holds refused text, or the user saves the values the
    // document holds anyway; false sends the user back to the field.
    bool HeldValuesConfirmed();
    // Creates the live pane, the recent files and the View menu, and restores the window layout.
    void AttachComfort();
    // The hint of the control under the mouse in the status bar, after the mouse entered `widget`
    // or left it for its parent.
    void ShowHoverHint(QWidget* widget, bool left);

    struct TBasicControl {
        TBasicField field;
        QWidget* control;
    };
    QWidget* BasicControl(TBasicField field) const;
    // The Main page's controls of the basic attributes it shows.
    std::vector<TBasicControl> basicControls_;
    TSizeWindowLink noSizeWindow_;
    bool hintsOn_ = true;
    QString lastSaveFolder_;
    QString hoverHint_;
    int liveHeight_ = 0; // of the live pane when it was last hidden
};

} // namespace zarn
