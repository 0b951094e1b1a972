// The window's own state, which its three commands work on: its fields, its
// view and desktop, the record the commands share, the raster the last load
// opened, where the corners in the fields came from, and the world files'
// check box.
#pragma once

#include "commands/raster_loading.h"
#include "desktop/desktop.h"
#include "desktop/view.h"
#include "frame/frame_corners.h"
#include "output/jpeg_encoder.h"
#include "window/fields.h"
#include "window/session.h"
#include "window/view_drawing.h"

#include <array>
#include <memory>
#include <optional>

namespace pelmora {

class Form {
 public:
  // Wires the corner fields' change handler to the extent recomputation.
  Form(Fields& fields, View& view, Desktop& desktop);

  // The pairs whose texts were typed since the last load: upper right, lower left.
  std::pair<bool, bool> typedCornerPairs() const;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Fields& fields;
  View& view;
  Desktop& desktop;
  Session session;
  // The raster the last load opened; null before the first.
  std::shared_ptr<const LoadedRaster> raster;
  JpegEncoderFactory makeEncoder;
  // Set by the load, each pair on its own; typed corners are `given`.
  CornerOrigin upperRightOrigin = CornerOrigin::given;
  CornerOrigin lowerLeftOrigin = CornerOrigin::given;
  // The sheet code that gave corners at the load.
  std::optional<SheetCode> sheetCode;
  // The corner texts (Text1 to Text4) as the last load left them, the
  // initial texts before the first: a text that differs was typed since.
  std::array<QString, 4> cornerTextsOfLoad;
  // The line beside the view: where the corners came from, their coordinate
  // system, and the load's notes.
  QString cornerSource;
  // The check box: world files and .aux.xml beside each image.
  bool worldFiles = false;
  // The sheet's frame the load found (in the raster's pixels), as the mouse
  // may since have moved its corners; none when none was looked for or found.
  std::optional<FrameCorners> frame;
  bool frameMovedByHand = false;
  // The check box 図郭で切る: the run cuts the frame's inside. Unchecked, the
  // raster's edges are the sheet's. Checked again by each load.
  bool cutAtFrame = true;
  // The frame's part of the line beside the view: found or not, its corners.
  QString frameNote;
  // The load's note that the raster is not of its sheet's 3 : 4, said while
  // no frame is cut.
  QString proportionsNote;
  // The line beside the view: the corners' source, the proportions' note
  // unless a frame is cut, then the frame's note.
  QString lineBesideView() const;
  // The view shows the whole raster the load drew (not the run's last image).
  bool viewShowsRaster = false;
  // The pixels last drawn into the view, so that an identical redraw copies them.
  ViewDrawing lastDrawing;
};

}  // namespace pelmora
