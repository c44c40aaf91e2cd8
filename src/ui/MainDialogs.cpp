// The main window's side of its dialogs and small windows: New through the template browser, the
// options dialog, the size window, and the Compile and Help commands.

#include "ui/Main.h"

#include "ui/LivePreview.h"

#include "paths/InstallPaths.h"
#include "platform/SettingsStore.h"
#include "tag/AppSettings.h"
#include "tag/Preview.h"
#include "ui/AppletSize.h"
#include "ui/HTMLCodeWindow.h"
#include "ui/PreviewServer.h"
#include "ui/QtPlatformActions.h"
#include "ui/TemplateFiles.h"
#include "ui/uOptionsPaths.h"
#include "views/Dialogs.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>

namespace zarn {

namespace {

// The main window's hold on the size window.
class TSizeFormLink : public QObject, public TSizeWindowLink {
public:
    explicit TSizeFormLink(TAppletSizeForm* form) : QObject(form), form_(form) {}

    void SetTracking(bool on) override { form_->Tracking = on; }
    void SetAppletClientWidth(int width) override { form_->SetClientWidth(width); }
    void SetAppletClientHeight(int height) override { form_->SetClientHeight(height); }
    void SetHSpacePanels(int spacing) override { form_->SetHorizontalSpacing(spacing); }
    void SetVSpacePanels(int spacing) override { form_->SetVerticalSpacing(spacing); }
    void ShowSizeWindow(bool show) override {
        // Beside the main window, so the spinners it drives stay in sight.
        if (show && !form_->isVisible() && form_->parentWidget())
            form_->PlaceBeside(form_->parentWidget()->window()->frameGeometry());
        form_->setVisible(show);
    }

private:
    TAppletSizeForm* form_;
};

const char* const LastSaveFolderValueName = "LastSaveFolder";

std::string HelpRoot() {
    return FindHelpRoot(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
}

} // namespace

void TMainForm::AttachDialogs() {
    SizeForm = new TAppletSizeForm(this);
    auto* link = new TSizeFormLink(SizeForm);
    SetSizeWindow(link);
    // The spinners keep the value in range; their handlers resize the window with tracking off.
    connect(SizeForm, &TAppletSizeForm::AppletWidthChosen, AppletWidth, &QSpinBox::setValue);
    connect(SizeForm, &TAppletSizeForm::AppletHeightChosen, AppletHeight, &QSpinBox::setValue);
    connect(SizeForm, &TAppletSizeForm::Closed, Resize, [this] { Resize->setChecked(false); });
    // The size window stays untracked until the first show of this window.
    SizeForm->Tracking = false;

    OptionsDialog = new TOptionsPaths(this);
    TemplateBrowser = new TTemplateBrowser(this);

    SetStatusBarSink([form = QPointer<TMainForm>(this)](const QString& text) {
        if (form)
            form->ShowStatusNote(text);
    });
    connect(this, &TMainForm::DocumentSaved, this, [this] {
        lastSaveFolder_ = QFileInfo(QFile::decodeName(QByteArray::fromStdString(DocFileName))).absolutePath();
        if (SettingsStore* store = AppSettingsStore()) {
            try {
                store->WriteString(LastSaveFolderValueName, QFile::encodeName(lastSaveFolder_).toStdString());
            } catch (const std::exception&) {
                // Only where the next Save As starts is lost.
            }
        }
    });
}

QString TMainForm::SaveAsFolder() const {
    QString folder = lastSaveFolder_;
    if (const SettingsStore* store = AppSettingsStore();
        folder.isEmpty() && store && store->ValueType(LastSaveFolderValueName) == TSettingType::Text)
        folder = QFile::decodeName(QByteArray::fromStdString(store->ReadString(LastSaveFolderValueName)));
    // Never the template's folder: a document saved there sits among the templates.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder;
}

bool TMainForm::HeldValuesConfirmed() {
    QStringList notes;
    QLineEdit* first = nullptr;
    for (QLineEdit* edit : PC->findChildren<QLineEdit*>()) {
        if (!edit->property("refused").toBool())
            continue;
        notes << edit->property("refusedNote").toString();
        if (!first)
            first = edit;
    }
    if (notes.isEmpty())
        return true;
    const QString text = QStringLiteral("These fields hold text the document did not take:\r") +
                         notes.join('\r') +
                         QStringLiteral("\rSave the document with the values it holds ? Answer No to go back "
                                        "to the field.");
    if (Dialogs().Questions().Confirm(ToAnsiLossy(text)))
        return true;
    for (int i = 0; i < PC->count(); ++i)
        if (PC->widget(i)->isAncestorOf(first))
            PC->setCurrentIndex(i);
    first->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TMainForm::ChooseTemplate(std::string& name) {
    QString folder = QFile::decodeName(QByteArray::fromStdString(TemplatesFolder()));
    while (folder.endsWith('/') && folder.size() > 1)
        folder.chop(1);
    TemplateBrowser->SetTemplatesFolder(folder);
    const std::optional<QString> chosen = Dialogs().TemplateFile(*TemplateBrowser);
    if (!chosen || chosen->isEmpty())
        return false;
    // The file's real name, relative to the template folder: names are matched with letter case.
    name = QFile::encodeName(QDir(folder).relativeFilePath(*chosen)).toStdString();
    return true;
}

void TMainForm::ExecOptionsDialog(int page) {
    OptionsDialog->SetPage(page == 0 ? TOptionsPaths::TPage::AppletViewer
                                     : TOptionsPaths::TPage::ZarnOptions);
    OptionsDialog->exec();
}

void TMainForm::Runpreview1Click() {
    Guarded([this] {
        // The viewer already running takes the page; windows do not pile up.
        if (LivePreview && LivePreview->Takes() && LivePreview->Show(Dialogs().Questions()))
            return;
        TPreviewServer& server = PreviewServerOf(this);
        server.SetRuntime(AppSettings.UseCheerpJ);
        RunPreview(*AppletTag, DocFileName, AppSettings, Dialogs().Questions(), WindowActions(), TempFiles(),
                   {}, &server);
    });
}

void TMainForm::ShowHTMLCode1Click() {
    Guarded([this] { ShowHTMLCodeWindow(this, ShowHTMLCode(*AppletTag)); });
}

void TMainForm::Generateactualcode1Click() {
    TValueChanges repointed;
    Guarded([&] { CopyActualCode(*AppletTag, Dialogs().Questions(), WindowActions(), &repointed); });
    RecordRepointed(repointed);
}

void TMainForm::RecordRepointed(const TValueChanges& changes) {
    RecordValueChanges(Document, changes, QStringLiteral("Use the copies in the code base"));
}

void TMainForm::UsingZARN1Click() {
    Guarded([] { OpenHelpPage(HelpRoot(), "index.html", Dialogs().Questions(), WindowActions()); });
}

void TMainForm::UAClick() {
    Guarded([this] {
        if (!BasicParams->Doc.empty())
            OpenHelpPage(HelpRoot(), BasicParams->Doc, Dialogs().Questions(), WindowActions());
    });
}

} // namespace zarn
