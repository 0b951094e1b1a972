// The renderer's corner points: the raster's edges and the region that is to
// fill the view, on the X (down) and Y (across) axes, as 32-bit floats. The
// session keeps one set; the run plans one per image.
#pragma once

namespace pelmora {

struct CornerPoints {
  float B_X0 = 0, B_Y0 = 0, B_XE = 0, B_YE = 0;
  float B_X1 = 0, B_Y1 = 0, B_X2 = 0, B_Y2 = 0;
};

}  // namespace pelmora
