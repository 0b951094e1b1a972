// The renderer bil: the whole raster scaled and shifted so that a chosen region
// fills the view. Two halves: the geometry, exact to the last rounding, and
// the drawing, which computes only the canvas pixels the raster lands on.
#pragma once

#include "base/corner_points.h"
#include "base/image_buffer.h"
#include "raster/raster_source.h"

#include <QRect>
#include <QString>
#include <cstdint>

namespace pelmora {

struct BilGeometry {
  std::int32_t c = 0;  // first raster column of the region (snapped)
  double r = 0;        // first raster row of the region (not rounded)
  float zoom = 0;      // view pixels per raster pixel, across
  float s = 0;         // view pixels per raster pixel, down
  std::int32_t dw = 0, dh = 0, x = 0, y = 0;  // destination rectangle in view pixels
  QRect destination() const { return QRect(x, y, dw, dh); }
};

// The geometry for a raster of w × h pixels and a view of vw × vh layout
// units. Throws Failure on a zero span (division by zero) and on a 32-bit
// product or rounding out of range (overflow).
BilGeometry bilGeometry(int w, int h, float vw, float vh, const CornerPoints& b);

// Draws the whole raster scaled into `destination` (view pixels; may reach
// outside the canvas), clipped to the canvas, leaving the canvas outside it
// as it was: bilinear near 1:1 and when enlarging, area averaging when
// shrinking. Uses up to `threads` threads.
void drawRaster(const RasterSource& source, const ImageBuffer& canvas, const QRect& destination,
                int threads = 1);

// The source rows [first, end) that drawRaster reads for a canvas of that
// size; first == end when it draws nothing there.
struct SourceRows {
  int first = 0, end = 0;
  bool empty() const { return first >= end; }
};
SourceRows sourceRowsRead(int sourceWidth, int sourceHeight, int canvasWidth, int canvasHeight,
                          const QRect& destination);

}  // namespace pelmora
