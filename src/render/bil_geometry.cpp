#include "base/failure.h"
#include "base/layout_units.h"
#include "base/numbers.h"
#include "render/bil.h"

#include <limits>

namespace pelmora {
namespace {

// w × 15 as the 32-bit product the geometry is defined with.
double timesUnitsPerPixel(int pixels) {
  const std::int64_t product = std::int64_t(pixels) * std::int64_t(kUnitsPerPixel);
  if (product > std::numeric_limits<std::int32_t>::max() ||
      product < std::numeric_limits<std::int32_t>::min())
    throw Failure::overflow();
  return double(product);
}

std::int32_t negated(std::int32_t v) {
  if (v == std::numeric_limits<std::int32_t>::min()) throw Failure::overflow();
  return -v;
}

}  // namespace

BilGeometry bilGeometry(int w, int h, float vw, float vh, const CornerPoints& b) {
  BilGeometry g;
  // Across: the region's first column is snapped to a whole raster pixel.
  g.c = roundHalfEven(checkedFinite(divide(w, double(b.B_YE) - b.B_Y0) * (double(b.B_Y1) - b.B_Y0)));
  g.zoom = toSingle(divide(checkedFinite(divide(vw, timesUnitsPerPixel(w)) * (double(b.B_YE) - b.B_Y0)),
                           double(b.B_Y2) - b.B_Y1));
  g.dw = roundHalfEven(double(g.zoom) * w);
  // Down: the first row stays fractional.
  g.r = checkedFinite(divide(h, double(b.B_XE) - b.B_X0) * (double(b.B_X1) - b.B_X0));
  g.s = toSingle(divide(checkedFinite(divide(vh, timesUnitsPerPixel(h)) * (double(b.B_X0) - b.B_XE)),
                        double(b.B_X1) - b.B_X2));
  g.dh = roundHalfEven(double(g.s) * h);
  g.y = roundHalfEven(double(g.s) * -g.r);
  g.x = roundHalfEven(double(g.zoom) * negated(g.c));
  return g;
}

}  // namespace pelmora
