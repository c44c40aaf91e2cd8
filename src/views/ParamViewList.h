#pragma once
// The view base class, the registry pairing parameter classes with view classes, and the stacking of
// views on a panel.

#include "views/EditorDocument.h"

#include <QPointer>
#include <QScrollArea>
#include <QWidget>

#include <functional>
#include <typeindex>
#include <typeinfo>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;

namespace zarn {

class TAppletParam;
class TJavaAppletTag;
class TValueSnapshot;

// A borderless panel: the parameter's caption at the left, the kind's controls right of it.
// Views never own their parameter. Construction is two-phase (constructor, then SetupView) so the
// kinds' overrides run; CreateView does both and hands the view its document first.
class TAppletParamView : public QWidget {
    Q_OBJECT
public:
    TAppletParamView(QWidget* owner, TAppletParam* param);

    QLabel* NameLabel = nullptr;
    // Beside the caption while the value equals the template's default; made for kinds that can.
    QLabel* DefaultSign = nullptr;
    // "Reset to default" of the view's context menus; disabled without a default or at it.
    QAction* ResetAction = nullptr;
    int TopMargin = 4;
    int Baseline = 0;
    int HGap = 4;
    int VMargin = 4;
    TAppletParam* Param = nullptr;
    // The document whose history and modified state the view's edits go to. Without one (a view
    // built alone) an edit only changes the parameter.
    QPointer<TEditorDocument> Document;

    virtual int GetBaseline();
    // May run more than once; creates only what is missing. Filling controls writes nothing back.
    virtual void SetupView();
    virtual int GetPreferredHeight();
    // Shows the parameter's value again after an undo or redo changed it; writes nothing back.
    virtual void ShowValue();
    // A view on a shown panel gets resize events while its kind's SetupView is still building the
    // controls; placement starts once they all exist.
    void FinishSetup();
    // What undo keeps of a value the parameter object does not hold; null when CaptureValue and
    // RestoreValue of the kind suffice.
    virtual std::unique_ptr<TValueSnapshot> CreateValueSnapshot();
    // Shown instead of the parameter's own caption: an element of a vector shows its place there.
    void SetCaption(const QString& caption);
    // Puts the template's default back, one undo step.
    void ResetToDefault();
    // The default sign and the reset for the value held now.
    void ShowDefaultState();
    // Appends the view's own actions to a control's context menu.
    void AddViewActions(QMenu* menu);

protected:
    // After SetCaption: the controls right of the caption take their places again.
    virtual void CaptionChanged();
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Places the kind's controls; runs on every size change.
    virtual void Resized();
    void resizeEvent(QResizeEvent* event) override;

private:
    QString captionText() const;
    void fitNameLabel();
    void placeDefaultSign();
    bool setUp_ = false;
    std::optional<QString> caption_;
};

template <class View>
TAppletParamView* CreateView(QWidget* owner, TAppletParam* param, TEditorDocument* document = nullptr) {
    auto* view = new View(owner, param);
    view->Document = document;
    view->SetupView();
    view->FinishSetup();
    return view;
}

using ViewFactory =
    std::function<TAppletParamView*(QWidget* owner, TAppletParam* param, TEditorDocument* document)>;

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

// One property page: the tab page, its scroll box and the content panel that holds the views.
struct TParamPage {
    QWidget* Page = nullptr;
    QScrollArea* ScrollBox = nullptr;
    QWidget* Panel = nullptr;
};
using TPageList = std::vector<TParamPage>;

// The scroll box of a property page: every size change re-lays its panel (PageSbxResize). Only the
// page on show gets size changes, so resizing the window re-lays the visible page alone.
class TPageScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TPageScrollBox(QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// Page building of a tag. The pages are owned by the page control; the list only refers to them.
void KillPages(TPageList& pages);
// KillPages, then one page per page name, added after the pages the control already has.
void RebuildPages(const TJavaAppletTag& tag, TPageList& pages, QTabWidget* pageControl);
void PageSbxResize(QScrollArea* scrollBox);
// Replaces the views of every page with views of the document's tag: one per parameter on the page
// its Page names, then the alternate text, always shown, last on page 0. Check CheckParamPages
// first: a parameter whose page does not exist raises EZarnError here before any view is built.
void PopulatePages(TEditorDocument& document, TPageList& pages);
// Raises EZarnError naming the first parameter whose Page is not one of the tag's pages.
void CheckParamPages(const TJavaAppletTag& tag);
// The view of a parameter: its registered view class, or the base view (caption only) for a class
// without one.
TAppletParamView* CreateParamView(TAppletParam& param, QWidget* owner, TEditorDocument* document = nullptr);

} // namespace zarn
