#include "views/ParamViewList.h"

#include "model/AppletParam.h"
#include "tag/AppSettings.h"
#include "ui/ScreenText.h"

#include <QLabel>

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

std::function<void()>& ModifiedHandler() {
    static std::function<void()> handler;
    return handler;
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
    std::string caption;
    if (!Param->DontShowUFName && !Param->UFName.empty())
        caption = Param->UFName;
    if (!Param->DontShowName && !Param->Name.empty() && AppSettings.RealNames)
        caption += " ($" + Param->Name + ")";
    if (!caption.empty())
        caption += " : ";
    NameLabel->setText(FromAnsi(caption));
    NameLabel->adjustSize();
    NameLabel->move(HGap, Baseline - NameLabel->height());
    NameLabel->setVisible(true);
    setVisible(Param->Visible);
}

int TAppletParamView::GetPreferredHeight() {
    return (NameLabel ? NameLabel->height() : 0) + 2 * VMargin;
}

void TAppletParamView::Resized() {
    Baseline = height() - 2 * VMargin;
    if (NameLabel)
        NameLabel->move(NameLabel->x(), Baseline - NameLabel->height());
}

void TAppletParamView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
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

void MarkDocumentModified() {
    if (ModifiedHandler())
        ModifiedHandler()();
}

void SetDocumentModifiedHandler(std::function<void()> handler) {
    ModifiedHandler() = std::move(handler);
}

} // namespace zarn
