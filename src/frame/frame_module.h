// Loads pelmora-frame.so, the module that finds a sheet's frame (see
// frame_module_api.h), the first time a frame is looked for, and keeps it for
// the rest of the process. It is looked for as raster/own_module.h says, last
// at the path in PELMORA_FRAME_MODULE.
#pragma once

#include "frame/frame_finder.h"

namespace pelmora {

// findFrame() through the module. Throws Failure naming the module file and
// the loader's reason when it cannot be loaded; a later call tries again.
FrameFound findFrameThroughModule(const RasterSource& source, const FrameSearch& search = {});

}  // namespace pelmora
