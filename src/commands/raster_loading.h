// What a load learns of a raster, the same for every front end: the raster
// opened once (the handle the grid and the run then use), its size as the
// view measures it, the proposed grid, and the corners the raster itself has.
#pragma once

#include "commands/cut_request.h"
#include "raster/raster_opening.h"
#include "tileset/tile_set.h"

#include <QString>
#include <optional>

namespace pelmora {

struct Progress;

struct LoadedRaster {
  OpenedRaster opened;  // a null source: the opening was cancelled
  RasterDescription description;
  const RasterSource& source() const { return *opened.source; }
};

// Opens the raster at `path` as `decoding` says, reporting to `progress`.
// First tidies what a stopped run left in `set` (see TileSet::tidyUnlocked),
// so that the index read back is whole. Throws Failure like openRaster.
LoadedRaster loadRasterFile(const QString& path, const TileSet& set, Decoding decoding, Progress* progress,
                            const RasterOpener& open = openRaster);

struct GridProposal {
  QString megabytesText;  // the file's size in MB cut to two decimals
  QString ratioText;      // width per height, rounded to two decimals
  double rows = 1, columns = 1;
};

// About one cell per 3,000,000 bytes of a 24-bit bitmap, each close to
// square: the size is the file's (`raster`), the width per height that of the
// raster cut (`cut`: the upright inside of a sheet's frame, or `raster`
// itself). Throws Failure when the file is gone.
GridProposal proposeGrid(const LoadedRaster& raster, const LoadedRaster& cut);
inline GridProposal proposeGrid(const LoadedRaster& raster) { return proposeGrid(raster, raster); }

// The raster's size scaled to corners (0, 0) to (P_X, P_Y) / 100, as the
// corner fields read them: where a raster with no placement lies.
CutCorners placeholderCorners(const RasterDescription& raster);

// The corners the edges give (top to 右上X, right to 右上Y, bottom to 左下X,
// left to 左下Y), each as a corner field reads it, from `origin`.
CutCorners cornersOfEdges(const NorthUpEdges& edges, CornerOrigin origin);

// The number a corner field reads from the text `plainText(value)`.
double asCornerFieldReads(double value);

}  // namespace pelmora
