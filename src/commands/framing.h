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

}  // namespace pelmora
