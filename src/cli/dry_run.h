// What a run would do, as text, without writing anything: the fields as the
// window would show them (named by their captions in every language, for
// scripts), the index lines the run would write, and where the corners and
// the coordinate system came from ("corners-from: …", "crs-from: …", fixed
// ASCII).
#pragma once

#include "commands/front_end.h"

#include <QString>
#include <utility>
#include <vector>

namespace pelmora {

// A field's caption and the text it would show.
using ShownField = std::pair<Field, QString>;

// Plans `request` on `raster` (throws Failure as planning does) and lists it
// under `shown` (in the window's reading order) and `aspect` (the X : Y caption),
// ending with `frameLine` when it is not empty.
QString dryRunListing(const LoadedRaster& raster, const CutRequest& request, const std::vector<ShownField>& shown,
                      const QString& aspect, const QString& frameLine = {});

}  // namespace pelmora
