// The sheet's frame in the window: looked for by a load whose corners came
// from a sheet code, drawn on the view in blue with the division grid inside
// it, moved corner by corner with the mouse, and cut by the run while the
// check box 図郭で切る is checked. A frame moved by hand lasts until the next
// load; the line beside the view gives its corners as --frame takes them.
#pragma once

#include "commands/outcome.h"
#include "commands/raster_loading.h"
#include "window/form.h"

#include <QPointF>
#include <optional>

namespace pelmora {

// Looks for the frame of the raster just loaded, behind the desktop's
// progress, when a pair of its corners came from a sheet code, and says on
// the line beside the view what was found. Not found, the raster's edges
// stay and nothing stops. Then the width per height and the proposal follow
// the raster the run would cut.
void lookForFrameOfLoad(Form& form);

// True when the run cuts a frame's inside: a frame is there and the check
// box is checked.
bool cutsAtFrame(const Form& form);

// The raster the run cuts: the frame's inside set upright while cutsAtFrame(),
// the loaded raster otherwise. Throws Failure when the frame leaves the raster.
LoadedRaster rasterToCut(const Form& form);

// Draws the frame (blue, 2 pixels wide) and the grid of `rows` by `columns`
// inside it, thinned under the limits as the view's grid is, when
// cutsAtFrame() and the view shows the whole raster; returns false, drawing
// nothing, otherwise.
bool drawGridOnFrame(Form& form, double rows, double columns, double rowLimit, double columnLimit);

// Where the frame's `corner` lies on the view's canvas, while the frame is drawn.
std::optional<QPointF> frameCornerOnView(const Form& form, int corner);

// The frame corner (0 top left, 1 top right, 2 bottom right, 3 bottom left)
// within a few pixels of `canvasPoint` on the view, while the frame is drawn.
std::optional<int> frameCornerAt(const Form& form, QPointF canvasPoint);

// Moves the frame's `corner` to the raster point under `canvasPoint` (kept
// on the raster), then redraws the raster, the grid and the frame; the
// line beside the view and the width per height follow. Stopped on a
// drawing fault.
CommandOutcome moveFrameCorner(Form& form, int corner, QPointF canvasPoint);

// The check box: cut the frame's inside, or the raster to its edges. The
// view, the width per height and the line follow.
CommandOutcome setCutAtFrame(Form& form, bool cut);

}  // namespace pelmora
