#include "ui/ImportPage.h"

#include "model/KelmFile.h"
#include "paths/PathForms.h"
#include "profile/Errors.h"
#include "tag/PageUpdate.h"
#include "ui/Main.h"
#include "views/Dialogs.h"
#include "views/ScreenText.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarn {

namespace {

const char* const PageFilter = "HTML pages (*.html;*.htm)|*.html;*.htm|Any file (*.*)|*.*";

// File names cross to the file system in its own encoding.
std::string FileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString ShownFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

TImportPageDialog::TImportPageDialog(const std::vector<TPageApplet>& applets,
                                     const std::vector<TStrings>& templates, const QString& templatesRoot,
                                     QWidget* parent)
    : QDialog(parent), templates_(templates), templatesRoot_(templatesRoot) {
    setObjectName(QStringLiteral("ImportPageDlg"));
    setWindowTitle(QStringLiteral("Import from page"));
    auto* layout = new QVBoxLayout(this);
    auto* blockLabel = new QLabel(QStringLiteral("&Applet blocks of the page:"), this);
    BlockList = new QListWidget(this);
    BlockList->setObjectName(QStringLiteral("BlockList"));
    blockLabel->setBuddy(BlockList);
    for (const TPageApplet& applet : applets)
        BlockList->addItem(FromAnsi(ShownPageText(DescribeApplet(applet))) +
                           QStringLiteral("  (line %1)").arg(applet.line));
    auto* templateLabel = new QLabel(QStringLiteral("&Templates with its code:"), this);
    TemplateList = new QListWidget(this);
    TemplateList->setObjectName(QStringLiteral("TemplateList"));
    templateLabel->setBuddy(TemplateList);
    TemplateNote = new QLabel(this);
    TemplateNote->setObjectName(QStringLiteral("TemplateNote"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addWidget(blockLabel);
    layout->addWidget(BlockList);
    layout->addWidget(templateLabel);
    layout->addWidget(TemplateList);
    layout->addWidget(TemplateNote);
    layout->addLayout(buttons);
    resize(520, 360);
    connect(BlockList, &QListWidget::currentRowChanged, this, [this] { BlockListChange(); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    BlockList->setCurrentRow(0);
}

void TImportPageDialog::BlockListChange() {
    TemplateList->clear();
    const int row = BlockList->currentRow();
    if (row < 0 || std::size_t(row) >= templates_.size())
        return;
    const QDir root(templatesRoot_);
    for (const std::string& path : templates_[std::size_t(row)])
        TemplateList->addItem(QDir::toNativeSeparators(root.relativeFilePath(QString::fromStdString(path))));
    TemplateList->setCurrentRow(0);
    const bool none = templates_[std::size_t(row)].empty();
    TemplateNote->setText(none ? QStringLiteral("No template has this block's code.") : QString());
    OKButton->setEnabled(!none);
}

int TImportPageDialog::ChosenBlock() const {
    return BlockList->currentRow();
}

std::string TImportPageDialog::ChosenTemplate() const {
    const int block = BlockList->currentRow();
    const int row = TemplateList->currentRow();
    if (block < 0 || row < 0 || std::size_t(block) >= templates_.size() ||
        std::size_t(row) >= templates_[std::size_t(block)].size())
        return {};
    return templates_[std::size_t(block)][std::size_t(row)];
}

void TMainForm::FileImportItemClick() {
    Guarded([this] {
        TFileRequest request{QStringLiteral("Import from page"), ShownFileName(ExtractFilePath(DocFileName)),
                             QLatin1String(PageFilter), QStringLiteral("html")};
        const std::optional<QString> chosen = Dialogs().OpenFileName(request);
        if (!chosen || chosen->isEmpty())
            return;
        const std::string page = FileSystemName(*chosen);
        const std::vector<TPageApplet> applets = ReadPageFile(page);
        if (applets.empty())
            throw EZarnError(page + " holds no applet block");
        const std::string root = TemplatesFolder();
        std::vector<TStrings> templates;
        for (const TPageApplet& applet : applets)
            templates.push_back(TemplatesForCode(root, applet.code));
        std::size_t block = 0;
        std::string templatePath = templates[0].empty() ? std::string() : templates[0][0];
        // Nothing to choose: no dialog.
        if (applets.size() > 1 || templates[0].size() > 1) {
            TImportPageDialog dialog(applets, templates, ShownFileName(root), this);
            if (dialog.exec() != QDialog::Accepted)
                return;
            block = std::size_t(dialog.ChosenBlock());
            templatePath = dialog.ChosenTemplate();
        }
        if (templatePath.empty())
            throw EZarnError("No template has the code " + ShownPageText(applets[block].code));
        std::vector<TImportNote> notes;
        if (!LoadDocument(templatePath,
                          [&](TJavaAppletTag& tag) { notes = ImportApplet(tag, applets[block], page); }))
            return;
        if (!notes.empty()) {
            TStrings lines = NoteLines(notes);
            for (std::string& line : lines)
                line = ShownPageText(line);
            Dialogs().Questions().Information("Some of the page's values were not taken as they are:\r" +
                                              JoinList(lines, "\r"));
        }
    });
}

// A document made by import goes back to its block; another one asks for the page and, when the
// page holds several, for the block.
void TMainForm::FileUpdatePageItemClick() {
    Guarded([this] {
        if (!DocFile)
            return;
        TJavaAppletTag& tag = *AppletTag;
        TPageUpdate request{tag.Origin.page, 0, true};
        if (request.page.empty()) {
            TFileRequest chooser{QStringLiteral("Update page"), ShownFileName(ExtractFilePath(DocFileName)),
                                 QLatin1String(PageFilter), QStringLiteral("html")};
            const std::optional<QString> chosen = Dialogs().OpenFileName(chooser);
            if (!chosen || chosen->isEmpty())
                return;
            request.page = FileSystemName(*chosen);
            const std::size_t count = CountPageBlocks(request.page);
            if (count > 1) {
                // The parser's descriptions where it sees the same blocks, numbers alone otherwise.
                const std::vector<TPageApplet> applets = ReadPageFile(request.page);
                QStringList items;
                for (std::size_t i = 0; i < count; ++i)
                    items << QStringLiteral("%1: ").arg(i + 1) +
                                 (applets.size() == count
                                      ? FromAnsi(DescribeApplet(applets[i])) +
                                            QStringLiteral("  (line %1)").arg(applets[i].line)
                                      : QStringLiteral("applet block"));
                const std::optional<int> block = Dialogs().Item(
                    QStringLiteral("Update page"), QStringLiteral("&Applet block to replace:"), items);
                if (!block)
                    return;
                request.block = std::size_t(*block) + 1;
            }
        }
        const TPageUpdateResult result = UpdatePage(tag, tag.Origin, request);
        tag.Origin = result.origin;
        // The document remembers the block as written; a template is never written.
        if (!BasicParams->TemplateFile)
            WritePageOrigin(*DocFile, result.origin);
        Dialogs().Questions().Information(
            "Applet block " + std::to_string(result.block) + " of " + request.page + " is replaced." +
            (result.backup.empty() ? std::string() : "\rThe old page is kept as " + result.backup + "."));
    });
}

} // namespace zarn
