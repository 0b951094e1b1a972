// The bundle the three commands take: the window's texts, the session record,
// the view, the desktop, the raster cache, and how the run encodes and where it
// writes. The window and the batch tool each build one.
#pragma once

#include "platform/desktop.h"
#include "platform/jpeg_encoder.h"
#include "platform/raster_cache.h"
#include "platform/view.h"
#include "session/fields.h"
#include "session/session.h"

#include <QString>

namespace pelmora {

struct RunOptions {
  QString outputFolder;      // empty: the raster's folder
  int jobs = 0;              // worker threads; 0: every core
  bool worldFiles = false;   // write NAME.jgw beside each image
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
};

}  // namespace pelmora
