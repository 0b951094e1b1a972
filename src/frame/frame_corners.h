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

}  // namespace pelmora
