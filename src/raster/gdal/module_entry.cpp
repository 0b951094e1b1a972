// The table pelmora-gdal.so hands to the programs, and the two small GDAL
// services besides decoding: the files that place a bitmap, and coordinate
// systems (read from text, and their axis order).
#include <cpl_error.h>
#include <cpl_minixml.h>
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_spatialref.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "raster/gdal/decoded_file.h"
#include "raster/gdal/gdal_setup.h"
#include "raster/gdal_module_api.h"

namespace pelmora {
namespace {

RasterSource* decode(const QString& path, Progress* progress, Decoding decoding,
                     GdalPlacement& placement) {
  return decodeFile(path, progress, decoding, placement).release();
}

// The transform and the coordinate system of the PAM file NAME.aux.xml that
// GDAL writes beside a raster (gdal_translate -of BMP does), as GDAL reads it.
void readAuxXml(const QByteArray& name, GdalPlacement& placement, bool wantTransform) {
  CPLXMLNode* root = CPLParseXMLFile((name + ".aux.xml").constData());
  if (!root) return;
  if (const CPLXMLNode* pam = CPLGetXMLNode(root, "=PAMDataset")) {
    if (const char* text = CPLGetXMLValue(pam, "GeoTransform", nullptr); text && wantTransform) {
      const CPLStringList values(CSLTokenizeString2(text, ",", CSLT_STRIPLEADSPACES | CSLT_STRIPENDSPACES));
      if (values.size() == 6) {
        for (int i = 0; i < 6; ++i) placement.transform[i] = CPLAtof(values[i]);
        placement.hasTransform = true;
      }
    }
    if (const char* text = CPLGetXMLValue(pam, "SRS", nullptr); text && *text) {
      // As GDAL's own reading: the text itself, never a file or an address it names.
      OGRSpatialReference srs;
      char* wkt = nullptr;
      if (srs.SetFromUserInput(text, OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) ==
              OGRERR_NONE &&
          srs.exportToWkt(&wkt) == OGRERR_NONE && wkt)
        placement.coordinateSystem = QString::fromUtf8(wkt);
      CPLFree(wkt);
    }
  }
  CPLDestroyXMLNode(root);
}

void readSidecars(const QString& path, GdalPlacement& placement) {
  // Needs none of GDAL's drivers: registering them all would cost every
  // bitmap load a tenth of a second.
  keepGdalLocal();
  const QByteArray name = gdalFileName(path);
  CPLPushErrorHandler(CPLQuietErrorHandler);
  // GDAL's bitmap driver prefers the world file to the .aux.xml's transform.
  // No extension given: GDAL tries the format's own two (.bpw, .bmpw for .bmp).
  placement.hasTransform = GDALReadWorldFile(name.constData(), nullptr, placement.transform) ||
                           GDALReadWorldFile(name.constData(), "wld", placement.transform);
  readAuxXml(name, placement, !placement.hasTransform);
  CPLPopErrorHandler();
  static constexpr double kNone[6] = {0, 1, 0, 0, 0, 1};
  if (std::equal(placement.transform, placement.transform + 6, kNone)) placement.hasTransform = false;
}

QByteArray eastNorthAxisMapping(const QString& wkt) {
  ensureGdal();
  QByteArray mapping;
  OGRSpatialReference srs;
  // The text itself, never a file or an address it names.
  if (srs.SetFromUserInput(wkt.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) ==
      OGRERR_NONE) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    for (int axis : srs.GetDataAxisToSRSAxisMapping())
      mapping += (mapping.isEmpty() ? "" : ",") + QByteArray::number(axis);
  }
  return mapping;
}

bool readCoordinateSystem(const QString& text, QString& wkt, QString& epsgName) {
  ensureGdal();
  OGRSpatialReference srs;
  // The text itself, never a file or an address it names.
  if (srs.SetFromUserInput(text.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) !=
      OGRERR_NONE)
    return false;
  char* exported = nullptr;
  if (srs.exportToWkt(&exported) != OGRERR_NONE) {
    CPLFree(exported);
    return false;
  }
  wkt = QString::fromUtf8(exported);
  CPLFree(exported);
  const char* authority = srs.GetAuthorityName(nullptr);
  if (!authority || !EQUAL(authority, "EPSG")) {
    srs.AutoIdentifyEPSG();
    authority = srs.GetAuthorityName(nullptr);
  }
  const char* code = srs.GetAuthorityCode(nullptr);
  epsgName = authority && code && EQUAL(authority, "EPSG") ? QStringLiteral("EPSG:") + QString::fromLatin1(code)
                                                          : QString();
  return true;
}

int areaOfUseHolds(const QString& wkt, const double* eastNorth, int count, double marginDegrees,
                   QString& areaName) {
  ensureGdal();
  OGRSpatialReference srs;
  if (srs.SetFromUserInput(wkt.toUtf8().constData(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) !=
      OGRERR_NONE)
    return -1;
  double west = 0, south = 0, east = 0, north = 0;
  const char* name = nullptr;
  // WKT of the older kind carries the EPSG code but not the area: the code's own then.
  if (!srs.GetAreaOfUse(&west, &south, &east, &north, &name) || west == -1000) {
    srs.AutoIdentifyEPSG();
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (!authority || !code || !EQUAL(authority, "EPSG")) return -1;
    OGRSpatialReference registered;
    if (registered.importFromEPSG(std::atoi(code)) != OGRERR_NONE ||
        !registered.GetAreaOfUse(&west, &south, &east, &north, &name) || west == -1000)
      return -1;
    areaName = name ? QString::fromUtf8(name) : QString();  // `name` lives as long as `registered`
  } else {
    areaName = name ? QString::fromUtf8(name) : QString();
  }
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference geographic;
  geographic.SetWellKnownGeogCS("WGS84");
  geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  CPLPushErrorHandler(CPLQuietErrorHandler);
  OGRCoordinateTransformation* transform = OGRCreateCoordinateTransformation(&srs, &geographic);
  int holds = transform ? 1 : 0;
  for (int i = 0; holds && i < count; ++i) {
    double lon = eastNorth[2 * i], lat = eastNorth[2 * i + 1];
    if (!transform->Transform(1, &lon, &lat) || !std::isfinite(lon) || !std::isfinite(lat)) {
      holds = 0;
      break;
    }
    // An area across the antimeridian has its west edge east of its east edge.
    const bool acrossDateLine = west > east;
    if (acrossDateLine && lon < 0) lon += 360;
    const double eastEdge = acrossDateLine ? east + 360 : east;
    holds = lon >= west - marginDegrees && lon <= eastEdge + marginDegrees && lat >= south - marginDegrees &&
            lat <= north + marginDegrees;
  }
  OGRCoordinateTransformation::DestroyCT(transform);
  CPLPopErrorHandler();
  return holds;
}

constexpr GdalModuleApi kApi{kGdalModuleVersion, decode,          readSidecars, eastNorthAxisMapping,
                             readCoordinateSystem, areaOfUseHolds};

}  // namespace
}  // namespace pelmora

extern "C" const pelmora::GdalModuleApi* pelmora_gdal_module_api() { return &pelmora::kApi; }
