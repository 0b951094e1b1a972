// The four corners of a sheet's frame in a scan, in raster pixels: x the
// column, y the row, (0, 0) the top-left corner of the top-left pixel. A
// corner is where the middle lines of two adjacent sides of the frame line
// cross.
#pragma once

namespace pelmora {

struct FramePoint {
  double x = 0, y = 0;
  bool operator==(const FramePoint&) const = default;
};

struct FrameCorners {
  FramePoint topLeft, topRight, bottomRight, bottomLeft;
  bool operator==(const FrameCorners&) const = default;
};

// The corners of a raster of `width` by `height` pixels: its edges as a frame.
inline FrameCorners rasterEdges(double width, double height) {
  return {{0, 0}, {width, 0}, {width, height}, {0, height}};
}

// The point of the frame at (`across`, `down`), each a fraction 0 to 1 of the
// upright frame: the bilinear map of the unit square onto the four corners.
// Lines of one `across` (or one `down`) are straight, between the points of
// opposite edges.
inline FramePoint pointOfFrame(const FrameCorners& f, double across, double down) {
  const double top = 1 - down;
  const double x = top * ((1 - across) * f.topLeft.x + across * f.topRight.x) +
                   down * ((1 - across) * f.bottomLeft.x + across * f.bottomRight.x);
  const double y = top * ((1 - across) * f.topLeft.y + across * f.topRight.y) +
                   down * ((1 - across) * f.bottomLeft.y + across * f.bottomRight.y);
  return {x, y};
}

}  // namespace pelmora
