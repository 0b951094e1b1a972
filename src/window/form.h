// The window's own state, which its three commands work on: its fields, its
// view and desktop, the record the commands share, the raster the last load
// opened, and where the corners in the fields came from.
#pragma once

#include "commands/raster_loading.h"
#include "desktop/desktop.h"
#include "desktop/view.h"
#include "output/jpeg_encoder.h"
#include "window/fields.h"
#include "window/session.h"
#include "window/view_drawing.h"

#include <memory>
#include <optional>

namespace pelmora {

class Form {
 public:
  // Wires the corner fields' change handler to the extent recomputation.
  Form(Fields& fields, View& view, Desktop& desktop);
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
  // The raster's sheet code, found in its file name at load.
  std::optional<SheetCode> sheetCode;
  // The pixels last drawn into the view, so that an identical redraw copies them.
  ViewDrawing lastDrawing;
};

}  // namespace pelmora
