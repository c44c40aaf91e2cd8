#include "views/Glyphs.h"

#include <QPainter>

#include <array>
#include <functional>

namespace zarn {

namespace {

std::array<QPixmap, 5>& Glyphs() {
    static std::array<QPixmap, 5> glyphs;
    return glyphs;
}

QPixmap Drawn(int width, int height, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    return pixmap;
}

} // namespace

void LoadGlyphs() {
    auto& glyphs = Glyphs();
    glyphs[0] = Drawn(16, 16, [](QPainter& p) {
        p.fillRect(7, 3, 2, 10, Qt::darkGreen);
        p.fillRect(3, 7, 10, 2, Qt::darkGreen);
    });
    glyphs[1] = Drawn(16, 16, [](QPainter& p) { p.fillRect(3, 7, 10, 2, Qt::darkRed); });
    glyphs[2] = Drawn(16, 16, [](QPainter& p) {
        const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < 4; ++i)
            p.fillRect(2 + (i % 2) * 6, 2 + (i / 2) * 6, 6, 6, colors[i]);
    });
    glyphs[3] = Drawn(32, 16, [](QPainter& p) {
        p.fillRect(2, 4, 12, 9, QColor(0xd0, 0xa0, 0x30));
        p.fillRect(18, 4, 12, 9, Qt::gray);
    });
    glyphs[4] = Drawn(8, 8, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::black);
        p.drawEllipse(2, 2, 4, 4);
    });
}

void ReleaseGlyphs() {
    for (QPixmap& glyph : Glyphs())
        glyph = QPixmap();
}

const QPixmap& Glyph(TGlyph glyph) {
    return Glyphs()[static_cast<std::size_t>(glyph)];
}

} // namespace zarn
