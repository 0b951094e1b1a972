// Command3, "分割図表示": redraws the raster and draws the division lines.
#pragma once

#include "commands/outcome.h"
#include "window/form.h"

#include <QLineF>
#include <vector>

namespace pelmora {

// Light red, colour 12 of the classic 16-colour palette.
inline constexpr Rgb kGridColour{255, 0, 0};

// The horizontal lines (top to bottom), then the vertical ones (left to right)
// for the counts, in the view's user coordinates (x across, y down). `rowLimit`
// and `columnLimit` bound the number of lines of each set: beyond them only
// every so many lines and the last are kept.
std::vector<QLineF> gridLines(float P_X, float P_Y, float Cell_X, float Cell_Y, double rows,
                                double columns, double rowLimit, double columnLimit);

// Redraws the raster and the lines for the counts in the fields, as the load
// does at its end; does nothing unless both counts are above 0. Throws
// Failure on a renderer or division fault.
void drawGrid(Form& form);

// The command: drawGrid, not started (silently) for counts not above 0,
// stopped on a renderer or division fault.
CommandOutcome showGrid(Form& form);

}  // namespace pelmora
