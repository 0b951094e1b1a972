// The library's face for the batch tool (and a third front end): the typed
// request, the raster opened once with what a load learns of it, the plan and
// the registration, their outcomes, and the window's field names and reading
// rules that options and tables follow. The window has a face of its own
// over its fields (window/).
#pragma once

#include "base/failure.h"
#include "base/field_text.h"
#include "base/jpeg_quality.h"
#include "base/messages.h"
#include "base/text_encoding.h"
#include "commands/cut.h"
#include "commands/framing.h"
#include "commands/outcome.h"
#include "commands/window_fields.h"
#include "desktop/qt_translation.h"
#include "raster/georeference.h"
#include "commands/registration.h"
#include "tileset/tile_set.h"
