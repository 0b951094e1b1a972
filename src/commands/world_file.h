// World files (NAME.jgw) for GIS software: six lines A, D, B, E, C, F that put
// an image's pixels on the world corners its index record gives.
#pragma once

#include "commands/run_plan.h"

#include <QString>

namespace pelmora {

// The text of the world file for `image` (x east = our Y, y north = our X).
QString worldFileText(const PlannedImage& image);

}  // namespace pelmora
