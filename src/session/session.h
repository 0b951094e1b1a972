// The record that the window's commands share, under its own names: doubles
// for the corners and extents, 32-bit floats for the view's measures and the
// renderer's corner points, and the raster's path.
#pragma once

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
  float B_X0 = 0;
  float B_Y0 = 0;
  float B_XE = 0;
  float B_YE = 0;
  float B_X1 = 0;
  float B_Y1 = 0;
  float B_X2 = 0;
  float B_Y2 = 0;
  QString Filename;
};

}  // namespace pelmora
