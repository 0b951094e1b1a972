// The one face of the library for a front end (the window, the batch tool, a
// third one): the Form a front end builds over its own seams (Fields, View,
// Desktop), the three commands and their outcomes, the progress seam, and
// what a batch gives besides the fields (corners given, a dry run, a set's
// completeness, sheet codes and coordinate systems). A front end includes
// this and its own files; the window adds its painted view (image_view.h).
#pragma once

#include "base/failure.h"
#include "base/messages.h"
#include "base/progress.h"
#include "base/text_encoding.h"
#include "output/ar2_index.h"
#include "commands/done_check.h"
#include "commands/dry_run.h"
#include "commands/given_corners.h"
#include "commands/grid.h"
#include "commands/load.h"
#include "commands/outcome.h"
#include "commands/run.h"
#include "desktop/desktop.h"
#include "desktop/qt_translation.h"
#include "desktop/view.h"
#include "raster/georeference.h"
#include "raster/sheet_code.h"
#include "session/field_number.h"
#include "session/fields.h"
#include "session/form.h"
#include "session/quality.h"
