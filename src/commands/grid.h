// Command3, "分割図表示": redraws the raster and draws the division lines.
#pragma once

#include "session/form.h"

#include <QLineF>
#include <vector>

namespace pelmora {

// The horizontal lines (top to bottom), then the vertical ones (left to right)
// for the counts, in the view's user coordinates (x across, y down). `rowLimit`
// and `columnLimit` bound the number of lines of each set: beyond them only
// every so many lines and the last are kept.
std::vector<QLineF> gridLines(float P_X, float P_Y, float Cell_X, float Cell_Y, double rows,
                                double columns, double rowLimit, double columnLimit);

// The command; throws Failure (the window shows it) on a renderer or division fault.
void showGrid(Form& form);

}  // namespace pelmora
