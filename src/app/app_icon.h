// The window's icon: a map sheet cut by a grid, drawn on a 24 × 24 design
// grid. The same drawing, scaled, gives the installed icon files.
#pragma once

#include <QIcon>
#include <QImage>

namespace pelmora {

QIcon appIcon();

// The icon drawn at size × size pixels (24 is the design size, pixel for pixel).
QImage appIconImage(int size);

}  // namespace pelmora
