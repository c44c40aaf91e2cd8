#include "ui/toolbar/MSIEToolbar.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace zarn {

namespace {

// More buttons than this cannot fit any screen; the cap keeps painting and geometry bounded.
constexpr int MaxImageCount = 1024;
// Some desktops report a zero frame; without a floor a bar of empty captions and no images would
// have buttons of width 0.
constexpr int MinFrameWidth = 4;
const QColor BarColor(202, 219, 254);
const QColor DisabledGrey(128, 128, 128);

// Device pixels throughout: a strip drawn for a dense screen must not be painted at half size.
QImage Opaque(const QImage& strip) {
    QImage rgb = strip.convertToFormat(QImage::Format_RGB32);
    rgb.setDevicePixelRatio(1);
    return rgb;
}

// A one-bit mask painted in `color` where its bits are set, transparent elsewhere.
QImage Stencil(QImage mask, QColor color) {
    mask.setColorTable({qRgba(0, 0, 0, 0), color.rgba()});
    mask.setDevicePixelRatio(1);
    return mask.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int Clamped(qint64 value) {
    return int(
        std::clamp<qint64>(value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

} // namespace

QImage TransparentImage(const QImage& strip) {
    if (strip.isNull())
        return {};
    const QImage rgb = Opaque(strip);
    // Bits set where the strip shows, clear where it has its transparent colour.
    const QImage shows = rgb.createMaskFromColor(rgb.pixel(0, 0), Qt::MaskOutColor);
    QImage image = rgb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, Stencil(shows, Qt::black));
    painter.end();
    image.setDevicePixelRatio(strip.devicePixelRatio());
    return image;
}

QImage DisabledImage(const QImage& strip) {
    if (strip.isNull())
        return {};
    const QImage rgb = Opaque(strip);
    QImage image(rgb.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    // A strip whose transparent colour is black has no black pixels to show.
    if (rgb.pixel(0, 0) != qRgb(0, 0, 0)) {
        const QImage black = rgb.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskInColor);
        // One logical pixel, so the emboss keeps its look on strips drawn for dense screens.
        const int shift = std::max(1, qRound(strip.devicePixelRatio()));
        QPainter painter(&image);
        painter.drawImage(shift, shift, Stencil(black, Qt::white));
        painter.drawImage(0, 0, Stencil(black, DisabledGrey));
    }
    image.setDevicePixelRatio(strip.devicePixelRatio());
    return image;
}

void DrawCell(QPainter& painter, const QImage& image, int cell, int cellWidth, QPointF at) {
    if (image.isNull() || cellWidth <= 0 || cell < 0)
        return;
    const qreal ratio = image.devicePixelRatio();
    const QRectF source(cell * cellWidth * ratio, 0, cellWidth * ratio, image.height());
    painter.drawImage(QRectF(at, QSizeF(cellWidth, image.height() / ratio)), image, source);
}

void TileTexture(QPainter& painter, const QPixmap& texture, const QRect& rect) {
    if (texture.isNull() || rect.isEmpty())
        return;
    const QSize size = texture.deviceIndependentSize().toSize();
    if (size.isEmpty())
        return;
    const auto wrap = [](int value, int period) { return ((value % period) + period) % period; };
    painter.drawTiledPixmap(rect, texture,
                            QPoint(wrap(rect.x(), size.width()), wrap(rect.y(), size.height())));
}

TMSIEToolbar::TMSIEToolbar(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    // Reached with Tab only: a click on a button must not take the focus from the field being edited.
    setFocusPolicy(Qt::TabFocus);
}

void TMSIEToolbar::setImgNormalBackground(const QImage& image) {
    normalBackground_ = image;
    normalTexture_ = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    update();
}

void TMSIEToolbar::setImgSelectedBackground(const QImage& image) {
    selectedBackground_ = image;
    selectedTexture_ = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    update();
}

void TMSIEToolbar::setImgNormalIcons(const QImage& image) {
    normalIcons_ = image;
    normalImage_ = TransparentImage(image);
    disabledImage_ = DisabledImage(image);
    update();
}

void TMSIEToolbar::setImgSelectedIcons(const QImage& image) {
    selectedIcons_ = image;
    selectedImage_ = TransparentImage(image);
    update();
}

void TMSIEToolbar::setImageCount(int count) {
    imageCount_ = std::clamp(count, 0, MaxImageCount);
    update();
}

void TMSIEToolbar::setCaptions(const QStringList& captions) {
    captions_ = captions;
    update();
}

void TMSIEToolbar::setDisabledItems(std::uint32_t items) {
    const std::uint32_t changed = items ^ disabledItems_;
    disabledItems_ = items;
    for (int i = 0; i < 32; ++i)
        if (changed & (std::uint32_t(1) << i))
            update(ButtonRect(i));
}

bool TMSIEToolbar::IsDisabled(int index) const {
    return index >= 0 && index < 32 && (disabledItems_ & (std::uint32_t(1) << index));
}

int TMSIEToolbar::CellWidth(const QImage& strip) const {
    if (imageCount_ <= 0 || strip.isNull())
        return 0;
    return int(strip.deviceIndependentSize().width()) / imageCount_;
}

int TMSIEToolbar::ButtonWidth() const {
    int content = CellWidth(normalIcons_);
    const QFontMetrics metrics = fontMetrics();
    for (const QString& caption : captions_)
        content = std::max(content, metrics.horizontalAdvance(caption));
    const int frame =
        std::max(style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this), MinFrameWidth);
    return content + 2 * frame;
}

int TMSIEToolbar::ButtonCount() const {
    return std::max(imageCount_, int(captions_.size()));
}

QRect TMSIEToolbar::ButtonRect(int index) const {
    const int w = ButtonWidth();
    return QRect(Clamped(qint64(index) * w), 0, w, height());
}

int TMSIEToolbar::ButtonAt(QPoint pos) const {
    if (pos.x() < 0 || pos.y() < 0 || pos.y() >= height())
        return -1;
    const int index = pos.x() / ButtonWidth();
    return index < ButtonCount() ? index : -1;
}

QSize TMSIEToolbar::sizeHint() const {
    const int iconHeight = int(normalIcons_.deviceIndependentSize().height());
    return {Clamped(qint64(ButtonCount()) * ButtonWidth()), iconHeight + fontMetrics().height()};
}

bool TMSIEToolbar::TrackMouse(QPoint pos) {
    const int e = ButtonAt(pos);
    if (pressed_) {
        const bool inside = hot_ >= 0 && hotRect_.contains(pos) && e >= 0 && !IsDisabled(e);
        if (inside != inside_) {
            inside_ = inside;
            update(hotRect_);
        }
        return true;
    }
    const bool mine = pos.x() <= selectedIcons_.deviceIndependentSize().width();
    if (e == hot_)
        return mine;
    if (e >= 0) {
        if (!IsDisabled(e))
            update(ButtonRect(e));
        hotRect_ = ButtonRect(e);
    } else {
        hotRect_ = QRect();
    }
    if (hot_ >= 0 && !IsDisabled(hot_))
        update(ButtonRect(hot_));
    hot_ = e;
    return mine;
}

void TMSIEToolbar::mouseMoveEvent(QMouseEvent* event) {
    event->setAccepted(TrackMouse(event->position().toPoint()));
}

void TMSIEToolbar::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || pos.x() > qint64(ButtonWidth()) * imageCount_) {
        event->ignore();
        return;
    }
    // A second click without a move in between would otherwise press the stale hot button of -1.
    if (!pressed_)
        TrackMouse(pos);
    pressed_ = true;
    pressedIndex_ = hot_;
    update(hotRect_);
    TrackMouse(pos);
}

void TMSIEToolbar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || (!pressed_ && pos.x() > qint64(ButtonWidth()) * imageCount_)) {
        event->ignore();
        return;
    }
    if (!pressed_)
        return;
    pressed_ = false;
    pressedIndex_ = -1;
    const bool wasInside = inside_;
    const int index = hot_;
    hot_ = -1;
    update(hotRect_);
    inside_ = false;
    // Last, because the handler may open a modal dialog or tear the window down.
    if (wasInside && index >= 0 && !IsDisabled(index))
        emit OnClick(index);
}

void TMSIEToolbar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->setAccepted(pressed_);
}

void TMSIEToolbar::leaveEvent(QEvent* event) {
    // Leaving the control clears the hot button, as a move off the bar would.
    if (!pressed_)
        TrackMouse(QPoint(-1, -1));
    QWidget::leaveEvent(event);
}

void TMSIEToolbar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        update();
    QWidget::changeEvent(event);
}

int TMSIEToolbar::NextFocusable(int from, int step) const {
    const int n = ButtonCount();
    for (int i = from + step; i >= 0 && i < n; i += step)
        if (!IsDisabled(i) && i < captions_.size() && !captions_[i].isEmpty())
            return i;
    return -1;
}

bool TMSIEToolbar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = ButtonAt(help->pos());
        QString text;
        if (index >= 0)
            text = index < hints_.size() && !hints_[index].isEmpty()
                       ? hints_[index]
                       : (index < captions_.size() ? captions_[index] : QString());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this, ButtonRect(index));
        }
        return true;
    }
    return QWidget::event(event);
}

void TMSIEToolbar::focusInEvent(QFocusEvent* event) {
    if (focused_ < 0 || IsDisabled(focused_))
        focused_ = NextFocusable(-1, 1);
    update();
    QWidget::focusInEvent(event);
}

void TMSIEToolbar::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void TMSIEToolbar::keyPressEvent(QKeyEvent* event) {
    // A button disabled while focused gives the focus mark to the next one.
    if (focused_ >= 0 && IsDisabled(focused_))
        focused_ = NextFocusable(-1, 1);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int next = NextFocusable(focused_, event->key() == Qt::Key_Left ? -1 : 1);
        if (next >= 0)
            focused_ = next;
        update();
        return;
    }
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focused_ >= 0 && !IsDisabled(focused_) && !event->isAutoRepeat())
            emit OnClick(focused_);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TMSIEToolbar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (normalTexture_.isNull())
        painter.fillRect(rect(), BarColor);
    if (imageCount_ == 0 && captions_.isEmpty())
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, objectName());

    const int w = ButtonWidth();
    const int n = ButtonCount();
    const QRect area = event->rect();
    // Only the buttons the repaint touches.
    const int first = std::clamp(area.left() / w, 0, n);
    const int last = std::clamp(area.right() / w, -1, n - 1);
    for (int i = first; i <= last; ++i) {
        const bool lit = i == hot_ && !IsDisabled(i);
        TileTexture(painter, lit ? selectedTexture_ : normalTexture_, ButtonRect(i));
    }
    PaintIcons(painter, first, std::min(last, imageCount_ - 1), w);
    const qint64 barEnd = qint64(n) * w;
    if (barEnd < width())
        TileTexture(painter, normalTexture_, QRect(int(barEnd), 0, width() - int(barEnd), height()));
    PaintCaptions(painter, first, std::min(last, int(captions_.size()) - 1), w);

    if (inside_ && hot_ >= 0 && !IsDisabled(hot_)) {
        // The light edge at the right and bottom of a pushed-in button.
        const QRect r = hotRect_;
        const QColor light = palette().color(QPalette::Light);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), light);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), light);
    }
    if (hasFocus() && focused_ >= 0 && !IsDisabled(focused_)) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = ButtonRect(focused_).adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TMSIEToolbar::PaintIcons(QPainter& painter, int first, int last, int w) {
    const int cell = CellWidth(normalIcons_);
    for (int i = first; i <= last; ++i) {
        const qreal x = qint64(i) * w + (w - cell) / 2;
        if (IsDisabled(i)) {
            DrawCell(painter, disabledImage_, i, cell, QPointF(x, 0));
        } else if (i == hot_) {
            const int shift = inside_ ? 1 : 0;
            DrawCell(painter, selectedImage_, i, CellWidth(selectedIcons_), QPointF(x + shift, shift));
        } else {
            DrawCell(painter, normalImage_, i, cell, QPointF(x, 0));
        }
    }
}

void TMSIEToolbar::PaintCaptions(QPainter& painter, int first, int last, int w) {
    const int top = int(normalIcons_.deviceIndependentSize().height());
    const QColor text = palette().color(QPalette::WindowText);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine;
    for (int i = first; i <= last; ++i) {
        const QString& caption = captions_[i];
        if (caption.isEmpty())
            continue;
        // Centred on the button's middle; the box is wider than any caption since w includes it.
        const QRectF box(qint64(i) * w + w / 2 - w, top, 2.0 * w, height());
        if (IsDisabled(i)) {
            painter.setPen(Qt::white);
            painter.drawText(box.translated(1, 1), flags, caption);
            painter.setPen(DisabledGrey);
            painter.drawText(box, flags, caption);
        } else {
            painter.setPen(i == hot_ ? QColor(Qt::white) : text);
            painter.drawText(box, flags, caption);
        }
    }
}

} // namespace zarn
