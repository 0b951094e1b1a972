// Command1, "画像呼び出し": makes one raster file the session's raster, fits and
// draws it, proposes the grid and takes back the corners of an earlier index.
#pragma once

#include "commands/outcome.h"
#include "window/form.h"

namespace pelmora {

// Runs the whole command. Not started when the corner fields do not describe
// two distinct corners (asking for them); cancelled when no file is chosen or
// the decoding is cancelled. A step that fails stops the load and puts the
// window back as it was; the failure names the raster when it names no file.
CommandOutcome loadRaster(Form& form);

}  // namespace pelmora
