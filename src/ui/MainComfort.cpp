// The main window's editing comforts: the live block pane, the recent files, the hint under the
// mouse, files dropped on the window, and the window layout kept between runs.

#include "ui/Main.h"

#include "model/ScalarParams.h"
#include "platform/SettingsStore.h"
#include "tag/AppSettings.h"
#include "ui/LiveHTMLPane.h"
#include "ui/LivePreview.h"
#include "ui/RecentFiles.h"
#include "ui/ViewerOutput.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>

namespace zarn {

namespace {

const char* const GeometryValueName = "WindowGeometry";
const char* const StateValueName = "WindowState";

// The first local .zrt or .zrd file among the dropped ones; empty when there is none.
QString DroppedDocument(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("zrt") || suffix == QLatin1String("zrd"))
            return path;
    }
    return {};
}

QByteArray ReadBinaryValue(const SettingsStore& store, const char* name) {
    if (store.ValueType(name) != TSettingType::Text)
        return {};
    try {
        return QByteArray::fromBase64(QByteArray::fromStdString(store.ReadString(name)));
    } catch (const std::exception&) {
        return {};
    }
}

// The first control of a view that takes the keyboard, else the view itself.
QWidget* FocusTarget(QWidget* view) {
    for (QWidget* child : view->findChildren<QWidget*>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() && !child->isHidden())
            return child;
    return view;
}

} // namespace

void TMainForm::AttachComfort() {
    setAcceptDrops(true);

    LiveHTMLPane =
        new TLiveHTMLPane([this]() -> TJavaAppletTag* { return DocFile ? AppletTag.get() : nullptr; }, this);
    addDockWidget(Qt::BottomDockWidgetArea, LiveHTMLPane);
    // Out of the way until asked for: the window keeps its own size and layout.
    LiveHTMLPane->hide();
    connect(this, &TMainForm::DocumentChanged, LiveHTMLPane, &TLiveHTMLPane::Schedule);
    connect(this, &TMainForm::DocumentLoaded, LiveHTMLPane, &TLiveHTMLPane::Reload);
    connect(LiveHTMLPane, &TLiveHTMLPane::WarningChosen, this, &TMainForm::ShowParamView);
    // Opened, the pane takes the height the user last gave it, or a quarter of the window, so the
    // form keeps most of it. Between runs the window layout keeps the user's height.
    connect(LiveHTMLPane, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && !LiveHTMLPane->isFloating() && LiveHTMLPane->height() > 0)
            liveHeight_ = LiveHTMLPane->height();
    });
    connect(LiveHTMLPane->toggleViewAction(), &QAction::triggered, this, [this](bool on) {
        if (on && !LiveHTMLPane->isFloating())
            resizeDocks({LiveHTMLPane}, {liveHeight_ > 0 ? liveHeight_ : std::clamp(height() / 4, 120, 240)},
                        Qt::Vertical);
    });

    View1 = new QMenu(QStringLiteral("&View"), this);
    View1->setObjectName(QStringLiteral("View1"));
    View1->addAction(LiveHTMLPane->toggleViewAction());
    LivePreview = new TLivePreview(
        [this](std::string& path) -> TJavaAppletTag* {
            path = DocFileName;
            return DocFile ? AppletTag.get() : nullptr;
        },
        AppSettings, this);
    connect(this, &TMainForm::DocumentChanged, LivePreview, &TLivePreview::DocumentChanged);
    View1->addAction(LivePreview->Toggle);
    if (TViewerOutput* viewerOutput = findChild<TViewerOutput*>())
        View1->addAction(viewerOutput->toggleViewAction());
    menuBar()->insertMenu(Options1->menuAction(), View1);

    RecentFiles1 = new QMenu(QStringLiteral("&Recent files"), File1);
    RecentFiles1->setObjectName(QStringLiteral("RecentFiles1"));
    File1->insertMenu(FileExitItem, RecentFiles1);
    File1->insertSeparator(FileExitItem)->setObjectName(QStringLiteral("NRecent"));
    RecentFiles = new TRecentFiles(RecentFiles1, AppSettingsStore(), this);
    connect(File1, &QMenu::aboutToShow, RecentFiles, &TRecentFiles::DropMissing);
    auto remember = [this] { RecentFiles->Add(QFile::decodeName(QByteArray::fromStdString(DocFileName))); };
    connect(this, &TMainForm::DocumentLoaded, RecentFiles, remember);
    connect(this, &TMainForm::DocumentSaved, RecentFiles, remember);
    connect(RecentFiles, &TRecentFiles::OpenRequested, this, [this](const QString& path) {
        Guarded([&] { LoadDocument(QFile::encodeName(path).toStdString()); });
    });

    RestoreWindowLayout();
}

void TMainForm::ShowParamView(const TAppletParam* param, TBasicField basic) {
    if (!param || !DocFile) {
        PC->setCurrentWidget(MainPage);
        if (QWidget* control = BasicControl(basic))
            control->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The alternate text's view is the last one of the first page.
    const bool alternateText = param == AppletTag->ObsoleteText.get();
    const std::size_t page = alternateText ? 0 : std::size_t(std::max(0, param->Page));
    if (page >= PageList.size())
        return;
    const TParamPage& target = PageList[page];
    PC->setCurrentWidget(target.Page);
    for (auto* view : target.Panel->findChildren<TAppletParamView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (view->Param != param)
            continue;
        target.ScrollBox->ensureWidgetVisible(view);
        FocusTarget(view)->setFocus(Qt::OtherFocusReason);
        return;
    }
}

void TMainForm::ShowHoverHint(QWidget* widget, bool left) {
    if (!widget || widget->window() != this)
        return;
    // Leaving a control puts the mouse over its parent, which sends no enter of its own; entering
    // another control follows the leave.
    QString hint;
    for (QWidget* under = left ? widget->parentWidget() : widget; hintsOn_ && under && hint.isEmpty();
         under = under->isWindow() ? nullptr : under->parentWidget())
        hint = under->toolTip().simplified();
    if (!hint.isEmpty())
        ShowStatusNote(hint);
    else if (!hoverHint_.isEmpty() && StatusNote->text() == hoverHint_)
        ShowStatusNote({});
    hoverHint_ = hint;
}

void TMainForm::SaveWindowLayout() {
    SettingsStore* store = AppSettingsStore();
    if (!store)
        return;
    std::vector<TSettingValue> values(2);
    values[0].name = GeometryValueName;
    values[0].text = saveGeometry().toBase64().toStdString();
    values[1].name = StateValueName;
    values[1].text = saveState().toBase64().toStdString();
    try {
        store->WriteValues(values);
    } catch (const std::exception&) {
        // Only the layout is lost; the options are written on their own at exit.
    }
}

void TMainForm::RestoreWindowLayout() {
    const SettingsStore* store = AppSettingsStore();
    if (!store)
        return;
    if (const QByteArray geometry = ReadBinaryValue(*store, GeometryValueName); !geometry.isEmpty())
        restoreGeometry(geometry);
    if (const QByteArray state = ReadBinaryValue(*store, StateValueName); !state.isEmpty())
        restoreState(state);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDocument(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QString path = DroppedDocument(event->mimeData());
    if (path.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // The save question and the load run once the drop has ended, not inside the drag source's
    // wait for it.
    QTimer::singleShot(
        0, this, [this, path] { Guarded([&] { LoadDocument(QFile::encodeName(path).toStdString()); }); });
}

} // namespace zarn
