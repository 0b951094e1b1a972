#include "platform/gdal_raster.h"

#include "platform/gdal_module.h"

namespace pelmora {

std::shared_ptr<const RasterSource> decodeWithGdal(const QString& path, Progress* progress) {
  GdalPlacement placement;
  std::unique_ptr<RasterSource> source(gdalModule().decode(path, progress, placement));
  if (!source) return nullptr;
  Georeference georeference;
  if (placement.hasTransform)
    georeference = georeferenceFromTransform(placement.transform, source->width(), source->height());
  georeference.coordinateSystem = std::move(placement.coordinateSystem);
  source->setGeoreference(std::move(georeference));
  return source;
}

}  // namespace pelmora
