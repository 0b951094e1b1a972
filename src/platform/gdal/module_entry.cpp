// The table pelmora-gdal.so hands to the programs, and the two small GDAL
// services besides decoding: world files and the axis order of a coordinate
// system.
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QFile>

#include "platform/gdal/decoded_file.h"
#include "platform/gdal/gdal_setup.h"
#include "platform/gdal_module_api.h"

namespace pelmora {
namespace {

RasterSource* decode(const QString& path, Progress* progress, GdalPlacement& placement) {
  return decodeFile(path, progress, placement).release();
}

bool readWorldFile(const QString& path, double transform[6]) {
  // Needs none of GDAL's drivers: registering them all would cost every
  // bitmap load a tenth of a second.
  CPLPushErrorHandler(CPLQuietErrorHandler);
  const QByteArray name = QFile::encodeName(path);
  // No extension given: GDAL tries the format's own two (.bpw, .bmpw for .bmp).
  const bool found = GDALReadWorldFile(name.constData(), nullptr, transform) ||
                     GDALReadWorldFile(name.constData(), "wld", transform);
  CPLPopErrorHandler();
  return found;
}

QByteArray eastNorthAxisMapping(const QString& wkt) {
  ensureGdal();
  QByteArray mapping;
  if (OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr)) {
    const QByteArray text = wkt.toUtf8();
    if (OSRSetFromUserInput(srs, text.constData()) == OGRERR_NONE) {
      OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
      int count = 0;
      const int* axes = OSRGetDataAxisToSRSAxisMapping(srs, &count);
      for (int i = 0; i < count; ++i) mapping += (i ? "," : "") + QByteArray::number(axes[i]);
    }
    OSRDestroySpatialReference(srs);
  }
  return mapping;
}

constexpr GdalModuleApi kApi{kGdalModuleVersion, decode, readWorldFile, eastNorthAxisMapping};

}  // namespace
}  // namespace pelmora

extern "C" const pelmora::GdalModuleApi* pelmora_gdal_module_api() { return &pelmora::kApi; }
