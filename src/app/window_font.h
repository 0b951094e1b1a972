// The window's Japanese gothic face with its installed stand-ins, at a pixel
// size (points × 96 / 72), so that every caption renders on any desktop.
#pragma once

#include <QFont>

namespace pelmora {

QFont windowFont(int pixelSize, bool bold = false, bool italic = false);

// The face every control carries unless it sets its own size: 9 pt.
inline QFont defaultWindowFont() { return windowFont(12); }

}  // namespace pelmora
