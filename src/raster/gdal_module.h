// Loads pelmora-gdal.so, the module behind every GDAL call (see
// gdal_module_api.h), the first time something needs it, and keeps it loaded
// for the rest of the process. It is looked for as own_module.h says, last at
// the path in PELMORA_GDAL_MODULE.
#pragma once

#include <QString>

#include "raster/gdal_module_api.h"

namespace pelmora {

// The loaded module's table. Thread-safe. Throws Failure naming the module
// file and the loader's reason when it cannot be loaded; a later call tries again.
const GdalModuleApi& gdalModule();

// Loads the module at `path` itself (no search), as gdalModule() does.
const GdalModuleApi& loadGdalModule(const QString& path);

}  // namespace pelmora
