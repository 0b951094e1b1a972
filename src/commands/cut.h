// A cut planned for a loaded raster: the run's plan for the request, with the
// coordinate system the images' .aux.xml carry when the run writes world files.
#pragma once

#include "commands/cut_request.h"
#include "commands/raster_loading.h"
#include "commands/run_plan.h"

namespace pelmora {

enum class CoordinateSystemOrigin { given, georeference, sheetCode, none };

struct CoordinateSystemChoice {
  CoordinateSystemOrigin origin = CoordinateSystemOrigin::none;
  QString wkt;   // empty for none, and for a sheet code's zone unless asked for
  QString name;  // "EPSG:6677" where known
};

// The coordinate system the images' .aux.xml carry: the one the request
// gives, else the raster's own (`ownWkt`), else the zone of the corners'
// sheet code under the request's datum; none without any. The zone's WKT is
// read (through GDAL) only `withWkt`; the raster's own EPSG name only
// `withName`.
CoordinateSystemChoice chooseCoordinateSystem(const CutRequest& request, const QString& ownWkt, bool withWkt,
                                              bool withName);

// The plan of `request` on `raster` (see planRun), with the coordinate system
// chosen as above when the request writes world files.
RunPlan planCut(const LoadedRaster& raster, const CutRequest& request);

}  // namespace pelmora
