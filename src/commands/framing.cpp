#include "commands/framing.h"

#include "base/failure.h"
#include "base/grid_steps.h"
#include "base/layout_units.h"
#include "base/messages_corners.h"
#include "frame/frame_finder.h"
#include "upright/straightened_source.h"

#include <cmath>

namespace pelmora {
namespace {

// Inside the raster (give or take a pixel), and turning one way round.
bool fitsRaster(const FrameCorners& f, int width, int height) {
  const FramePoint points[] = {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft};
  for (const FramePoint& p : points)
    if (!(p.x >= -1 && p.x <= width + 1 && p.y >= -1 && p.y <= height + 1)) return false;
  for (int i = 0; i < 4; ++i) {
    const FramePoint &a = points[i], &b = points[(i + 1) % 4], &c = points[(i + 2) % 4];
    if ((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x) <= 0) return false;
  }
  return true;
}

}  // namespace

LoadedRaster straightenedRaster(const LoadedRaster& loaded, const FrameCorners& frame) {
  const RasterSource& scan = loaded.source();
  if (frameOnRasterEdges(frame, scan.width(), scan.height())) return loaded;
  LoadedRaster upright = loaded;
  upright.opened.source = straightenedSource(loaded.opened.source, frame);
  const RasterSource& source = *upright.opened.source;
  upright.description.width = source.width();
  upright.description.height = source.height();
  upright.description.P_X = float(source.height() * kUnitsPerPixel);
  upright.description.P_Y = float(source.width() * kUnitsPerPixel);
  return upright;
}

QString frameCornersText(const FrameCorners& f) {
  QStringList points;
  for (const FramePoint& p : {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft})
    points << QStringLiteral("%1,%2").arg(p.x, 0, 'f', 2).arg(p.y, 0, 'f', 2);
  return points.join(u' ');
}

namespace {

bool fromOrigin(const CutCorners& corners, CornerOrigin origin) {
  return corners.upperRightOrigin == origin || corners.lowerLeftOrigin == origin;
}

}  // namespace

bool looksForFrame(const FrameRequest& frame, const CutCorners& corners) {
  using Mode = FrameRequest::Mode;
  if (fromOrigin(corners, CornerOrigin::georeference)) return false;
  return frame.mode == Mode::detect || (frame.mode == Mode::bySheetCode && fromOrigin(corners, CornerOrigin::sheetCode));
}

FramedRaster frameRaster(const LoadedRaster& loaded, const CutCorners& corners, const FrameRequest& frame) {
  using Mode = FrameRequest::Mode;
  if (frame.mode == Mode::none) return {loaded, {}, {}, {}};
  if (frame.mode == Mode::bySheetCode && !looksForFrame(frame, corners)) return {loaded, {}, {}, {}};
  if (fromOrigin(corners, CornerOrigin::georeference))
    return {loaded, {}, QStringLiteral("frame: none (georeference)"), {messages::frameNotForGeoreference()}};
  const QString& path = loaded.description.path;
  const RasterSource& scan = loaded.source();
  if (frame.mode == Mode::given) {
    if (!fitsRaster(frame.corners, scan.width(), scan.height()))
      throw Failure(messages::frameOutsideRaster(frameCornersText(frame.corners), scan.width(), scan.height()), path);
    return {straightenedRaster(loaded, frame.corners), frame.corners, QStringLiteral("frame: given ") + frameCornersText(frame.corners), {}};
  }
  const FrameFound found = findFrame(scan);
  if (found.corners)
    return {straightenedRaster(loaded, *found.corners), found.corners,
            QStringLiteral("frame: detected ") + frameCornersText(*found.corners), {}};
  const double heightPerWidth = double(scan.height()) / scan.width();
  if (std::abs(heightPerWidth / 0.75 - 1) > 0.01) throw Failure(messages::frameNotFound(found.whyNot), path);
  return {loaded, {}, QStringLiteral("frame: none (%1)").arg(found.whyNot), {messages::frameNotFoundEdgesKept(found.whyNot)}};
}

std::vector<FrameSegment> gridOnFrame(const FrameCorners& frame, double rows, double columns, double rowLimit,
                                      double columnLimit) {
  std::vector<FrameSegment> lines;
  for (double i : gridLineNumbers(rows, rowLimit)) {
    const double down = i / rows;
    if (down < 1) lines.push_back({pointOfFrame(frame, 0, down), pointOfFrame(frame, 1, down)});
  }
  for (double i : gridLineNumbers(columns, columnLimit)) {
    const double across = i / columns;
    if (across < 1) lines.push_back({pointOfFrame(frame, across, 0), pointOfFrame(frame, across, 1)});
  }
  return lines;
}

}  // namespace pelmora
