// The main window's side of its dialogs and small windows: New through the template browser, the
// options dialog, the size window, and the Compile and Help commands.

#include "ui/Main.h"

#include "paths/InstallPaths.h"
#include "tag/AppSettings.h"
#include "tag/Preview.h"
#include "ui/AppletSize.h"
#include "ui/HTMLCodeWindow.h"
#include "ui/PreviewServer.h"
#include "ui/QtPlatformActions.h"
#include "ui/TemplateFiles.h"
#include "ui/uOptionsPaths.h"
#include "views/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>

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
        RunPreview(*AppletTag, DocFileName, AppSettings, Dialogs().Questions(), WindowActions(), TempFiles(),
                   {}, &PreviewServerOf(this));
    });
}

void TMainForm::ShowHTMLCode1Click() {
    Guarded([this] { ShowHTMLCodeWindow(this, ShowHTMLCode(*AppletTag)); });
}

void TMainForm::Generateactualcode1Click() {
    Guarded([this] { CopyActualCode(*AppletTag, Dialogs().Questions(), WindowActions()); });
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
