// Command1, "画像呼び出し": makes one raster file the session's raster, fits and
// draws it, proposes the grid and takes back the corners of an earlier index.
#pragma once

#include "session/form.h"

namespace pelmora {

// The dialog's title and filters.
QString rasterDialogTitle();
QStringList rasterDialogFilters();

// Runs the whole command. A failure shows a message box naming the cause and
// the file, and keeps what the earlier steps wrote. True when every step ran.
bool loadRaster(Form& form);

}  // namespace pelmora
