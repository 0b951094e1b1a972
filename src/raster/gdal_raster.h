// Rasters that are not uncompressed bitmaps: decoded by pelmora-gdal.so,
// which is loaded for the first of them (see gdal_module_api.h).
#pragma once

#include <QString>
#include <memory>

#include "raster/raster_opening.h"

namespace pelmora {

struct Progress;

// Opens `path` through GDAL, with the placement the file carries, decoded as
// `decoding` says; a null source when `progress` asked to cancel. Throws Failure naming
// the file and the cause, or the module and the reason it could not be loaded.
OpenedRaster decodeWithGdal(const QString& path, Progress* progress, Decoding decoding);

}  // namespace pelmora
