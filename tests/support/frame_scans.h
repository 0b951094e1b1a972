// Scans of map sheets rendered in memory, with the frame's true corners:
// paper, map content, a thin frame line, a margin with labels and ticks, an
// optional decorative border, then skew and a scanner's unequal scales.
#pragma once

#include <QImage>

#include "frame/frame_corners.h"

namespace pelmora::testing {

struct FrameScanSpec {
  int frameWidth = 1800;         // pixels before scaling; the frame is 3/4 as high
  double frameLineWidth = 3;     // 0: no frame line
  double marginFraction = 0.05;  // on every side, of the frame's width
  double borderWidth = 0;        // 0: no decorative border (in the middle of the margin, if any)
  double skewDegrees = 0;
  double scaleAcross = 1, scaleAlong = 1;  // x, y
  bool roadsAlongFrame = true;             // long roads parallel to each side, just inside it
  double roadInset = 0;                    // their middles' distance inside the frame line's; 0: 12 to 28 pixels
  bool jpegDamage = false;                 // saved and read back at JPEG quality 60
  double blur = 0;                         // the scanner's optics: a Gaussian of this sigma, in pixels
  bool unevenPaper = false;                // yellowed unevenly: a gradient across the sheet and stains
  double lineGaps = 0;                     // fraction of the frame line worn away, in short gaps
  bool cutAtTop = false;                   // the raster starts below the frame's top side
  unsigned seed = 1;
};

struct FrameScan {
  QImage image;
  FrameCorners corners;  // the frame line's middle, in the image's pixels
};

FrameScan renderFrameScan(const FrameScanSpec& spec);

}  // namespace pelmora::testing
