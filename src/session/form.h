// The bundle the three commands take: the window's texts, the session record,
// the view, the desktop, the raster cache, and how the run encodes and where it
// writes. The window and the batch tool each build one.
#pragma once

#include "desktop/desktop.h"
#include "output/jpeg_encoder.h"
#include "raster/raster_cache.h"
#include "raster/sheet_code.h"
#include "desktop/view.h"
#include "session/fields.h"
#include "session/session.h"

#include <QString>
#include <optional>

namespace pelmora {

struct RunOptions {
  QString outputFolder;      // empty: the raster's folder
  int jobs = 0;              // worker threads; 0: every core
  bool worldFiles = false;   // write NAME.jgw beside each image
  // The coordinate system the images' .aux.xml carry, as WKT, over the
  // raster's own; empty: the raster's own, else its sheet code's zone.
  QString coordinateSystem;
  QString coordinateSystemName;  // its EPSG name, when it has one
  Datum datum = Datum::jgd2011;  // of a sheet code's zone
};

// Where the values in a pair of corner fields came from.
enum class CornerOrigin {
  given,         // typed, or given on the command line
  table,         // a line of a corners table
  georeference,  // the raster's own placement
  index,         // the earlier run's index
  sheetCode,     // the sheet code (Form::sheetCode)
  placeholder,   // the load's placeholders
};

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
  RasterCache rasters;
  JpegEncoderFactory makeEncoder;
  RunOptions runOptions;
  // Set by the load (and the batch tool's options), each pair on its own.
  CornerOrigin upperRightOrigin = CornerOrigin::given;
  CornerOrigin lowerLeftOrigin = CornerOrigin::given;
  // The raster's sheet code: given, or found in its file name at load.
  std::optional<SheetCode> sheetCode;
};

}  // namespace pelmora
