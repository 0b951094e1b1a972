#include "cli/dry_run.h"

namespace pelmora {
namespace {

QString originText(CornerOrigin origin, const CutCorners& corners) {
  switch (origin) {
    case CornerOrigin::given: return QStringLiteral("given");
    case CornerOrigin::table: return QStringLiteral("table");
    case CornerOrigin::georeference: return QStringLiteral("georeference");
    case CornerOrigin::index: return QStringLiteral("index");
    case CornerOrigin::sheetCode: return QStringLiteral("sheet-code:") + corners.sheetCode->code;
    case CornerOrigin::placeholder: break;
  }
  return QStringLiteral("placeholder");
}

// Where the corners and the coordinate system came from, in fixed ASCII for
// scripts: "corners-from: upper-right=index lower-left=given".
QString originLines(const LoadedRaster& raster, const CutRequest& request) {
  const CutCorners& corners = request.corners;
  const CoordinateSystemChoice system = chooseCoordinateSystem(
      request, raster.opened.placement.coordinateSystem, /*withWkt=*/false, /*withName=*/true);
  QString from;
  switch (system.origin) {
    case CoordinateSystemOrigin::given: from = QStringLiteral("given"); break;
    case CoordinateSystemOrigin::georeference: from = QStringLiteral("georeference"); break;
    case CoordinateSystemOrigin::sheetCode: from = QStringLiteral("sheet-code:") + corners.sheetCode->code; break;
    case CoordinateSystemOrigin::none: from = QStringLiteral("none"); break;
  }
  if (!system.name.isEmpty()) from += u' ' + system.name;
  return QStringLiteral("corners-from: upper-right=%1 lower-left=%2\ncrs-from: %3\n")
      .arg(originText(corners.upperRightOrigin, corners), originText(corners.lowerLeftOrigin, corners), from);
}

}  // namespace

QString dryRunListing(const LoadedRaster& raster, const CutRequest& request, const std::vector<ShownField>& shown,
                      const QString& aspect, const QString& frameLine) {
  QString listing;
  for (const auto& [field, text] : shown) listing += captionOf(field) + QStringLiteral(": ") + text + u'\n';
  listing += aspect + u'\n';
  const RunPlan plan = planCut(raster, request);
  listing += u'\n';
  for (const QString& line : indexLines(plan)) listing += line + u'\n';
  listing += u'\n' + originLines(raster, request);
  return frameLine.isEmpty() ? listing : listing + frameLine + u'\n';
}

}  // namespace pelmora
