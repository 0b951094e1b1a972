#include "raster/gdal_raster.h"

#include "raster/gdal_module.h"

namespace pelmora {

OpenedRaster decodeWithGdal(const QString& path, Progress* progress, Decoding decoding) {
  GdalPlacement placement;
  std::unique_ptr<RasterSource> source(gdalModule().decode(path, progress, decoding, placement));
  if (!source) return {};
  Georeference georeference = georeferenceFromPlacement(std::move(placement), source->width(), source->height());
  return {std::move(source), std::move(georeference)};
}

}  // namespace pelmora
