// Where a sheet's frame line lies in a scan of the sheet: the four corners of
// the frame, found in the raster's own pixels, so that the margins (title,
// legend, labels, a decorative border) are not mapped onto the sheet's cell.
#pragma once

#include <QString>
#include <optional>

#include "frame/frame_corners.h"
#include "raster/raster_source.h"

namespace pelmora {

struct FrameSearch {
  double sheetHeightPerWidth = 0.75;  // the sheet's X : Y (rows : columns) proportions, 3 : 4
  // The frame's sides measured in the scan (rows / columns, each the mean of
  // two opposite sides) may differ from sheetHeightPerWidth by this much:
  // scanners scale across and along the glass slightly differently.
  double proportionTolerance = 0.005;
};

struct FrameFound {
  std::optional<FrameCorners> corners;
  QString whyNot;  // a fixed ASCII reason (see frame_reasons) when there are no corners
};

// The outermost thin line of the raster that closes a rectangle of the
// sheet's proportions; its corners are where the middles of adjacent sides
// cross, to a fraction of a pixel. Reads every row once, then narrow strips
// along the edges. Throws Failure when the source does.
FrameFound findFrame(const RasterSource& source, const FrameSearch& search = {});

namespace frame_reasons {
inline constexpr const char* noFrameLine = "no frame line";
inline constexpr const char* onlyThickLines = "no thin frame line, only thick lines";
inline constexpr const char* tooSmall = "raster too small for a frame";
// "frame cut at the top edge", ... (edge: top, bottom, left or right).
inline QString frameCutAt(const char* edge) {
  return QStringLiteral("frame cut at the %1 edge").arg(QLatin1String(edge));
}
// "proportions 0.7612 differ from 0.75".
inline QString proportionsDiffer(double found, double sheet) {
  return QStringLiteral("proportions %1 differ from %2").arg(found, 0, 'f', 4).arg(sheet);
}
}  // namespace frame_reasons

}  // namespace pelmora
