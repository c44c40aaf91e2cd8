#pragma once
// The view of a parameter vector: the element views stacked beside a narrow grid whose rows drag
// and select the elements, with Add and Del buttons in the caption row.

#include "views/ParamViewList.h"

#include <QAbstractButton>
#include <QFrame>

#include <functional>
#include <vector>

class QLineEdit;

namespace zarn {

class TAPParamVector;

// A compact push button with a glyph left of its caption, sized for the glyph, its gaps and the caption.
class TGlyphButton : public QAbstractButton {
    Q_OBJECT
public:
    TGlyphButton(const QPixmap& glyph, QWidget* parent);
    QSize sizeHint() const override;
    // Pixels left of the glyph, between glyph and caption, and right of the caption.
    static constexpr int GlyphLeft = 2;
    static constexpr int GlyphGap = 2;
    static constexpr int CaptionRight = 6;
    const QPixmap& GlyphPicture() const { return glyph_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap glyph_;
};

// One row per element: a grey number cell to drag the element by and a dot cell to select it.
// Rows are sized from outside (SyncGridRows) so they line up with the element views.
class TRowGrid : public QWidget {
    Q_OBJECT
public:
    explicit TRowGrid(QWidget* parent);

    static constexpr int LineWidth = 1;
    static constexpr int BorderWidth = 2;
    static constexpr int DotColumnWidth = 15;

    int RowCount() const { return int(rowHeights_.size()); }
    void SetRowCount(int count);
    void SetRowHeight(int row, int height);
    int RowHeight(int row) const { return rowHeights_[std::size_t(row)]; }
    // -1 for no selection.
    int SelectedRow() const { return selected_; }
    void SelectRow(int row);
    // The row Del acts on, drawn as selected: the selected one; until a row is chosen or the
    // selection cleared, the first (a grid's focused cell).
    int CurrentRow() const { return selected_ >= 0 || noneChosen_ || RowCount() == 0 ? selected_ : 0; }
    bool RowMoving = true;
    // Wide enough for the largest row number.
    int NumberColumnWidth() const;
    void FitNumberColumn(bool shrink);
    int GridWidth() const { return NumberColumnWidth() + DotColumnWidth + LineWidth + 2 * BorderWidth; }
    QRect CellRect(int column, int row) const;
    int RowAt(int y) const;

    std::function<void(int from, int to)> OnRowMoved;
    std::function<void(QPainter& painter, int column, int row, const QRect& rect)> OnDrawCell;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowTop(int row) const;
    std::vector<int> rowHeights_;
    int selected_ = -1;
    bool noneChosen_ = false;
    int dragFrom_ = -1;
    int dragOver_ = -1;
    int numberWidth_ = 0;
};

class TAPVParamVector : public TAppletParamView {
    Q_OBJECT
public:
    TAPVParamVector(QWidget* owner, TAppletParam* param);

    TAPParamVector* Vector = nullptr;
    TGlyphButton* AddButton = nullptr;
    TGlyphButton* DelButton = nullptr;
    QLineEdit* BeforeListEdit = nullptr;
    TRowGrid* RowGrid = nullptr;
    QFrame* ElementPanel = nullptr;

    int GetBaseline() override;
    void SetupView() override;
    int GetPreferredHeight() override;
    // Drops every element view and creates them anew from the vector's elements.
    virtual void RebuildElementViews();
    // Sizes the grid rows so that row i lines up with element view i.
    virtual void SyncGridRows();
    // After the number of elements changed: the view, the enclosing vector views and the page
    // take the new height.
    void FitHeight();
    // After an undo or redo changed the elements: every element view anew, the row selected
    // (clamped to the rows there are), the heights fitted.
    void ShowElements(int selected);
    void ShowValue() override;

    void BeforeListTextChange();
    void AddClick();
    void DelClick();
    void RowMoved(int from, int to);
    void DrawRowCell(QPainter& painter, int column, int row, const QRect& rect);

    // The element views in element order.
    const std::vector<TAppletParamView*>& ElementViews() const { return elementViews_; }
    // How many vectors enclose this one's elements, this one included.
    int NestingDepth() const;

protected:
    void Resized() override;
    void CaptionChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    TAppletParamView* createElementView(std::size_t index);
    // Puts the view at `index` of the panel's child order, which is the stacking order.
    void placeInPanel(TAppletParamView* view, std::size_t index);
    void elementsChanged();
    void updateAddButton();
    // Each element's caption with its row number, after anything that moved the rows.
    void captionElements();

    std::vector<TAppletParamView*> elementViews_;
    bool bevelled_ = false;
    QPixmap dot_;
    QWidget* nursery_ = nullptr;
    int arrangedWidth_ = -1;
};

// Registers TAPVParamVector for TAPParamVector; it comes after every other view.
void RegisterVectorView();

} // namespace zarn
