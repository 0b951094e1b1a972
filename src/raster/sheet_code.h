// The sheet codes of the national base map and of the city plans drawn on it
// (図郭コード, "09LD351"): the zone of the plane rectangular coordinate system
// and a cell of its sheet division, whose edges are the sheet's corners.
//
// A zone's area (X from +300 km down to -300 km, Y from -160 km to +160 km
// around its origin) is cut into 20 × 8 cells of 30 km × 40 km (level 50000,
// rows A to T from the north, columns A to H from the west); each of those
// into 10 × 10 (level 5000, two digits, row then column); and each of those
// into one finer division: 2 × 2 numbered 1 to 4 from the north-west (2500),
// 5 × 5 by a digit 0 to 4 and a letter A to E (1000), 10 × 10 by two digits
// (500) or 20 × 20 by two letters A to T (250). Every cell is 3 : 4 (X : Y).
#pragma once

#include "raster/georeference.h"

#include <QString>
#include <optional>

namespace pelmora {

struct SheetCode {
  QString code;       // upper case: "09LD351"
  int zone = 0;       // 1 to 19
  NorthUpEdges edges; // metres: top is 右上X, right 右上Y, bottom 左下X, left 左下Y
};

// The code that the whole text is (letters in either case, full-width forms
// read as half-width); nothing for any other text.
std::optional<SheetCode> parseSheetCode(const QString& text);

// The code a raster's file name begins with: the name without folder and
// extension (full-width forms read as half-width), up to its end or to the
// first character that is not a Latin letter or a digit ("09LD351_scan.tif",
// "09LD351市街図.bmp"); no code when that is none.
//
// A name is ambiguous when the letters and digits after the code's separator
// are by themselves a finer division of that code: "09LD35-1" reads as the
// sheet 09LD35 or as its quarter 09LD351. Then `finerReading` holds the
// latter. "12KB77_scan" and "09LD35-2019" are not ambiguous.
struct SheetCodeInName {
  std::optional<SheetCode> code;
  std::optional<SheetCode> finerReading;
};
SheetCodeInName sheetCodeInFileName(const QString& path);

enum class Datum { jgd2011, jgd2000, tokyo };

// The EPSG code of the zone's plane rectangular coordinate system under `datum`.
int epsgOfZone(int zone, Datum datum);

}  // namespace pelmora
