// Where a raster's corners come from, the same for every front end. What the
// user gave wins, pair by pair (typed corners or -u/-l, then a sheet code
// given, then a line of a corners table); then the raster's own sources, in
// order: its georeference, the sheet code its name begins with, the earlier
// index; placeholders last. With the corners come the notes the user must
// read: a source set aside, an index that disagrees with the sheet's cell,
// placeholders, proportions that miss the sheet's 3 : 4.
#pragma once

#include "commands/cut_request.h"
#include "commands/raster_loading.h"
#include "tileset/tile_set.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace pelmora {

// X and Y of one corner, as its fields read them.
struct CornerPair {
  double x = 0, y = 0;
};

struct GivenCorners {
  std::optional<CornerPair> upperRight, lowerLeft;
  std::optional<SheetCode> sheet;
  std::optional<CutCorners> table;  // a table line: both pairs, of origin `table`
};

struct PlacedCorners {
  CutCorners corners;
  QStringList notes;     // sentences for the user, in the order found
  // For corners from a sheet code on a raster not of the sheet's 3 : 4: the
  // sentence that says so, which matters only when the raster is cut to its
  // edges (no frame found or given).
  QString proportionsNote;
  // Set when the raster's name reads as two sheets and nothing else gives
  // both pairs: the sentence that says so (the batch tool stops the raster).
  QString ambiguousName;
};

// The corners of `raster` (its tile set `set` holds the earlier index) under
// `given`. `howToGive` is how this front end takes corners, for the notes.
// Throws Failure when the earlier index cannot be read.
PlacedCorners placeCorners(const LoadedRaster& raster, const TileSet& set, const GivenCorners& given,
                           const QString& howToGive);

// True when a pair of `corners` is a placeholder: the raster lies nowhere,
// and no world file may say otherwise.
bool onPlaceholders(const CutCorners& corners);

}  // namespace pelmora
