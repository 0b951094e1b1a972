// The window's icon: a 24 × 24 map sheet cut by a grid, drawn at start.
#pragma once

#include <QIcon>

namespace pelmora {

QIcon appIcon();

}  // namespace pelmora
