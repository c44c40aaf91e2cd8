#pragma once
// The main window's toolbar pictures, shipped as resources: two icon strips drawn from SVG and two
// mottled blue textures.

#include <QImage>

namespace zarn {

class TMSIEToolbar;

// A 144 x 24 strip (times `scale` on dense screens) in 24-bit colour on its olive transparent
// colour; `selected` gives the full-colour strip of the hot button, otherwise the muted one.
QImage ToolbarIcons(bool selected, qreal scale = 1.0);
// An 80 x 80 texture; the normal one is darker than the selected one.
QImage ToolbarBackground(bool selected);
// Gives the toolbar its four pictures, the strips drawn for the toolbar's screen.
void LoadToolbarPictures(TMSIEToolbar& toolbar);

} // namespace zarn
