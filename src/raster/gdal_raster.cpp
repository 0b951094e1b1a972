#include "raster/gdal_raster.h"

#include "raster/gdal_module.h"

namespace pelmora {

std::shared_ptr<const RasterSource> decodeWithGdal(const QString& path, Progress* progress,
                                                   Decoding decoding) {
  GdalPlacement placement;
  std::unique_ptr<RasterSource> source(gdalModule().decode(path, progress, decoding, placement));
  if (!source) return nullptr;
  source->setGeoreference(georeferenceFromPlacement(std::move(placement), source->width(), source->height()));
  return source;
}

}  // namespace pelmora
