#include "commands/corner_sources.h"

#include "base/layout_units.h"
#include "base/messages.h"
#include "base/messages_corners.h"
#include "base/numbers.h"
#include "commands/window_fields.h"
#include "output/ar2_index.h"

#include <QFileInfo>
#include <cmath>

namespace pelmora {
namespace {

bool samePairs(const CutCorners& a, const CutCorners& b) {
  return a.upperRightX == b.upperRightX && a.upperRightY == b.upperRightY && a.lowerLeftX == b.lowerLeftX &&
         a.lowerLeftY == b.lowerLeftY;
}

// 右上X -39000, 右上Y -18000, 左下X -40500, 左下Y -20000
QString cornersText(const CutCorners& c) {
  return QStringLiteral("%1 %2, %3 %4, %5 %6, %7 %8")
      .arg(captionOf(Field::Text1), plainText(c.upperRightX), captionOf(Field::Text2), plainText(c.upperRightY),
           captionOf(Field::Text3), plainText(c.lowerLeftX), captionOf(Field::Text4), plainText(c.lowerLeftY));
}

// The pairs of `corners` whose origin is `origin`, as the notes name them;
// empty when none is.
QString pairsOf(const CutCorners& corners, CornerOrigin origin) {
  const bool upper = corners.upperRightOrigin == origin, lower = corners.lowerLeftOrigin == origin;
  if (upper && lower) return messages::bothPairs();
  if (upper) return messages::upperRightPair();
  if (lower) return messages::lowerLeftPair();
  return {};
}

// The corners of the earlier index, unless there is none or they are this
// raster's placeholders (what a cut with no source wrote).
std::optional<CutCorners> indexCorners(const LoadedRaster& raster, const TileSet& set) {
  if (!QFileInfo(set.indexPath()).isFile()) return std::nullopt;
  const IndexFirstRecord record(set.indexPath());
  const CutCorners corners{asCornerFieldReads(record.number(4)), asCornerFieldReads(record.number(5)),
                           asCornerFieldReads(record.number(2)), asCornerFieldReads(record.number(3)),
                           CornerOrigin::index, CornerOrigin::index, std::nullopt};
  if (samePairs(corners, placeholderCorners(raster.description))) return std::nullopt;
  return corners;
}

// The notes on the corners chosen: proportions, an index against the sheet,
// a georeference set aside, placeholders.
void addNotes(PlacedCorners& placed, const LoadedRaster& raster, const TileSet& set,
              const std::optional<CutCorners>& index, const QString& howToGive) {
  const CutCorners& c = placed.corners;
  const RasterDescription& d = raster.description;
  if (const QString fromCode = pairsOf(c, CornerOrigin::sheetCode); !fromCode.isEmpty()) {
    if (std::abs(double(d.P_X) / d.P_Y / 0.75 - 1) > 0.01)
      placed.proportionsNote = messages::sheetProportionsDiffer(c.sheetCode->code, int(d.P_Y / kUnitsPerPixel),
                                                       int(d.P_X / kUnitsPerPixel), fromCode);
    const CutCorners cell = cornersOfEdges(c.sheetCode->edges, CornerOrigin::sheetCode);
    if (index && !samePairs(*index, cell))
      placed.notes << messages::indexDisagreesWithSheetCode(set.indexFileName(),
                                                            cornersText(*index), c.sheetCode->code,
                                                            cornersText(cell), howToGive);
  }
  const bool bothFromGeoreference =
      c.upperRightOrigin == CornerOrigin::georeference && c.lowerLeftOrigin == CornerOrigin::georeference;
  if (raster.opened.placement.edges && !bothFromGeoreference) placed.notes << messages::georeferenceSetAside();
  if (const QString placeholders = pairsOf(c, CornerOrigin::placeholder); !placeholders.isEmpty())
    placed.notes << messages::placeholderCorners(placeholders, howToGive);
}

}  // namespace

bool onPlaceholders(const CutCorners& corners) {
  return corners.upperRightOrigin == CornerOrigin::placeholder || corners.lowerLeftOrigin == CornerOrigin::placeholder;
}

PlacedCorners placeCorners(const LoadedRaster& raster, const TileSet& set, const GivenCorners& given,
                           const QString& howToGive) {
  PlacedCorners placed;
  if (raster.opened.placement.turnedIgnored) placed.notes << messages::turnedGeoreferenceIgnored();
  const RasterDescription& d = raster.description;
  const SheetCodeInName named = sheetCodeInFileName(d.path);
  const bool givenWhole = (given.upperRight && given.lowerLeft) || given.sheet || given.table;
  const std::optional<CutCorners> index = indexCorners(raster, set);

  CutCorners& c = placed.corners;
  if (const auto& edges = raster.opened.placement.edges) {
    c = cornersOfEdges(*edges, CornerOrigin::georeference);
  } else if (named.code && !named.finerReading) {
    c = cornersOfEdges(named.code->edges, CornerOrigin::sheetCode);
    c.sheetCode = named.code;
  } else if (index) {
    c = *index;
  } else {
    c = placeholderCorners(d);
  }
  if (named.finerReading && !raster.opened.placement.edges && !givenWhole)
    placed.ambiguousName = messages::ambiguousSheetName(QFileInfo(d.path).fileName(), named.code->code,
                                                        named.finerReading->code, howToGive);

  if (given.table) c = *given.table;
  if (given.sheet) {
    c = cornersOfEdges(given.sheet->edges, CornerOrigin::sheetCode);
    c.sheetCode = given.sheet;
  }
  if (given.upperRight) {
    c.upperRightX = given.upperRight->x;
    c.upperRightY = given.upperRight->y;
    c.upperRightOrigin = CornerOrigin::given;
  }
  if (given.lowerLeft) {
    c.lowerLeftX = given.lowerLeft->x;
    c.lowerLeftY = given.lowerLeft->y;
    c.lowerLeftOrigin = CornerOrigin::given;
  }
  if (c.upperRightOrigin != CornerOrigin::sheetCode && c.lowerLeftOrigin != CornerOrigin::sheetCode)
    c.sheetCode.reset();
  addNotes(placed, raster, set, index, howToGive);
  return placed;
}

}  // namespace pelmora
