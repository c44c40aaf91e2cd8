#include "views/ParamVectorView.h"

#include "model/ParamVector.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/PVVTemplateDlg.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <qdrawutil.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <map>

namespace zarn {

namespace {

constexpr int CaptionRowHeight = 25;

const char* const GridHint =
    "Drag the gray buttons to reorder elements, click on the \"dot button\" to select an element.";

// The shared pictures keep a background colour of their own in one corner; that colour is see-through.
QPixmap transparentAt(const QPixmap& glyph, bool bottomLeft) {
    if (glyph.isNull())
        return glyph;
    QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, bottomLeft ? image.height() - 1 : 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

// A caption the loader made from an element's stored name ("images.0"): it names a position that
// moves with every reorder, so it is no caption of the element.
bool isElementName(const std::string& caption) {
    const std::size_t dot = caption.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < caption.size() &&
           caption.find(' ') == std::string::npos &&
           std::all_of(caption.begin() + std::ptrdiff_t(dot) + 1, caption.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

QString withoutMnemonic(QString text) {
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

} // namespace

// ---- TGlyphButton

TGlyphButton::TGlyphButton(const QPixmap& glyph, QWidget* parent) : QAbstractButton(parent), glyph_(glyph) {
    setFocusPolicy(Qt::StrongFocus);
}

QSize TGlyphButton::sizeHint() const {
    const int glyph = glyph_.isNull() ? 0 : glyph_.deviceIndependentSize().toSize().width() + GlyphGap;
    return {GlyphLeft + glyph + fontMetrics().horizontalAdvance(withoutMnemonic(text())) + CaptionRight,
            CaptionRowHeight};
}

void TGlyphButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    if (isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    int x = GlyphLeft;
    if (!glyph_.isNull()) {
        const QSize size = glyph_.deviceIndependentSize().toSize();
        const QPixmap shown =
            isEnabled() ? glyph_ : QIcon(glyph_).pixmap(size, devicePixelRatioF(), QIcon::Disabled);
        painter.drawPixmap(x, (height() - size.height()) / 2, shown);
        x += size.width() + GlyphGap;
    }
    // The caption follows the glyph; the button is sized to it, so centring would only push it out.
    const QRect textRect(x, 0, std::max(0, width() - x), height());
    style()->drawItemText(&painter, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                          palette(), isEnabled(), text(), QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// ---- TRowGrid

TRowGrid::TRowGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
}

void TRowGrid::SetRowCount(int count) {
    count = std::max(count, 0);
    if (count == RowCount())
        return;
    rowHeights_.resize(std::size_t(count), 0);
    if (selected_ >= count)
        selected_ = count - 1;
    update();
}

void TRowGrid::SetRowHeight(int row, int height) {
    if (row >= 0 && row < RowCount())
        rowHeights_[std::size_t(row)] = std::max(height, 0);
}

void TRowGrid::SelectRow(int row) {
    if (row < -1 || row >= RowCount())
        row = -1;
    noneChosen_ = row < 0;
    if (row != selected_) {
        selected_ = row;
        update();
    }
}

int TRowGrid::NumberColumnWidth() const {
    // Text starts 3 pixels in; as much again on the right keeps it off the grid line.
    return std::max(
        {10, numberWidth_, fontMetrics().horizontalAdvance(QString::number(std::max(RowCount(), 1))) + 6});
}

void TRowGrid::FitNumberColumn(bool shrink) {
    // Growing only, between rebuilds: deleting across a power of ten would otherwise re-lay every
    // element view for one pixel column.
    if (shrink)
        numberWidth_ = 0;
    numberWidth_ = NumberColumnWidth();
}

int TRowGrid::rowTop(int row) const {
    int y = BorderWidth;
    for (int i = 0; i < row && i < RowCount(); ++i)
        y += rowHeights_[std::size_t(i)] + LineWidth;
    return y;
}

QRect TRowGrid::CellRect(int column, int row) const {
    const int numberWidth = NumberColumnWidth();
    const int left = column == 0 ? BorderWidth : BorderWidth + numberWidth + LineWidth;
    const int width = column == 0 ? numberWidth : DotColumnWidth;
    return {left, rowTop(row), width, row >= 0 && row < RowCount() ? RowHeight(row) : 0};
}

int TRowGrid::RowAt(int y) const {
    int top = BorderWidth;
    for (int i = 0; i < RowCount(); ++i) {
        const int bottom = top + rowHeights_[std::size_t(i)] + LineWidth;
        if (y >= top && y < bottom)
            return i;
        top = bottom;
    }
    return -1;
}

void TRowGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const int numberWidth = NumberColumnWidth();
    const QColor lineColor = palette().color(QPalette::Dark);
    const QRect dirty = event->rect();
    int top = BorderWidth;
    for (int row = 0; row < RowCount() && top <= dirty.bottom(); ++row) {
        const int h = rowHeights_[std::size_t(row)];
        if (top + h + LineWidth >= dirty.top()) {
            const QRect number(BorderWidth, top, numberWidth, h);
            const QRect dot(BorderWidth + numberWidth + LineWidth, top, DotColumnWidth, h);
            qDrawWinButton(&painter, number, palette(), dragFrom_ == row);
            if (row == CurrentRow())
                painter.fillRect(dot, palette().highlight());
            // Fixed cells have lines both ways; normal cells only vertical ones.
            painter.fillRect(BorderWidth, top + h, numberWidth, LineWidth, lineColor);
            painter.fillRect(BorderWidth + numberWidth, top, LineWidth, h + LineWidth, lineColor);
            if (OnDrawCell) {
                OnDrawCell(painter, 0, row, number);
                OnDrawCell(painter, 1, row, dot);
            }
            if (dragFrom_ >= 0 && row == dragOver_ && dragOver_ != dragFrom_) {
                const int y = dragOver_ > dragFrom_ ? top + h - 1 : top;
                painter.fillRect(BorderWidth, y - 1, width() - 2 * BorderWidth, 2, palette().text());
            }
        }
        top += h + LineWidth;
    }
    qDrawWinPanel(&painter, rect(), palette(), true);
}

void TRowGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    const int row = RowAt(at.y());
    if (row < 0)
        return;
    if (at.x() < BorderWidth + NumberColumnWidth() + LineWidth) {
        if (RowMoving) {
            dragFrom_ = dragOver_ = row;
            update();
        }
    } else {
        setFocus(Qt::MouseFocusReason);
        SelectRow(row);
    }
}

void TRowGrid::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ < 0)
        return;
    const int y = std::clamp(int(event->position().y()), BorderWidth,
                             std::max(BorderWidth, height() - BorderWidth - 1));
    const int over = RowAt(y);
    if (over >= 0 && over != dragOver_) {
        dragOver_ = over;
        update();
    }
}

void TRowGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (dragFrom_ < 0 || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    const int from = dragFrom_;
    const int to = dragOver_;
    dragFrom_ = dragOver_ = -1;
    update();
    if (RowMoving && to >= 0 && to != from && OnRowMoved)
        OnRowMoved(from, to);
}

void TRowGrid::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    if (step == 0 || RowCount() == 0)
        return QWidget::keyPressEvent(event);
    const int target = selected_ < 0 ? 0 : std::clamp(selected_ + step, 0, RowCount() - 1);
    // With Ctrl the selected element moves, so reordering needs no mouse.
    if (event->modifiers() & Qt::ControlModifier) {
        if (RowMoving && selected_ >= 0 && target != selected_ && OnRowMoved)
            OnRowMoved(selected_, target);
        return;
    }
    SelectRow(target);
}

// ---- TAPVParamVector

TAPVParamVector::TAPVParamVector(QWidget* owner, TAppletParam* param) : TAppletParamView(owner, param) {}

int TAPVParamVector::GetBaseline() {
    return VMargin + CaptionRowHeight;
}

void TAPVParamVector::SetupView() {
    TAppletParamView::SetupView();
    Vector = dynamic_cast<TAPParamVector*>(Param);
    if (!BeforeListEdit) {
        BeforeListEdit = new QLineEdit(this);
        BeforeListEdit->setObjectName(QStringLiteral("BeforeListEdit"));
        BeforeListEdit->setGeometry(0, TopMargin, 0, CaptionRowHeight);
        connect(BeforeListEdit, &QLineEdit::textEdited, this, [this] { BeforeListTextChange(); });
    }
    if (!AddButton) {
        AddButton = new TGlyphButton(transparentAt(Glyph(TGlyph::Add), true), this);
        AddButton->setObjectName(QStringLiteral("AddButton"));
        AddButton->setText(QStringLiteral("Add"));
        AddButton->setGeometry(0, TopMargin, 45, CaptionRowHeight);
        connect(AddButton, &QAbstractButton::clicked, this, [this] { AddClick(); });
    }
    if (!DelButton) {
        DelButton = new TGlyphButton(transparentAt(Glyph(TGlyph::Del), true), this);
        DelButton->setObjectName(QStringLiteral("DelButton"));
        DelButton->setText(QStringLiteral("Del"));
        DelButton->setGeometry(0, TopMargin, 45, CaptionRowHeight);
        connect(DelButton, &QAbstractButton::clicked, this, [this] { DelClick(); });
    }
    if (!ElementPanel) {
        ElementPanel = new QFrame(this);
        ElementPanel->setObjectName(QStringLiteral("ElementPanel"));
        ElementPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        ElementPanel->setLineWidth(1);
        ElementPanel->resize(0, 0);
    }
    if (!RowGrid) {
        RowGrid = new TRowGrid(this);
        RowGrid->setObjectName(QStringLiteral("RowGrid"));
        RowGrid->setToolTip(QString::fromLatin1(GridHint));
        RowGrid->resize(RowGrid->GridWidth(), 0);
        RowGrid->OnRowMoved = [this](int from, int to) { RowMoved(from, to); };
        RowGrid->OnDrawCell = [this](QPainter& painter, int column, int row, const QRect& rect) {
            DrawRowCell(painter, column, row, rect);
        };
    }
    dot_ = transparentAt(Glyph(TGlyph::Dot), false);
    if (!Vector)
        return;
    AddButton->setHidden(!Vector->CanAdd);
    AddButton->setText(FromAnsi(Vector->AddTitle));
    DelButton->setHidden(!Vector->CanDelete);
    DelButton->setText(FromAnsi(Vector->DelTitle));
    BeforeListEdit->setHidden(!Vector->CanBeforeListText);
    BeforeListEdit->setText(FromAnsi(Vector->BeforeListText));
    RowGrid->RowMoving = Vector->CanMove;
    if (NameLabel)
        NameLabel->setBuddy(Vector->CanBeforeListText ? static_cast<QWidget*>(BeforeListEdit) : RowGrid);
    RebuildElementViews();
    bevelled_ = Vector->ShowBevel;
    update();
}

int TAPVParamVector::GetPreferredHeight() {
    return GetBaseline() + VMargin + (ElementPanel ? ElementPanel->height() : 0) + VMargin;
}

void TAPVParamVector::Resized() {
    if (!AddButton)
        return;
    const int delWidth = DelButton->sizeHint().width();
    DelButton->setGeometry(width() - delWidth - HGap, TopMargin, delWidth, DelButton->height());
    const int addWidth = AddButton->sizeHint().width();
    AddButton->setGeometry(DelButton->x() - addWidth - HGap, TopMargin, addWidth, AddButton->height());
    const int editLeft = (NameLabel ? NameLabel->x() + NameLabel->width() : 0) + HGap;
    BeforeListEdit->setGeometry(editLeft, TopMargin, std::max(0, AddButton->x() - HGap - editLeft),
                                BeforeListEdit->height());
    if (NameLabel)
        NameLabel->move(NameLabel->x(), BeforeListEdit->y() + BeforeListEdit->height() - NameLabel->height());
    RowGrid->move(editLeft, BeforeListEdit->y() + BeforeListEdit->height() + VMargin);
    RowGrid->resize(RowGrid->GridWidth(), RowGrid->height());
    const int panelLeft = RowGrid->x() + RowGrid->width();
    ElementPanel->setGeometry(panelLeft, RowGrid->y(), std::max(0, width() - panelLeft - HGap),
                              ElementPanel->height());
    // A change of height alone comes from FitHeight, which has arranged the elements already.
    if (ElementPanel->width() != arrangedWidth_) {
        arrangedWidth_ = ElementPanel->width();
        ArrangeViews(ElementPanel);
        SyncGridRows();
    }
    resize(width(), GetPreferredHeight());
}

void TAPVParamVector::CaptionChanged() {
    // Showing the value again would rebuild every element; only the caption row moves.
    const bool hidden = isHidden();
    TAppletParamView::SetupView();
    setHidden(hidden);
    if (NameLabel)
        NameLabel->setBuddy(Vector && Vector->CanBeforeListText ? static_cast<QWidget*>(BeforeListEdit)
                                                                : RowGrid);
    Resized();
}

void TAPVParamVector::paintEvent(QPaintEvent*) {
    if (!bevelled_)
        return;
    QPainter painter(this);
    const QPalette& colors = palette();
    const QRect outer = rect();
    qDrawShadeRect(&painter, outer, colors, false, 1, 0);
    qDrawShadeRect(&painter, outer.adjusted(1, 1, -1, -1), colors, true, 1, 0);
}

TAppletParamView* TAPVParamVector::createElementView(std::size_t index) {
    TAppletParam* field = Vector->Containers[index]->Field.get();
    field->DontShowName = true;
    // Built out of sight: on a shown panel a kind's first resize would come before its SetupView
    // has made the controls it places.
    if (!nursery_) {
        nursery_ = new QWidget(this);
        nursery_->setObjectName(QStringLiteral("ElementNursery"));
        nursery_->hide();
    }
    TAppletParamView* view = CreateParamView(*field, nursery_, Document);
    const bool hidden = view->isHidden();
    view->setParent(ElementPanel);
    view->setGeometry(0, 0, ElementPanel->width(), view->GetPreferredHeight());
    view->setHidden(hidden);
    return view;
}

void TAPVParamVector::placeInPanel(TAppletParamView* view, std::size_t index) {
    if (index < elementViews_.size())
        view->stackUnder(elementViews_[index]);
    else
        view->raise();
    elementViews_.insert(elementViews_.begin() + std::ptrdiff_t(index), view);
}

void TAPVParamVector::RebuildElementViews() {
    if (!ElementPanel)
        return;
    const QList<QWidget*> old = ElementPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (auto it = old.rbegin(); it != old.rend(); ++it)
        delete *it;
    elementViews_.clear();
    if (Vector)
        for (std::size_t i = 0; i < Vector->Containers.size(); ++i)
            placeInPanel(createElementView(i), i);
    RowGrid->setHidden(elementViews_.empty());
    if (!elementViews_.empty())
        RowGrid->SetRowCount(int(elementViews_.size()));
    RowGrid->FitNumberColumn(true);
    captionElements();
    ArrangeViews(ElementPanel);
    SyncGridRows();
    updateAddButton();
}

void TAPVParamVector::SyncGridRows() {
    if (!RowGrid)
        return;
    RowGrid->resize(RowGrid->GridWidth(), ElementPanel->height());
    const int count = std::min(RowGrid->RowCount(), int(elementViews_.size()));
    for (int i = 0; i < count; ++i)
        RowGrid->SetRowHeight(i, elementViews_[std::size_t(i)]->height() - TRowGrid::LineWidth);
    if (count > 0) {
        RowGrid->SetRowHeight(count - 1, RowGrid->RowHeight(count - 1) - 2 * TRowGrid::LineWidth);
        RowGrid->SetRowHeight(0, RowGrid->RowHeight(0) - 2 * TRowGrid::LineWidth);
    }
    RowGrid->update();
}

void TAPVParamVector::FitHeight() {
    resize(width(), GetPreferredHeight());
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (auto* outer = qobject_cast<TAPVParamVector*>(parent->parentWidget());
        outer && parent == outer->ElementPanel) {
        ArrangeViews(outer->ElementPanel);
        outer->SyncGridRows();
        outer->FitHeight();
    } else {
        ArrangeViews(parent);
    }
}

int TAPVParamVector::NestingDepth() const {
    int depth = 0;
    for (const QWidget* widget = this; widget; widget = widget->parentWidget())
        if (qobject_cast<const TAPVParamVector*>(widget))
            ++depth;
    return depth;
}

void TAPVParamVector::elementsChanged() {
    const int count = int(elementViews_.size());
    RowGrid->setHidden(count == 0);
    if (count > 0)
        RowGrid->SetRowCount(count);
    RowGrid->FitNumberColumn(false);
    captionElements();
    // More digits in the last row number widen the grid and move the element panel.
    if (ElementPanel->x() != RowGrid->x() + RowGrid->GridWidth())
        Resized();
    ArrangeViews(ElementPanel);
    SyncGridRows();
    FitHeight();
    updateAddButton();
}

void TAPVParamVector::ShowElements(int selected) {
    if (Vector && BeforeListEdit)
        BeforeListEdit->setText(FromAnsi(Vector->BeforeListText));
    RebuildElementViews();
    // Nothing chosen yet keeps the first row current.
    if (selected >= 0 || RowGrid->CurrentRow() < 0)
        RowGrid->SelectRow(std::min(selected, int(elementViews_.size()) - 1));
    elementsChanged();
}

void TAPVParamVector::ShowValue() {
    ShowElements(RowGrid ? RowGrid->SelectedRow() : -1);
}

void TAPVParamVector::captionElements() {
    if (!Vector)
        return;
    std::map<std::string, std::string> templateCaptions;
    const std::size_t count = std::min(elementViews_.size(), Vector->Containers.size());
    for (std::size_t i = 0; i < count; ++i) {
        const TAPContainer& element = *Vector->Containers[i];
        if (element.Field->DontShowUFName)
            continue;
        std::string caption = element.Field->UFName;
        if (caption.empty() || isElementName(caption)) {
            auto [known, added] = templateCaptions.try_emplace(element.Template);
            if (added)
                known->second =
                    element.Template.empty() ? element.SubName : Vector->TemplateCaption(element.Template);
            caption = known->second;
        }
        elementViews_[i]->SetCaption(QStringLiteral("%1. %2").arg(i + 1).arg(FromAnsi(caption)).trimmed());
    }
}

void TAPVParamVector::updateAddButton() {
    if (!Vector || !AddButton)
        return;
    const bool canAdd = !Vector->AddableTemplates().empty();
    AddButton->setEnabled(canAdd);
    if (canAdd)
        AddButton->setToolTip(QString());
    else if (Vector->ValidTemplates.empty())
        AddButton->setToolTip(QStringLiteral("This list names no element templates to add."));
    else
        AddButton->setToolTip(QStringLiteral(
            "Every element template of this list is in use, and each may be added only once."));
}

void TAPVParamVector::BeforeListTextChange() {
    if (!Vector)
        return;
    std::string text;
    // A character the files cannot store is refused rather than saved as "?".
    if (!ToAnsi(BeforeListEdit->text(), text)) {
        const int cursor = BeforeListEdit->cursorPosition();
        BeforeListEdit->setText(FromAnsi(Vector->BeforeListText));
        BeforeListEdit->setCursorPosition(std::max(0, cursor - 1));
        QApplication::beep();
        return;
    }
    TParamEdit edit(*this, true);
    Vector->BeforeListText = text;
    edit.Done();
}

void TAPVParamVector::AddClick() {
    if (!Vector)
        return;
    const TStrings choices = Vector->AddableTemplates();
    // Every template is used up; the button says so in its tooltip.
    if (choices.empty()) {
        updateAddButton();
        return;
    }
    std::string chosen = choices.front();
    if (choices.size() >= 2) {
        QStringList lines;
        for (const std::string& choice : choices)
            lines << FromAnsi(Vector->TemplateDescription(choice));
        const int line = PVVTemplates().Choose(lines);
        if (line < 0 || line >= int(choices.size()))
            return;
        chosen = choices[std::size_t(line)];
    }
    const int selected = RowGrid->SelectedRow();
    const std::size_t count = Vector->Containers.size();
    // Without a selection the new element goes to the end.
    const std::size_t position =
        selected >= 0 && std::size_t(selected) < count ? std::size_t(selected) + 1 : count;
    try {
        Vector->AddElement(chosen, position, NestingDepth());
    } catch (const std::exception& error) {
        Dialogs().Questions().Warning(std::string(error.what()) + '.');
        return;
    }
    placeInPanel(createElementView(position), position);
    RowGrid->SetRowCount(int(elementViews_.size()));
    RowGrid->SelectRow(int(position));
    elementsChanged();
    RecordElementAdded(Document, *Vector, position);
}

void TAPVParamVector::DelClick() {
    if (!Vector || Vector->Containers.empty())
        return;
    const int row = RowGrid->CurrentRow();
    if (row < 0 || row >= int(elementViews_.size()) || std::size_t(row) >= Vector->Containers.size())
        return;
    TAppletParamView* view = elementViews_[std::size_t(row)];
    elementViews_.erase(elementViews_.begin() + row);
    delete view;
    // Taken out rather than destroyed: undoing the delete brings back this very element.
    std::unique_ptr<TAPContainer> element = Vector->TakeElement(std::size_t(row));
    const int count = int(elementViews_.size());
    // The selection stays on a row that exists: the next one, else the one before.
    RowGrid->SetRowCount(count);
    RowGrid->SelectRow(std::min(row, count - 1));
    elementsChanged();
    RecordElementDeleted(Document, *Vector, std::size_t(row), std::move(element));
}

void TAPVParamVector::RowMoved(int from, int to) {
    const int count = int(elementViews_.size());
    if (!Vector || from == to || from < 0 || to < 0 || from >= count || to >= count ||
        std::size_t(count) != Vector->Containers.size())
        return;
    Vector->MoveElement(std::size_t(from), std::size_t(to));
    TAppletParamView* view = elementViews_[std::size_t(from)];
    elementViews_.erase(elementViews_.begin() + from);
    placeInPanel(view, std::size_t(to));
    // The selection follows its element.
    int selected = RowGrid->SelectedRow();
    if (selected == from)
        selected = to;
    else if (from < selected && selected <= to)
        --selected;
    else if (to <= selected && selected < from)
        ++selected;
    RowGrid->SelectRow(selected);
    captionElements();
    ArrangeViews(ElementPanel);
    SyncGridRows();
    RecordElementMoved(Document, *Vector, std::size_t(from), std::size_t(to));
}

void TAPVParamVector::DrawRowCell(QPainter& painter, int column, int row, const QRect& rect) {
    if (column == 0) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(QRect(rect.left() + 3, rect.top() + 3, rect.width() - 3, rect.height() - 3),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QString::number(row + 1));
        return;
    }
    if (dot_.isNull())
        return;
    const QSize size = dot_.deviceIndependentSize().toSize();
    const int x0 = (rect.left() + rect.left() + rect.width() - size.width()) / 2;
    const int y0 = (rect.top() + rect.top() + rect.height() - size.height()) / 2;
    painter.drawPixmap(x0, y0, dot_);
}

void RegisterVectorView() {
    if (!FindParamView(std::type_index(typeid(TAPParamVector))))
        RegisterParamView<TAPVParamVector, TAPParamVector>();
}

} // namespace zarn
