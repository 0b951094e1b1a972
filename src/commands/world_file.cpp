#include "commands/world_file.h"

#include <cmath>
#include <cstdio>

namespace pelmora {

namespace {

// Round-trip digits, so that a reader gets back the very double we computed.
QString exact(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value + 0.0);  // + 0.0: no "-0"
  return QString::fromLatin1(buffer);
}

}  // namespace

QString worldFileText(const PlannedImage& image) {
  const IndexRecord& u = image.unrotated;
  const double W = image.pixelWidth, H = image.pixelHeight;
  // Unrotated, pixel edge (col, row) lies at Y = Yleft + col × a, X = Xtop − row × b.
  const double a = (u.upperRightY - u.lowerLeftY) / W;
  const double b = (u.upperRightX - u.lowerLeftX) / H;
  const double s = std::sin(image.rotationRadians), c = std::cos(image.rotationRadians);
  // The run turns (X, Y) about the origin into X' = −Y s + X c, Y' = Y c + X s;
  // east is Y', north is X'.
  const double A = a * c, B = -b * s;  // east per column, per row
  const double D = -a * s, E = -b * c;  // north per column, per row
  const double Yleft = u.lowerLeftY, Xtop = u.upperRightX;
  // C and F locate the centre of the upper-left pixel, half a pixel in from the corner.
  const double C = (Yleft * c + Xtop * s) + 0.5 * A + 0.5 * B;
  const double F = (-Yleft * s + Xtop * c) + 0.5 * D + 0.5 * E;
  // CR LF like the index beside it; every world-file reader takes either line end.
  QString text;
  for (double v : {A, D, B, E, C, F}) text += exact(v) + QStringLiteral("\r\n");
  return text;
}

}  // namespace pelmora
