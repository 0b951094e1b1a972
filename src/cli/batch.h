// pelmora-tile: loads a raster into an in-memory form holding the window's
// initial texts, writes the options into the fields, then plans (dry run) or
// runs the registration with the same commands as the window.
#pragma once

#include "cli/batch_desktop.h"
#include "cli/outcome_report.h"

#include <QStringList>

namespace pelmora {

// `arguments` excludes the program name. Returns the exit status.
int runBatch(const QStringList& arguments, const Console& console);

}  // namespace pelmora
