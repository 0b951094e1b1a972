// Opening a raster file as the source that fits it.
#pragma once

#include "raster/raster_source.h"

#include <QString>
#include <memory>

namespace pelmora {

struct Progress;

// Opens the raster at `path`: uncompressed bitmaps are read where they lie, not
// decoded; every other format is decoded once through GDAL, as `decoding`
// says, reporting to `progress` (done of total) when given and decoded before
// the opening returns. Returns null when `progress` asked to cancel before the
// opening ended. Throws Failure naming the cause and the file when the file
// cannot be read as a raster of 8-bit gray, palette, RGB or RGBA; a failure
// found while decoding behind the readers reaches them instead.
std::shared_ptr<const RasterSource> openRaster(const QString& path, Progress* progress = nullptr,
                                               Decoding decoding = Decoding::beforeOpening);

}  // namespace pelmora
