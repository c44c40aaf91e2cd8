#include "views/Glyphs.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>

// Resources of a static library are only linked in when something names their initialiser.
static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

namespace zarn {

namespace {

std::array<QPixmap, 5>& Glyphs() {
    static std::array<QPixmap, 5> glyphs;
    return glyphs;
}

// At the picture's own size, one device pixel per pixel, on a transparent ground.
QPixmap Rendered(const QString& resource) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(renderer.defaultSize());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

void LoadGlyphs() {
    InitGlyphResources();
    static const char* const files[] = {"add", "del", "color", "folder", "dot"};
    auto& glyphs = Glyphs();
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        if (glyphs[i].isNull())
            glyphs[i] = Rendered(QStringLiteral(":/glyphs/%1.svg").arg(QLatin1String(files[i])));
}

void ReleaseGlyphs() {
    for (QPixmap& glyph : Glyphs())
        glyph = QPixmap();
}

const QPixmap& Glyph(TGlyph glyph) {
    return Glyphs()[static_cast<std::size_t>(glyph)];
}

} // namespace zarn
