// Where a raster lies on the ground, as its file or the files beside it
// say: the north-up edges in map units and the coordinate system, read
// through GDAL (pelmora-gdal.so, loaded only when needed). A turned (rotated or sheared) placement is not used: the
// tiles and the index describe axis-aligned extents only.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pelmora {

// The raster's outer edges (not pixel centres): northings of the top and
// bottom edges, eastings of the left and right edges.
struct NorthUpEdges {
  double top = 0, bottom = 0, left = 0, right = 0;
  bool operator==(const NorthUpEdges&) const = default;
};

struct Georeference {
  std::optional<NorthUpEdges> edges;  // none without a usable placement
  bool turnedIgnored = false;         // a rotated or sheared placement was found and not used
  QString coordinateSystem;           // WKT; empty when the file names none
};

// The edges a GDAL geotransform gives a raster of width × height pixels;
// none (turnedIgnored set) for a rotated, sheared or not north-up transform.
Georeference georeferenceFromTransform(const double transform[6], int width, int height);

struct GdalPlacement;
// The georeference of a placement the GDAL module read, as above.
Georeference georeferenceFromPlacement(GdalPlacement placement, int width, int height);

// The placement the files beside the bitmap `path` give: a world file (the
// format's own, such as NAME.bpw or NAME.bmpw, or NAME.wld) or NAME.bmp.aux.xml,
// which also gives the coordinate system; empty when there is none. Loads GDAL
// only when one of sidecarCandidates(path) exists; throws Failure when it is
// needed and cannot be loaded.
Georeference readSidecars(const QString& path, int width, int height);

// The names GDAL tries for the world file of `path`, in its order, then its
// .aux.xml.
QStringList sidecarCandidates(const QString& path);

struct CoordinateSystem {
  QString wkt;
  QString epsgName;  // "EPSG:6677"; empty when it has no EPSG code
};

// The coordinate system `text` gives (an EPSG code, WKT, a PROJ string), or
// nothing when it is none. Loads GDAL; throws Failure when it cannot be loaded.
std::optional<CoordinateSystem> readCoordinateSystem(const QString& text);

// Whether the area of use that `system` declares, widened by a quarter of a
// degree (about 25 km) so that a sheet across its edge passes, holds every
// corner of `edges` (in the system's own units); nothing when the system
// declares none. `areaName` is the area's name. Loads GDAL.
std::optional<bool> areaOfUseHolds(const CoordinateSystem& system, const NorthUpEdges& edges, QString& areaName);

// The text of NAME.aux.xml that gives an image the coordinate system `wkt`,
// its axes in the east-then-north order of world files. Loads GDAL; throws
// Failure when it cannot be loaded.
QByteArray auxXmlText(const QString& wkt);

}  // namespace pelmora
