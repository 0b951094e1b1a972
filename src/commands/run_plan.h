// The plan of a registration run: every image's name, pixel size, renderer
// geometry and world corners, worked out from the raster's description and
// the request alone, with every check that would otherwise stop the run
// midway made before anything is written.
#pragma once

#include "commands/cut_request.h"
#include "output/ar2_index.h"
#include "render/bil.h"
#include "tileset/tile_set.h"

#include <QStringList>
#include <vector>

namespace pelmora {

struct PlannedImage {
  QString fileName;          // "sheet12_0.JPG", "sheet12_1.JPG", ...
  int pixelWidth = 0;        // canvas size: the view's size in layout units / 15
  int pixelHeight = 0;
  CornerPoints corners;      // the B_ values handed to the renderer
  BilGeometry geometry;      // where the whole raster lands on the canvas
  IndexRecord record;        // what the index says of the image
  IndexRecord unrotated;     // the same corners before the rotation
  double rotationRadians = 0;  // turn about the origin from unrotated to record (0 for the overview)
  // The last columns and rows, past the sheet's far edges (a tile's stretch):
  // their pixel centres lie beyond the edge, or the raster is not drawn
  // into them (white).
  int pastColumns = 0;
  int pastRows = 0;
  bool reachesPastSheet() const { return pastColumns > 0 || pastRows > 0; }
};

struct RunPlan {
  QString rasterPath;
  TileSet set;
  int quality = 50;          // what the encoder receives
  int tileRows = 0;          // rows and columns the loops pass through
  int tileColumns = 0;
  std::vector<PlannedImage> images;  // the overview first, then the tiles in run order
  // The .aux.xml beside each image carry it (WKT); empty: none written.
  QString coordinateSystem;
  // The size of one cell in layout units, which the window's view takes at the end.
  float Cell_X = 0, Cell_Y = 0;

  QStringList imageNames() const;
};

// Corners of equal X or equal Y: every image would be placed on a line.
// Inverted corners place them mirrored and are allowed.
bool hasEmptyExtent(const CutCorners& corners);

// The plan of a run of `request` on `raster`: a pure function of the two.
// The coordinate system is left to the caller. Throws Failure for every
// check that would otherwise stop the run midway.
RunPlan planRun(const RasterDescription& raster, const CutRequest& request);

// The index lines exactly as the run writes them, without line ends.
QStringList indexLines(const RunPlan& plan);

}  // namespace pelmora
