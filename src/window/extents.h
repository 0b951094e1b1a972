// The recomputation that every change of a corner field runs: the four corners
// read again, the real-world extents, and the aspect caption of Label9.
#pragma once

#include "commands/window_fields.h"
#include "raster/georeference.h"
#include "window/fields.h"
#include "window/session.h"

namespace pelmora {

// Reads Text3, Text4, Text1, Text2 into LL_X, LL_Y, UR_X, UR_Y and stores the
// extents; Label9 is left alone. Throws Failure (having changed nothing) when
// a corner or an extent does not fit a double.
void readCornersAndExtents(const Fields& fields, Session& session);

// The corner fields' change handler: as above, then Label9 when both extents
// are non-zero. A corner or ratio that does not fit a double leaves the record
// and Label9 as they were.
void recomputeExtents(Fields& fields, Session& session);

}  // namespace pelmora
