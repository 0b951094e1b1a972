// bil on the window's view: the raster placed by the renderer's geometry and
// drawn with every core into the view's canvas. The drawn pixels are kept, so
// that an identical redraw (the grid right after the load) costs a copy
// instead of a pass over the raster.
#pragma once

#include "base/corner_points.h"
#include "desktop/view.h"
#include "raster/raster_source.h"

#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

namespace pelmora {

// What was last drawn into a view.
struct ViewDrawing {
  std::weak_ptr<const RasterSource> source;
  QRect destination;
  QSize canvasSize;
  std::vector<std::uint8_t> pixels;  // the canvas inside the drawn part, right after drawing
};

// Computes the geometry of `b` for the view (raising its faults), draws
// `source` into the view's pixels when it keeps any, and refreshes it.
void drawIntoView(const std::shared_ptr<const RasterSource>& source, const CornerPoints& b, View& view,
                  ViewDrawing& last);

}  // namespace pelmora
