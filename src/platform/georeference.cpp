#include "platform/georeference.h"

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QFile>

#include "platform/gdal_setup.h"

namespace pelmora {

Georeference georeferenceFromTransform(const double t[6], int width, int height) {
  Georeference result;
  // North up: columns run east, rows run south, neither turns into the other.
  if (t[2] != 0 || t[4] != 0 || !(t[1] > 0) || !(t[5] < 0)) {
    result.turnedIgnored = true;
    return result;
  }
  result.edges = NorthUpEdges{t[3], t[3] + t[5] * height, t[0], t[0] + t[1] * width};
  return result;
}

Georeference readWorldFile(const QString& path, int width, int height) {
  // Needs none of GDAL's drivers: registering them all would cost every
  // bitmap load a tenth of a second.
  CPLPushErrorHandler(CPLQuietErrorHandler);
  const QByteArray name = QFile::encodeName(path);
  double transform[6];
  // No extension given: GDAL tries the format's own two (.bpw, .bmpw for .bmp).
  const bool found = GDALReadWorldFile(name.constData(), nullptr, transform) ||
                     GDALReadWorldFile(name.constData(), "wld", transform);
  CPLPopErrorHandler();
  return found ? georeferenceFromTransform(transform, width, height) : Georeference{};
}

QByteArray auxXmlText(const QString& wkt) {
  ensureGdal();
  QByteArray mapping;
  if (OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr)) {
    const QByteArray text = wkt.toUtf8();
    if (OSRSetFromUserInput(srs, text.constData()) == OGRERR_NONE) {
      // World files give east before north, whatever order the system's axes have.
      OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
      int count = 0;
      const int* axes = OSRGetDataAxisToSRSAxisMapping(srs, &count);
      for (int i = 0; i < count; ++i) mapping += (i ? "," : "") + QByteArray::number(axes[i]);
    }
    OSRDestroySpatialReference(srs);
  }
  QByteArray escaped = wkt.toUtf8();
  escaped.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
  QByteArray xml = "<PAMDataset>\n  <SRS";
  if (!mapping.isEmpty()) xml += " dataAxisToSRSAxisMapping=\"" + mapping + "\"";
  xml += ">" + escaped + "</SRS>\n</PAMDataset>\n";
  return xml;
}

}  // namespace pelmora
