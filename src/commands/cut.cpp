#include "commands/cut.h"

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {

CoordinateSystemChoice chooseCoordinateSystem(const CutRequest& request, const QString& ownWkt, bool withWkt,
                                              bool withName) {
  using Origin = CoordinateSystemOrigin;
  if (!request.coordinateSystem.wkt.isEmpty())
    return {Origin::given, request.coordinateSystem.wkt, request.coordinateSystem.epsgName};
  const CutCorners& corners = request.corners;
  const auto fromSource = [&corners](CornerOrigin origin) {
    return corners.upperRightOrigin == origin || corners.lowerLeftOrigin == origin;
  };
  if (fromSource(CornerOrigin::georeference)) {
    if (ownWkt.isEmpty()) return {};
    CoordinateSystemChoice own{Origin::georeference, ownWkt, {}};
    if (withName)
      if (const auto read = readCoordinateSystem(ownWkt)) own.name = read->epsgName;
    return own;
  }
  const std::optional<SheetCode>& code = corners.sheetCode;
  if (!fromSource(CornerOrigin::sheetCode) || !code) return {};
  CoordinateSystemChoice zone{Origin::sheetCode, {}, QStringLiteral("EPSG:%1").arg(epsgOfZone(code->zone, request.datum))};
  if (withWkt) {
    const auto read = readCoordinateSystem(zone.name);
    if (!read) throw Failure(messages::unknownCoordinateSystem(zone.name));
    zone.wkt = read->wkt;
  }
  return zone;
}

RunPlan planCut(const LoadedRaster& raster, const CutRequest& request) {
  RunPlan plan = planRun(raster.description, request);
  if (request.worldFiles)
    plan.coordinateSystem =
        chooseCoordinateSystem(request, raster.opened.placement.coordinateSystem, /*withWkt=*/true, /*withName=*/false)
            .wkt;
  return plan;
}

}  // namespace pelmora
