#pragma once
// The picture toolbar: a row of equally wide buttons, each an icon cut from a strip with a caption
// below it, on a tiled texture; hot tracking, a pressed look and an embossed look for disabled buttons.

#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QPainter;

namespace zarn {

// A strip's top-left pixel gives its transparent colour. The result is premultiplied ARGB: alpha 0
// where the strip has that colour, every other pixel opaque in its own colour.
QImage TransparentImage(const QImage& strip);
// The embossed look: only the strip's black pixels survive, grey, with a white copy one (logical)
// pixel to the lower right; everything else is transparent.
QImage DisabledImage(const QImage& strip);
// Draws cell `cell` of a prepared image (from one of the two above) with its top-left corner at `at`.
void DrawCell(QPainter& painter, const QImage& image, int cell, int cellWidth, QPointF at);
// Anchored at the painter's origin, so neighbouring rectangles join into one texture. A null texture
// draws nothing.
void TileTexture(QPainter& painter, const QPixmap& texture, const QRect& rect);

class TMSIEToolbar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage imgNormalBackground READ imgNormalBackground WRITE setImgNormalBackground)
    Q_PROPERTY(QImage imgSelectedBackground READ imgSelectedBackground WRITE setImgSelectedBackground)
    Q_PROPERTY(QImage imgNormalIcons READ imgNormalIcons WRITE setImgNormalIcons)
    Q_PROPERTY(QImage imgSelectedIcons READ imgSelectedIcons WRITE setImgSelectedIcons)
    Q_PROPERTY(int ImageCount READ ImageCount WRITE setImageCount)
    Q_PROPERTY(QStringList Captions READ Captions WRITE setCaptions)
    Q_PROPERTY(quint32 DisabledItems READ DisabledItems WRITE setDisabledItems)

public:
    explicit TMSIEToolbar(QWidget* parent = nullptr);

    const QImage& imgNormalBackground() const { return normalBackground_; }
    void setImgNormalBackground(const QImage& image);
    const QImage& imgSelectedBackground() const { return selectedBackground_; }
    void setImgSelectedBackground(const QImage& image);
    const QImage& imgNormalIcons() const { return normalIcons_; }
    void setImgNormalIcons(const QImage& image);
    const QImage& imgSelectedIcons() const { return selectedIcons_; }
    void setImgSelectedIcons(const QImage& image);
    int ImageCount() const { return imageCount_; }
    // Negative counts are taken as 0; absurd ones are capped so painting stays bounded.
    void setImageCount(int count);
    const QStringList& Captions() const { return captions_; }
    void setCaptions(const QStringList& captions);
    // Bit i set: button i disabled (buttons 0 to 31).
    std::uint32_t DisabledItems() const { return disabledItems_; }
    void setDisabledItems(std::uint32_t items);
    // Tooltip texts, one per button; a button without one shows its caption.
    const QStringList& Hints() const { return hints_; }
    void setHints(const QStringList& hints) { hints_ = hints; }
    // The button the keyboard acts on while the bar has the focus; -1 when none can take it.
    int FocusIndex() const { return focused_; }

    bool IsDisabled(int index) const;
    int ButtonWidth() const;
    int ButtonCount() const;
    QRect ButtonRect(int index) const;
    // -1 when no button is hot.
    int HotIndex() const { return hot_; }
    bool IsPressed() const { return pressed_; }
    bool IsInside() const { return inside_; }

    QSize sizeHint() const override;

signals:
    void OnClick(int Index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int ButtonAt(QPoint pos) const;
    int CellWidth(const QImage& strip) const;
    // The hover logic; false when the move is the parent's to handle as well.
    bool TrackMouse(QPoint pos);
    void PaintIcons(QPainter& painter, int first, int last, int w);
    void PaintCaptions(QPainter& painter, int first, int last, int w);
    // The next button from `from` in direction `step` that the keyboard can reach; -1 when none.
    int NextFocusable(int from, int step) const;

    QImage normalBackground_, selectedBackground_, normalIcons_, selectedIcons_;
    QPixmap normalTexture_, selectedTexture_;
    QImage normalImage_, selectedImage_, disabledImage_;
    int imageCount_ = 0;
    QStringList captions_;
    QStringList hints_;
    int focused_ = -1;
    std::uint32_t disabledItems_ = 0;

    int hot_ = -1;
    QRect hotRect_;
    bool pressed_ = false;
    int pressedIndex_ = -1;
    bool inside_ = false;
};

} // namespace zarn
