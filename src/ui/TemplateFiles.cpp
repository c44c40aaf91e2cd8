#include "ui/TemplateFiles.h"

#include "profile/IniFile.h"
#include "views/Dialogs.h"
#include "views/ScreenText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

// Resources of a static library are registered by hand: the linker would drop them otherwise.
static void InitDialogResources() {
    Q_INIT_RESOURCE(dialogs);
}

namespace zarn {

namespace {

constexpr int RelativePathRole = Qt::UserRole;
constexpr int IsTemplateRole = Qt::UserRole + 1;

bool IsTemplateFileName(const QString& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && name.mid(dot).compare(".zrt", Qt::CaseInsensitive) == 0;
}

QString WithoutExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

void SortByCaption(std::vector<TTemplateEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const TTemplateEntry& a, const TTemplateEntry& b) {
        return QString::localeAwareCompare(a.caption, b.caption) < 0;
    });
}

class TFolderWalk {
public:
    std::vector<TTemplateEntry> Walk(const QString& directory, const QString& relative, int depth) {
        std::vector<TTemplateEntry> entries;
        if (depth > MaxTemplateFolderDepth)
            return entries;
        const QString real = QFileInfo(directory).canonicalFilePath();
        if (real.isEmpty() || visited_.contains(real))
            return entries;
        visited_.insert(real);

        const QFileInfoList listing = QDir(directory).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& info : listing) {
            const QString name = info.fileName();
            const QString path = relative.isEmpty() ? name : relative + '/' + name;
            if (info.isDir()) {
                TTemplateEntry folder{name, path, false, Walk(info.filePath(), path, depth + 1)};
                if (!folder.children.empty())
                    entries.push_back(std::move(folder));
            } else if (IsTemplateFileName(name)) {
                entries.push_back({WithoutExtension(name), path, true, {}});
            }
        }
        SortByCaption(entries);
        return entries;
    }

private:
    QSet<QString> visited_;
};

// The desktop theme's folder pictures, with the open folder shown while selected.
QIcon FolderIcon(const QStyle* style) {
    const QIcon closed = QIcon::fromTheme("folder", style->standardIcon(QStyle::SP_DirClosedIcon));
    const QIcon open = QIcon::fromTheme("folder-open", style->standardIcon(QStyle::SP_DirOpenIcon));
    QIcon icon;
    for (const QSize& size : {QSize(16, 16), QSize(32, 32)}) {
        icon.addPixmap(closed.pixmap(size), QIcon::Normal);
        icon.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    return icon;
}

// A one-line value that ends in an ellipsis where the box is too narrow; the whole text is its tooltip.
class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
        style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), shown, foregroundRole());
    }
};

QLabel* PropsLabel(const QString& text, const char* name, QWidget* parent, int left, int top,
                   bool elided = false) {
    auto* label = elided ? new TElidedLabel(text, parent) : new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Keeps the busy cursor up while the tree is read, also when reading fails.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

std::vector<TTemplateEntry> ReadTemplateFolder(const QString& root) {
    return TFolderWalk().Walk(root, QString(), 0);
}

TTemplateBrowser::TTemplateBrowser(QWidget* parent)
    : TFileChooser(parent), templatesFolder_(QApplication::applicationDirPath() + "/Templates") {
    InitDialogResources();
    SetUpFixedDialog(this, "TemplateBrowser", "New applet tag ...", QSize(455, 380));
    folderIcon_ = FolderIcon(style());
    templateIcon_ = QIcon(":/dialogs/template.svg");

    tv = new QTreeWidget(this);
    tv->setObjectName("tv");
    tv->setGeometry(8, 8, 441, 249);
    tv->setHeaderHidden(true);
    tv->setIndentation(19);
    tv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv->setSelectionMode(QAbstractItemView::SingleSelection);

    Props = new QGroupBox("Props", this);
    Props->setObjectName("Props");
    Props->setGeometry(8, 264, 441, 81);
    Label3 = PropsLabel("Comments : ", "Label3", Props, 16, 16);
    Comments = PropsLabel(QString(), "Comments", Props, 112, 16, true);
    Label1 = PropsLabel("Applet written by : ", "Label1", Props, 16, 40);
    Author = PropsLabel(QString(), "Author", Props, 112, 40, true);
    Label2 = PropsLabel("Ported to ZARN by :", "Label2", Props, 16, 56);
    ZARNifier = PropsLabel(QString(), "ZARNifier", Props, 112, 56, true);
    // Values start after the widest caption, should the font be wider than the design's.
    int valueLeft = 112;
    for (QLabel* caption : {Label1, Label2, Label3})
        valueLeft = std::max(valueLeft, caption->x() + caption->sizeHint().width() + 4);
    // The rows share the room under the box's title, which the style may draw taller than the design.
    const QRect inside = Props->contentsRect();
    const int rowHeight = fontMetrics().height() + 2;
    const int rowTop = std::max(16, inside.top() + 2);
    const int rowStep = std::max(rowHeight, (inside.bottom() - 2 - rowTop + 1) / 3);
    const std::pair<QLabel*, QLabel*> rows[] = {{Label3, Comments}, {Label1, Author}, {Label2, ZARNifier}};
    for (std::size_t row = 0; row < 3; ++row) {
        const int top = rowTop + int(row) * rowStep;
        rows[row].first->setGeometry(16, top, rows[row].first->sizeHint().width(), rowHeight);
        rows[row].second->setGeometry(valueLeft, top, 441 - valueLeft - 8, rowHeight);
    }

    Button1 = new QPushButton("&OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(138, 352, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(242, 352, 75, 25);

    Result = new QLabel("Result", this);
    Result->setObjectName("Result");
    Result->move(336, 360);
    Result->hide();

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(tv, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { tvChange(current); });
    connect(tv, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { tvDblClick(item); });
    setTabOrder(tv, Button1);
    setTabOrder(Button1, Button2);
}

QString TTemplateBrowser::ResultPath() const {
    return Result->text();
}

QString TTemplateBrowser::TemplatePath() const {
    return templatesFolder_ + '/' + ResultPath();
}

QString TTemplateBrowser::ChosenFile() const {
    return ResultPath().isEmpty() ? QString() : TemplatePath();
}

void TTemplateBrowser::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TTemplateBrowser::FormShow() {
    FillTree();
    // Every run starts without a choice, so OK cannot return an earlier run's template.
    tv->setCurrentItem(nullptr);
    tv->clearSelection();
    tvChange(nullptr);
    tv->setFocus();
}

void TTemplateBrowser::FillTree() {
    TBusyCursor busy;
    tv->clear();
    AddEntries(ReadTemplateFolder(templatesFolder_), nullptr);
}

void TTemplateBrowser::AddEntries(const std::vector<TTemplateEntry>& entries, QTreeWidgetItem* parent) {
    for (const TTemplateEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tv);
        item->setText(0, entry.caption);
        item->setIcon(0, entry.isTemplate ? templateIcon_ : folderIcon_);
        item->setData(0, RelativePathRole, entry.relativePath);
        item->setData(0, IsTemplateRole, entry.isTemplate);
        AddEntries(entry.children, item);
    }
}

void TTemplateBrowser::tvChange(QTreeWidgetItem* node) {
    const bool isTemplate = node && node->data(0, IsTemplateRole).toBool();
    Button1->setEnabled(isTemplate);
    Result->setText(isTemplate ? node->data(0, RelativePathRole).toString() : QString());
    Props->setEnabled(isTemplate);
    if (!isTemplate)
        return;

    const TIniFile file(QFile::encodeName(TemplatePath()).toStdString());
    auto read = [&file](const char* key, const char* defaultValue) {
        return FromAnsi(file.ReadString("Description", key, defaultValue));
    };
    Props->setTitle("Properties for " + QFileInfo(ResultPath()).fileName());
    Comments->setText(read("Comment", ""));
    Author->setText(read("JavaAuthor", "unknown") + "." + read("Copyright", ""));
    ZARNifier->setText(read("Zarnifier", "unknown"));
    for (QLabel* value : {Comments, Author, ZARNifier}) {
        const bool cut =
            value->fontMetrics().horizontalAdvance(value->text()) > value->contentsRect().width();
        value->setToolTip(cut ? value->text() : QString());
    }
}

void TTemplateBrowser::tvDblClick(QTreeWidgetItem* node) {
    if (node && node->data(0, IsTemplateRole).toBool() && Button1->isEnabled())
        accept();
}

} // namespace zarn
