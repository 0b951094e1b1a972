// Opening a raster file as the source that fits it.
#pragma once

#include "raster/georeference.h"
#include "raster/raster_source.h"

#include <QString>
#include <functional>
#include <memory>

namespace pelmora {

struct Progress;

// A raster opened: its rows, and where its file (or the files beside it)
// puts it on the ground.
struct OpenedRaster {
  std::shared_ptr<const RasterSource> source;  // null when the opening was cancelled
  Georeference placement;
};

// Opens the raster at `path`: uncompressed bitmaps are read where they lie, not
// decoded; every other format is decoded once through GDAL, as `decoding`
// says, reporting to `progress` (done of total) when given. The source is
// null when `progress` asked to cancel before the opening ended. Throws
// Failure naming the cause and the file when the file cannot be read as a
// raster of 8-bit gray, palette, RGB or RGBA; a failure found while decoding
// behind the readers reaches them instead.
OpenedRaster openRaster(const QString& path, Progress* progress = nullptr,
                        Decoding decoding = Decoding::beforeOpening);

// How a front end opens its rasters: openRaster, or a wrapper around it.
using RasterOpener = std::function<OpenedRaster(const QString& path, Progress* progress, Decoding decoding)>;

}  // namespace pelmora
