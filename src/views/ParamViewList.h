#pragma once
// The view base class, the registry pairing parameter classes with view classes, and the stacking of
// views on a panel.

#include <QWidget>

#include <functional>
#include <typeindex>
#include <typeinfo>

class QLabel;

namespace zarn {

class TAppletParam;

// A borderless panel: the parameter's caption at the left, the kind's controls right of it.
// Views never own their parameter. Construction is two-phase (constructor, then SetupView) so the
// kinds' overrides run; CreateView does both.
class TAppletParamView : public QWidget {
    Q_OBJECT
public:
    TAppletParamView(QWidget* owner, TAppletParam* param);

    QLabel* NameLabel = nullptr;
    int TopMargin = 4;
    int Baseline = 0;
    int HGap = 4;
    int VMargin = 4;
    TAppletParam* Param = nullptr;

    virtual int GetBaseline();
    // May run more than once; creates only what is missing. Filling controls writes nothing back.
    virtual void SetupView();
    virtual int GetPreferredHeight();

protected:
    // Places the kind's controls; runs on every size change.
    virtual void Resized();
    void resizeEvent(QResizeEvent* event) override;
};

template <class View> TAppletParamView* CreateView(QWidget* owner, TAppletParam* param) {
    auto* view = new View(owner, param);
    view->SetupView();
    return view;
}

using ViewFactory = std::function<TAppletParamView*(QWidget* owner, TAppletParam* param)>;

// Exact classes only: a class derived from a registered one is not found unless registered itself.
void RegisterParamView(std::type_index paramClass, ViewFactory create);
template <class View, class Param> void RegisterParamView() {
    RegisterParamView(std::type_index(typeid(Param)), &CreateView<View>);
}
// Null when the class has no view.
const ViewFactory* FindParamView(std::type_index paramClass);
const ViewFactory* FindParamView(const TAppletParam& param);
// Registers TAppletParamView for TAppletParam (first entry of the registry).
void RegisterBaseParamView();
void ReleaseViewRegistry();

// Makes the view a child of the panel with the panel's width and its preferred height.
void AppendView(TAppletParamView* view, QWidget* panel);
// Stacks the panel's children top to bottom; hidden ones take no height. The panel's height
// becomes the sum.
void ArrangeViews(QWidget* panel);

// Views report user edits here; the main window installs the handler.
void MarkDocumentModified();
void SetDocumentModifiedHandler(std::function<void()> handler);

} // namespace zarn
