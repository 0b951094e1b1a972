#include "raster/georeference.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "raster/gdal_module.h"

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

Georeference georeferenceFromPlacement(GdalPlacement placement, int width, int height) {
  Georeference result;
  if (placement.hasTransform) result = georeferenceFromTransform(placement.transform, width, height);
  result.coordinateSystem = std::move(placement.coordinateSystem);
  return result;
}

QStringList sidecarCandidates(const QString& path) {
  // GDAL's own rule: the extension's first and last letters and "w", the
  // extension and "w", then "wld", each in lower case, then in upper case.
  const QFileInfo info(path);
  const QString extension = info.suffix();
  QStringList extensions;
  if (extension.size() >= 2)
    extensions << QString(extension.front()) + extension.back() + QLatin1Char('w') << extension + QLatin1Char('w');
  extensions << QStringLiteral("wld");
  const QString base = QDir(info.path()).filePath(info.completeBaseName()) + QLatin1Char('.');
  QStringList candidates;
  for (const QString& each : extensions) candidates << base + each.toLower() << base + each.toUpper();
  return candidates << path + QStringLiteral(".aux.xml");
}

Georeference readSidecars(const QString& path, int width, int height) {
  // A few stats spare the bitmap without a world file or .aux.xml (the usual
  // case) from loading GDAL at all.
  const QStringList candidates = sidecarCandidates(path);
  if (std::none_of(candidates.begin(), candidates.end(),
                   [](const QString& name) { return QFileInfo::exists(name); }))
    return {};
  GdalPlacement placement;
  gdalModule().readSidecars(path, placement);
  return georeferenceFromPlacement(std::move(placement), width, height);
}

std::optional<CoordinateSystem> readCoordinateSystem(const QString& text) {
  CoordinateSystem system;
  if (!gdalModule().readCoordinateSystem(text, system.wkt, system.epsgName)) return std::nullopt;
  return system;
}

std::optional<bool> areaOfUseHolds(const CoordinateSystem& system, const NorthUpEdges& edges, QString& areaName) {
  const double eastNorth[8] = {edges.left, edges.top, edges.right, edges.top,
                               edges.right, edges.bottom, edges.left, edges.bottom};
  const int holds = gdalModule().areaOfUseHolds(system.wkt, eastNorth, 4, 0.25, areaName);
  if (holds < 0) return std::nullopt;
  return holds == 1;
}

QByteArray auxXmlText(const QString& wkt) {
  // World files give east before north, whatever order the system's axes have.
  const QByteArray mapping = gdalModule().eastNorthAxisMapping(wkt);
  QByteArray escaped = wkt.toUtf8();
  escaped.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
  QByteArray xml = "<PAMDataset>\n  <SRS";
  if (!mapping.isEmpty()) xml += " dataAxisToSRSAxisMapping=\"" + mapping + "\"";
  xml += ">" + escaped + "</SRS>\n</PAMDataset>\n";
  return xml;
}

}  // namespace pelmora
