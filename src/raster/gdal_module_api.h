// The one boundary between the programs and pelmora-gdal.so, the module that
// holds every call into GDAL. Linking GDAL pulls about a hundred shared
// libraries into a process and costs every start a tenth of a second or more,
// while most runs cut an uncompressed bitmap that never needs it; so the
// programs load the module (raster/gdal_module.h) only when a raster or a
// georeference needs GDAL, and call it only through this table.
//
// Both sides are built from the same sources with default visibility, so
// C++ types may cross: a Failure thrown in the module is caught by the caller,
// and a raster made in the module is destroyed through its virtual destructor
// (the module is never unloaded, so its code outlives every object it made).
#pragma once

#include <QByteArray>
#include <QString>

namespace pelmora {

class RasterSource;
struct Progress;
enum class Decoding;

// Raised whenever the table changes; a module of another build is refused.
inline constexpr int kGdalModuleVersion = 6;

// Where a decoded file says it lies, as GDAL gives it.
struct GdalPlacement {
  bool hasTransform = false;  // false without one, or with GDAL's identity default
  double transform[6] = {};
  QString coordinateSystem;  // WKT; empty when the file names none
};

struct GdalModuleApi {
  int version;  // kGdalModuleVersion of the module's build

  // Opens the raster file at `path` as a new raster the caller owns, decoded
  // as `decoding` says, and its placement into `placement`; null when
  // `progress` asked to cancel a decoding before the opening returns.
  // Only real raster files are opened (GeoTIFF, PNG, JPEG, JPEG 2000, BMP),
  // never a description that names other files or addresses (VRT and the
  // like), nor a name of GDAL's virtual file systems (/vsi…); GDAL reaches no
  // network. Throws Failure naming the file and the cause.
  RasterSource* (*decode)(const QString& path, Progress* progress, Decoding decoding,
                          GdalPlacement& placement);

  // The placement the files beside the bitmap `path` give, read as GDAL's own
  // bitmap driver reads them: the transform of the world file (NAME.bpw,
  // NAME.bmpw or NAME.wld), else that of NAME.bmp.aux.xml; the coordinate
  // system of NAME.bmp.aux.xml. Reads nothing else; what it cannot read
  // counts as absent, as it does for GDAL.
  void (*readSidecars)(const QString& path, GdalPlacement& placement);

  // How the axes of the coordinate system `wkt` map to east-then-north data,
  // as GDAL writes it ("2,1"); empty when GDAL cannot read `wkt`.
  QByteArray (*eastNorthAxisMapping)(const QString& wkt);

  // The coordinate system `text` gives (an EPSG code, WKT, a PROJ string;
  // never a file or an address it names) as WKT, and its EPSG name
  // ("EPSG:6677") when it has or matches one, else empty. False when GDAL
  // cannot read `text`.
  bool (*readCoordinateSystem)(const QString& text, QString& wkt, QString& epsgName);

  // Whether the area of use that the coordinate system `wkt` declares, widened
  // by `marginDegrees` on every side, holds each of the `count` points
  // (east, north) at `eastNorth`, in the system's own units: 1 when it does,
  // 0 when a point lies outside it or cannot be brought to latitude and
  // longitude, -1 when the system declares no area of use. `areaName` is the
  // area's name as the system gives it.
  int (*areaOfUseHolds)(const QString& wkt, const double* eastNorth, int count, double marginDegrees,
                        QString& areaName);
};

}  // namespace pelmora

// The module's only exported entry point: its table, valid for the process's life.
extern "C" const pelmora::GdalModuleApi* pelmora_gdal_module_api();
inline constexpr const char kGdalModuleEntry[] = "pelmora_gdal_module_api";
