#pragma once
// The five shared glyphs of the parameter views, loaded once at start and released at exit.

#include <QPixmap>

namespace zarn {

enum class TGlyph {
    Add,    // the vector view's "Add" button
    Del,    // the vector view's "Del" button
    Color,  // the colour view's button
    Folder, // the file-name view's browse button: two states side by side
    Dot,    // drawn into the vector grid's selection cells; its top-left pixel is transparent
};

void LoadGlyphs();
void ReleaseGlyphs();
// An empty pixmap before LoadGlyphs.
const QPixmap& Glyph(TGlyph glyph);

} // namespace zarn
