// A sheet's frame in its scan: looked for, or given, then the frame's inside
// set upright as the raster the plan and the run cut. The corners of the
// sheet then lie on the frame, not on the scan's edges with its margins.
#pragma once

#include "commands/cut_request.h"
#include "commands/raster_loading.h"
#include "frame/frame_corners.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace pelmora {

struct FrameRequest {
  // bySheetCode: looked for when a pair of corners came from a sheet code
  // (its file name or --sheet), none otherwise.
  enum class Mode { none, detect, given, bySheetCode };
  Mode mode = Mode::bySheetCode;
  FrameCorners corners;  // for `given`
};

struct FramedRaster {
  LoadedRaster raster;  // the frame's inside upright, or the raster as it is
  // The frame found or given, in the loaded raster's pixels; none when the
  // raster is cut to its edges.
  std::optional<FrameCorners> frame;
  // For a dry run, fixed ASCII: "frame: detected x,y x,y x,y x,y", "frame:
  // given …", "frame: none (reason)"; empty when no frame was asked for.
  QString dryRunLine;
  QStringList notes;
};

// Whether `frame` looks for a frame in the pixels of a raster placed on
// `corners` (a dry run then decodes the raster).
bool looksForFrame(const FrameRequest& frame, const CutCorners& corners);

// The raster of `loaded` that a cut on `corners` takes under `frame`. A raster
// placed by its own georeference takes no frame (a note says so). A frame not
// found keeps the raster's edges when the raster is within 1 % of the sheet's
// 3 : 4, and throws Failure naming the file and how to go on otherwise; so do
// given corners that leave the raster. Throws Failure when the rows cannot be
// read.
FramedRaster frameRaster(const LoadedRaster& loaded, const CutCorners& corners, const FrameRequest& frame);

// The raster a cut of `loaded` within `frame` takes: the frame's inside set
// upright, or `loaded` itself when the frame lies on its edges.
LoadedRaster straightenedRaster(const LoadedRaster& loaded, const FrameCorners& frame);

// The frame's corners as the dry run prints them and --frame takes them:
// "X1,Y1 X2,Y2 X3,Y3 X4,Y4", to two decimals.
QString frameCornersText(const FrameCorners& frame);

// A line of the division grid drawn on a frame, in the scan's pixels.
struct FrameSegment {
  FramePoint from, to;
};

// The division grid of `rows` by `columns` on `frame`, as gridLineNumbers()
// thins it under `rowLimit` and `columnLimit`: the row lines (top to bottom)
// between the points i / rows down the left and right edges, then the column
// lines (left to right) between the points i / columns across the top and
// bottom edges. The frame itself is not among them.
std::vector<FrameSegment> gridOnFrame(const FrameCorners& frame, double rows, double columns, double rowLimit,
                                      double columnLimit);

}  // namespace pelmora
