#include "ui/toolbar/ToolbarPictures.h"

#include "ui/toolbar/MSIEToolbar.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

// Resources of a static library need registering from outside any namespace.
static void InitToolbarResources() {
    Q_INIT_RESOURCE(toolbar);
}

namespace zarn {

namespace {

constexpr QSize StripSize(144, 24);
const QColor Olive(128, 128, 0);

void EnsureResources() {
    static const bool done = (InitToolbarResources(), true);
    (void)done;
}

} // namespace

QImage ToolbarIcons(bool selected, qreal scale) {
    EnsureResources();
    // Whole device pixels only: a fractional scale would smear the outlines into the olive.
    const int factor = std::max(1, int(std::lround(scale)));
    QImage strip(StripSize * factor, QImage::Format_RGB32);
    strip.fill(Olive);
    QSvgRenderer renderer(QStringLiteral(":/toolbar/icons-%1.svg").arg(selected ? "selected" : "normal"));
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(strip.size())));
    painter.end();
    strip.setDevicePixelRatio(factor);
    return strip;
}

QImage ToolbarBackground(bool selected) {
    EnsureResources();
    return QImage(QStringLiteral(":/toolbar/background-%1.png").arg(selected ? "selected" : "normal"));
}

void LoadToolbarPictures(TMSIEToolbar& toolbar) {
    const qreal scale = toolbar.devicePixelRatioF();
    toolbar.setImgNormalBackground(ToolbarBackground(false));
    toolbar.setImgSelectedBackground(ToolbarBackground(true));
    toolbar.setImgNormalIcons(ToolbarIcons(false, scale));
    toolbar.setImgSelectedIcons(ToolbarIcons(true, scale));
}

} // namespace zarn
