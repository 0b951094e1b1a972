// The record that the window's commands share, under its own names: doubles
// for the corners and extents, 32-bit floats for the view's measures and the
// renderer's corner points, and the raster's path.
#pragma once

#include "base/corner_points.h"

#include <QString>

namespace pelmora {

struct Session {
  double LL_X = 0;
  double LL_Y = 0;
  double UR_X = 0;
  double UR_Y = 0;
  double W_DX = 0;
  double W_DY = 0;
  float P_X = 0;
  float P_Y = 0;
  float Cell_X = 0;
  float Cell_Y = 0;
  float F_H = 0;
  CornerPoints corners;  // B_X0 to B_Y2, what the renderer last drew
  QString Filename;
};

}  // namespace pelmora
