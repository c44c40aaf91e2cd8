#include "views/ParamViewList.h"

#include "model/AppletParam.h"
#include "model/ScalarParams.h"
#include "profile/Errors.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace zarn {

namespace {

struct ViewEntry {
    std::type_index paramClass;
    ViewFactory create;
};

std::unique_ptr<std::vector<ViewEntry>>& ViewRegistry() {
    static std::unique_ptr<std::vector<ViewEntry>> registry;
    return registry;
}

} // namespace

TAppletParamView::TAppletParamView(QWidget* owner, TAppletParam* param) : QWidget(owner), Param(param) {}

int TAppletParamView::GetBaseline() {
    return height() - VMargin;
}

void TAppletParamView::SetupView() {
    HGap = 4;
    VMargin = 4;
    TopMargin = 4;
    Baseline = GetBaseline();
    if (!Param)
        return;
    if (!NameLabel) {
        NameLabel = new QLabel(this);
        NameLabel->setObjectName(QStringLiteral("NameLabel"));
    }
    NameLabel->setText(captionText());
    if (Param->HoldsValue() && !ResetAction) {
        ResetAction = new QAction(QStringLiteral("Reset to default"), this);
        ResetAction->setObjectName(QStringLiteral("ResetToDefault"));
        connect(ResetAction, &QAction::triggered, this, [this] { ResetToDefault(); });
    }
    if (!DefaultSign && Param->DefaultParamValue()) {
        DefaultSign = new QLabel(QStringLiteral("default"), this);
        DefaultSign->setObjectName(QStringLiteral("DefaultSign"));
        DefaultSign->setToolTip(QStringLiteral("Equals the default: writes no PARAM line"));
        QFont small = DefaultSign->font();
        if (small.pointSizeF() > 0)
            small.setPointSizeF(small.pointSizeF() * 0.85);
        small.setItalic(true);
        DefaultSign->setFont(small);
        DefaultSign->setForegroundRole(QPalette::PlaceholderText);
        DefaultSign->adjustSize();
    }
    fitNameLabel();
    NameLabel->move(HGap, Baseline - NameLabel->height());
    NameLabel->setVisible(true);
    setVisible(Param->Visible);
    ShowDefaultState();
}

QString TAppletParamView::captionText() const {
    QString caption;
    if (caption_) {
        caption = *caption_;
    } else {
        std::string own;
        if (!Param->DontShowUFName && !Param->UFName.empty())
            own = Param->UFName;
        if (!Param->DontShowName && !Param->Name.empty() && AppSettings.RealNames)
            own += " ($" + Param->Name + ")";
        caption = FromAnsi(own);
    }
    // A caption that already ends in the separator (the alternate text's) does not get a second one.
    if (!caption.isEmpty() && !caption.endsWith(QLatin1String(": ")))
        caption += QStringLiteral(" : ");
    return caption;
}

void TAppletParamView::fitNameLabel() {
    NameLabel->adjustSize();
    // The caption keeps room for the sign whether it shows or not, so the value does not jump aside.
    if (DefaultSign)
        NameLabel->resize(NameLabel->width() + DefaultSign->width() + HGap, NameLabel->height());
}

void TAppletParamView::SetCaption(const QString& caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    if (!NameLabel || !setUp_)
        return;
    // Renumbering a long vector touches every element after the change: a caption of the same size
    // keeps its controls where they are.
    const QSize before = NameLabel->size();
    NameLabel->setText(captionText());
    fitNameLabel();
    if (NameLabel->size() != before || NameLabel->isHidden())
        CaptionChanged();
}

void TAppletParamView::CaptionChanged() {
    ShowValue();
}

void TAppletParamView::ShowDefaultState() {
    if (!Param)
        return;
    const std::optional<TParamValue> value =
        ResetAction || DefaultSign ? Param->DefaultParamValue() : std::nullopt;
    const bool atDefault = value && *value == Param->CaptureValue();
    if (ResetAction)
        ResetAction->setEnabled(value && !atDefault);
    if (DefaultSign) {
        DefaultSign->setHidden(!atDefault);
        placeDefaultSign();
    }
}

void TAppletParamView::placeDefaultSign() {
    if (!DefaultSign || !NameLabel)
        return;
    // On the caption's baseline, in the room kept at its end.
    const int baseline = NameLabel->y() + NameLabel->fontMetrics().ascent();
    DefaultSign->move(NameLabel->x() + NameLabel->width() - DefaultSign->width(),
                      baseline - DefaultSign->fontMetrics().ascent());
}

void TAppletParamView::ResetToDefault() {
    const std::optional<TParamValue> value = Param ? Param->DefaultParamValue() : std::nullopt;
    if (!value || *value == Param->CaptureValue())
        return;
    {
        TParamEdit edit(*this, false);
        Param->RestoreValue(*value);
        edit.Done();
    }
    ShowValue();
}

void TAppletParamView::AddViewActions(QMenu* menu) {
    if (!ResetAction)
        return;
    ShowDefaultState();
    menu->addSeparator();
    menu->addAction(ResetAction);
}

void TAppletParamView::contextMenuEvent(QContextMenuEvent* event) {
    if (!ResetAction)
        return QWidget::contextMenuEvent(event);
    QMenu menu(this);
    ShowDefaultState();
    menu.addAction(ResetAction);
    menu.exec(event->globalPos());
}

int TAppletParamView::GetPreferredHeight() {
    return (NameLabel ? NameLabel->height() : 0) + 2 * VMargin;
}

void TAppletParamView::ShowValue() {
    // Filling the controls again is what showing a value means; the view keeps its visibility,
    // which its page may have set apart from the parameter's (the alternate text).
    const bool hidden = isHidden();
    SetupView();
    setHidden(hidden);
    FinishSetup();
}

void TAppletParamView::Resized() {
    Baseline = height() - 2 * VMargin;
    if (NameLabel)
        NameLabel->move(NameLabel->x(), Baseline - NameLabel->height());
    placeDefaultSign();
}

std::unique_ptr<TValueSnapshot> TAppletParamView::CreateValueSnapshot() {
    return nullptr;
}

void TAppletParamView::FinishSetup() {
    setUp_ = true;
    Resized();
}

void TAppletParamView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (setUp_)
        Resized();
}

void RegisterParamView(std::type_index paramClass, ViewFactory create) {
    auto& registry = ViewRegistry();
    if (!registry)
        registry = std::make_unique<std::vector<ViewEntry>>();
    registry->push_back({paramClass, std::move(create)});
}

const ViewFactory* FindParamView(std::type_index paramClass) {
    const auto& registry = ViewRegistry();
    if (!registry)
        return nullptr;
    for (const ViewEntry& entry : *registry)
        if (entry.paramClass == paramClass)
            return &entry.create;
    return nullptr;
}

const ViewFactory* FindParamView(const TAppletParam& param) {
    return FindParamView(std::type_index(typeid(param)));
}

void RegisterBaseParamView() {
    if (!FindParamView(std::type_index(typeid(TAppletParam))))
        RegisterParamView<TAppletParamView, TAppletParam>();
}

void ReleaseViewRegistry() {
    ViewRegistry().reset();
}

void AppendView(TAppletParamView* view, QWidget* panel) {
    if (view->parentWidget() != panel) {
        const bool hidden = view->isHidden();
        view->setParent(panel);
        view->setHidden(hidden);
    }
    view->setGeometry(0, 0, panel->width(), view->GetPreferredHeight());
    if (!view->isHidden())
        panel->resize(panel->width(), panel->height() + view->height());
}

void ArrangeViews(QWidget* panel) {
    int y = 0;
    for (QObject* object : panel->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        auto* view = qobject_cast<TAppletParamView*>(child);
        int h = view ? view->GetPreferredHeight() : child->height();
        if (child->isHidden())
            h = 0;
        child->setGeometry(0, y, panel->width(), h);
        y += h;
    }
    panel->resize(panel->width(), y);
}

TPageScrollBox::TPageScrollBox(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TPageScrollBox::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    PageSbxResize(this);
}

namespace {

// Destroys the panel's children, the last first, and gives it the scroll box's width and no height.
void clearPanel(QWidget* panel, int width) {
    const QObjectList children = panel->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto* child = qobject_cast<QWidget*>(*it))
            delete child;
    panel->setGeometry(0, 0, width, 0);
}

int clientWidth(const TParamPage& page) {
    return page.ScrollBox->viewport()->width();
}

} // namespace

void KillPages(TPageList& pages) {
    while (!pages.empty()) {
        TParamPage& page = pages.back();
        if (auto* control = qobject_cast<QTabWidget*>(
                page.Page->parentWidget() ? page.Page->parentWidget()->parentWidget() : nullptr)) {
            const int index = control->indexOf(page.Page);
            if (index >= 0)
                control->removeTab(index);
        }
        delete page.Page;
        pages.pop_back();
    }
}

void RebuildPages(const TJavaAppletTag& tag, TPageList& pages, QTabWidget* pageControl) {
    KillPages(pages);
    pages.reserve(tag.PageNames.size());
    for (const std::string& name : tag.PageNames) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("ParamPage%1").arg(pages.size()));
        auto* scrollBox = new TPageScrollBox(page);
        scrollBox->setObjectName(QStringLiteral("PageSbx"));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scrollBox);
        auto* panel = new QWidget;
        panel->setObjectName(QStringLiteral("PagePanel"));
        scrollBox->setWidget(panel);
        panel->setGeometry(0, 0, scrollBox->viewport()->width(), 0);
        // A "&" in a page name is text, not a keyboard mnemonic.
        pageControl->addTab(page, FromAnsi(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
        pages.push_back({page, scrollBox, panel});
    }
}

void PageSbxResize(QScrollArea* scrollBox) {
    QWidget* panel = scrollBox->widget();
    if (!panel)
        return;
    panel->resize(scrollBox->viewport()->width(), panel->height());
    ArrangeViews(panel);
}

void CheckParamPages(const TJavaAppletTag& tag) {
    if (!tag.ParamList)
        return;
    const auto pageCount = static_cast<int64_t>(tag.PageNames.size());
    for (const auto& param : *tag.ParamList) {
        if (param->Page >= 0 && param->Page < pageCount)
            continue;
        throw EZarnError("Parameter \"" + param->Name + "\" is on page " + IntToStr(param->Page) +
                         ", but the template has " + IntToStr(pageCount) +
                         (pageCount == 1 ? " page" : " pages") + " (numbered from 0)");
    }
}

TAppletParamView* CreateParamView(TAppletParam& param, QWidget* owner, TEditorDocument* document) {
    if (const ViewFactory* create = FindParamView(param))
        return (*create)(owner, &param, document);
    return CreateView<TAppletParamView>(owner, &param, document);
}

void PopulatePages(TEditorDocument& document, TPageList& pages) {
    TJavaAppletTag& tag = document.Tag();
    CheckParamPages(tag);
    for (const TParamPage& page : pages)
        clearPanel(page.Panel, clientWidth(page));
    if (!tag.ParamList || pages.empty())
        return;
    for (const auto& param : *tag.ParamList) {
        QWidget* panel = pages[static_cast<std::size_t>(param->Page)].Panel;
        AppendView(CreateParamView(*param, panel, &document), panel);
    }
    QWidget* first = pages.front().Panel;
    TAppletParamView* alternate = CreateParamView(*tag.ObsoleteText, first, &document);
    alternate->setVisible(true);
    AppendView(alternate, first);
    for (const TParamPage& page : pages)
        ArrangeViews(page.Panel);
}

} // namespace zarn
