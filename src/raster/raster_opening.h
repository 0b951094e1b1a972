// Opening a raster file as the source that fits it.
#pragma once

#include "raster/raster_source.h"

#include <QString>
#include <memory>

namespace pelmora {

struct Progress;

// Opens the raster at `path`: uncompressed bitmaps are read where they lie, not
// decoded; every other format is decoded once through GDAL, reporting to
// `progress` (done of total) when given. Returns null when `progress` asked to cancel
// before the opening ended. Throws Failure naming the cause and the file when
// the file cannot be read as a raster of 8-bit gray, palette, RGB or RGBA.
std::shared_ptr<const RasterSource> openRaster(const QString& path, Progress* progress = nullptr);

}  // namespace pelmora
