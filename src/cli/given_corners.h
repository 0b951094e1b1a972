// Corners given for a raster on the command line: a sheet code, a line of a
// corners table, corner pairs; laid over the corners the raster has, each
// pair keeping where it came from.
#pragma once

#include "cli/corners_table.h"
#include "commands/front_end.h"

#include <QString>
#include <optional>
#include <utility>

namespace pelmora {

struct GivenCorners {
  std::optional<SheetCode> sheet;  // wins over the table
  std::optional<TableCorners> table;
  // Win over both, pair by pair: X and Y as typed.
  std::optional<std::pair<QString, QString>> upperRight, lowerLeft;
};

// Lays the given corners over `corners`, each number read as its corner
// field would read the same text; records each pair's origin (and the sheet
// code given).
void applyGivenCorners(CutCorners& corners, const GivenCorners& given);

}  // namespace pelmora
