// pelmora-tile: opens each raster once, makes a cut request of its options
// (read by the window's field rules) and plans it (dry run) or runs it.
#pragma once

#include "cli/outcome_report.h"

#include <QStringList>

namespace pelmora {

// `arguments` excludes the program name. Returns the exit status.
int runBatch(const QStringList& arguments, const Console& console, const RasterOpener& open = openRaster);

}  // namespace pelmora
