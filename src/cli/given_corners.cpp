#include "cli/given_corners.h"

namespace pelmora {

void applyGivenCorners(CutCorners& corners, const GivenCorners& given) {
  if (given.sheet) {
    const std::optional<SheetCode> code = given.sheet;
    corners = cornersOfEdges(given.sheet->edges, CornerOrigin::sheetCode);
    corners.sheetCode = code;
  } else if (given.table) {
    corners.upperRightX = readFieldText(given.table->upperRightX);
    corners.upperRightY = readFieldText(given.table->upperRightY);
    corners.lowerLeftX = readFieldText(given.table->lowerLeftX);
    corners.lowerLeftY = readFieldText(given.table->lowerLeftY);
    corners.upperRightOrigin = corners.lowerLeftOrigin = CornerOrigin::table;
  }
  if (given.upperRight) {
    corners.upperRightX = readFieldText(given.upperRight->first);
    corners.upperRightY = readFieldText(given.upperRight->second);
    corners.upperRightOrigin = CornerOrigin::given;
  }
  if (given.lowerLeft) {
    corners.lowerLeftX = readFieldText(given.lowerLeft->first);
    corners.lowerLeftY = readFieldText(given.lowerLeft->second);
    corners.lowerLeftOrigin = CornerOrigin::given;
  }
}

}  // namespace pelmora
