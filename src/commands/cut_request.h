// What a cut is asked for, as one typed value: the corners and where they
// came from, the grid, the quality, the turn, the overview's size, and where
// and how the run writes. The window fills it from its fields, the batch
// tool from its options; the plan and the run read nothing else.
#pragma once

#include "raster/georeference.h"
#include "raster/sheet_code.h"

#include <QString>
#include <optional>

namespace pelmora {

// Where a pair of corners came from.
enum class CornerOrigin {
  given,         // typed, or given on the command line
  table,         // a line of a corners table
  georeference,  // the raster's own placement
  index,         // the earlier run's index
  sheetCode,     // the sheet code
  placeholder,   // the raster's size, scaled
};

// The sheet's corners in map units (X north, Y east), each pair with its origin.
struct CutCorners {
  double upperRightX = 0, upperRightY = 0, lowerLeftX = 0, lowerLeftY = 0;
  CornerOrigin upperRightOrigin = CornerOrigin::given;
  CornerOrigin lowerLeftOrigin = CornerOrigin::given;
  std::optional<SheetCode> sheetCode;  // the raster's: given, or from its file name

  double extentX() const;  // upper right less lower left; throws Failure on overflow
  double extentY() const;
  bool fromSheetCode() const {
    return sheetCode && (upperRightOrigin == CornerOrigin::sheetCode || lowerLeftOrigin == CornerOrigin::sheetCode);
  }
};

struct CutRequest {
  CutCorners corners;
  double rows = 1;      // bands along X, from the top
  double columns = 1;   // strips along Y, from the left
  double quality = 50;  // before the encoder's rounding
  float angle = 0;      // degrees the tiles' corners turn about the origin
  // The overview's longer side in layout units (15 a pixel).
  float overviewSide = 0;
  QString outputFolder;  // empty: the raster's folder
  int workers = 0;       // 0: every core
  bool worldFiles = false;  // NAME.jgw (and NAME.JPG.aux.xml) beside each image
  // The coordinate system the .aux.xml carry over any other; empty: the
  // raster's own, else the sheet code's zone under `datum`.
  CoordinateSystem coordinateSystem;
  Datum datum = Datum::jgd2011;
};

// The raster as the plan sees it: its path, its pixels, and its size as the
// view measures it (layout units, P_X down and P_Y across).
struct RasterDescription {
  QString path;
  int width = 0, height = 0;
  float P_X = 0, P_Y = 0;
};

}  // namespace pelmora
