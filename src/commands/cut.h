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
// gives, else the one of the source that gave the corners: the raster's own
// (`ownWkt`) for its georeference, the zone of the sheet code under the
// request's datum for a code; none for typed corners, a table or an index. The zone's WKT is
// read (through GDAL) only `withWkt`; the raster's own EPSG name only
// `withName`.
CoordinateSystemChoice chooseCoordinateSystem(const CutRequest& request, const QString& ownWkt, bool withWkt,
                                              bool withName);

// The plan of `request` on `raster` (see planRun), with the coordinate system
// chosen as above when the request writes world files.
RunPlan planCut(const LoadedRaster& raster, const CutRequest& request);

}  // namespace pelmora
