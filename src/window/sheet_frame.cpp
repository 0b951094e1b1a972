#include "window/sheet_frame.h"

#include "base/layout_units.h"
#include "base/messages.h"
#include "base/messages_corners.h"
#include "commands/framing.h"
#include "frame/frame_finder.h"
#include "render/bil.h"
#include "window/field_number.h"
#include "window/grid.h"

#include <algorithm>
#include <cmath>

namespace pelmora {
namespace {

constexpr Rgb kFrameColour{0, 0, 255};
constexpr int kFrameLineWidth = 2;
// How near the mouse must come to a corner to take it, in view pixels.
constexpr double kCornerReach = 8;

template <typename Corners>  // FrameCorners, const or not
auto& cornerOf(Corners& frame, int corner) {
  decltype(&frame.topLeft) corners[] = {&frame.topLeft, &frame.topRight, &frame.bottomRight, &frame.bottomLeft};
  return *corners[std::clamp(corner, 0, 3)];
}

// Where the raster lies on the view's canvas, as the view last drew it.
QRectF rasterOnCanvas(const Form& form) {
  const RasterSource& raster = form.raster->source();
  return bilGeometry(raster.width(), raster.height(), form.view.width(), form.view.height(), form.session.corners)
      .destination();
}

QPointF canvasPointOf(const Form& form, const FramePoint& p) {
  const RasterSource& raster = form.raster->source();
  const QRectF on = rasterOnCanvas(form);
  return {on.x() + p.x * on.width() / raster.width(), on.y() + p.y * on.height() / raster.height()};
}

// The view's user coordinates of a canvas point (the inverse of View::toPixels).
QPointF userPointOf(const View& view, QPointF canvas) {
  return {view.scaleLeft() + canvas.x() * view.scaleWidth() / std::max(view.pixelWidth(), 1),
          view.scaleTop() + canvas.y() * view.scaleHeight() / std::max(view.pixelHeight(), 1)};
}

QLineF userLine(const Form& form, const FramePoint& from, const FramePoint& to) {
  return {userPointOf(form.view, canvasPointOf(form, from)), userPointOf(form.view, canvasPointOf(form, to))};
}

bool frameIsOnView(const Form& form) { return cutsAtFrame(form) && form.viewShowsRaster; }

void sayFrame(Form& form) {
  if (!form.frame) return;
  const QString corners = frameCornersText(*form.frame);
  form.frameNote =
      form.frameMovedByHand ? messages::frameMovedInWindow(corners) : messages::frameFoundInWindow(corners);
  if (!form.cutAtFrame) form.frameNote += u' ' + messages::frameNotCutInWindow();
}

// The width per height of the raster the run would cut. A corner dragged
// across another makes no frame yet: the field keeps its text, and a run
// would say why.
void writeRatioOfCut(Form& form) {
  try {
    form.fields.setText(Field::Text8, proposeGrid(*form.raster, rasterToCut(form)).ratioText);
  } catch (const Failure&) {
  }
}

// Redraws the view; a drawing fault is the outcome.
CommandOutcome redraw(Form& form) {
  try {
    drawGrid(form);
    return CommandOutcome::completed();
  } catch (...) {
    return CommandOutcome::stopped(Failure::fromCurrentException(form.session.Filename));
  }
}

}  // namespace

bool cutsAtFrame(const Form& form) { return form.frame && form.cutAtFrame && form.raster; }

LoadedRaster rasterToCut(const Form& form) {
  if (!cutsAtFrame(form)) return *form.raster;
  CutCorners corners;  // typed, so that the frame given is taken as it is
  return frameRaster(*form.raster, corners, {FrameRequest::Mode::given, *form.frame}).raster;
}

void lookForFrameOfLoad(Form& form) {
  form.frame.reset();
  form.frameMovedByHand = false;
  form.cutAtFrame = true;
  form.frameNote.clear();
  CutCorners corners;
  corners.upperRightOrigin = form.upperRightOrigin;
  corners.lowerLeftOrigin = form.lowerLeftOrigin;
  if (!looksForFrame(FrameRequest{}, corners)) return;
  FrameFound found;
  Progress progress(0);
  progress.showAfterMilliseconds = 500;
  const std::shared_ptr<const LoadedRaster> raster = form.raster;
  try {
    form.desktop.runWithProgress(messages::lookingForFrame(), progress,
                                 [&] { found = findFrame(raster->source()); });
  } catch (...) {
    // The scan was loaded; a finder that cannot run (its module missing, say)
    // leaves the raster's edges, and the line says why.
    found.whyNot = Failure::fromCurrentException({}).message();
  }
  if (!found.corners) {
    form.frameNote = messages::frameNotFoundInWindow(found.whyNot);
    return;
  }
  form.frame = found.corners;
  sayFrame(form);
}

bool drawGridOnFrame(Form& form, double rows, double columns, double rowLimit, double columnLimit) {
  if (!frameIsOnView(form)) return false;
  View& view = form.view;
  std::vector<QLineF> grid;
  for (const FrameSegment& line : gridOnFrame(*form.frame, rows, columns, rowLimit, columnLimit))
    grid.push_back(userLine(form, line.from, line.to));
  view.drawLines(grid, kGridColour);
  const FrameCorners& f = *form.frame;
  const std::vector<QLineF> edges{userLine(form, f.topLeft, f.topRight), userLine(form, f.topRight, f.bottomRight),
                                  userLine(form, f.bottomRight, f.bottomLeft),
                                  userLine(form, f.bottomLeft, f.topLeft)};
  const int gridWidth = view.drawWidth();
  view.setDrawWidth(kFrameLineWidth);
  view.drawLines(edges, kFrameColour);
  view.setDrawWidth(gridWidth);
  return true;
}

std::optional<QPointF> frameCornerOnView(const Form& form, int corner) {
  if (!frameIsOnView(form)) return std::nullopt;
  return canvasPointOf(form, cornerOf(*form.frame, corner));
}

std::optional<int> frameCornerAt(const Form& form, QPointF canvasPoint) {
  std::optional<int> nearest;
  double nearestDistance = kCornerReach;
  for (int corner = 0; corner < 4; ++corner) {
    const std::optional<QPointF> on = frameCornerOnView(form, corner);
    if (!on) return std::nullopt;
    const QPointF at = *on;
    const double distance = std::hypot(at.x() - canvasPoint.x(), at.y() - canvasPoint.y());
    if (distance <= nearestDistance) nearest = corner, nearestDistance = distance;
  }
  return nearest;
}

CommandOutcome moveFrameCorner(Form& form, int corner, QPointF canvasPoint) {
  if (!frameIsOnView(form)) return CommandOutcome::notStarted();
  const RasterSource& raster = form.raster->source();
  const QRectF on = rasterOnCanvas(form);
  FramePoint& p = cornerOf(*form.frame, corner);
  p.x = std::clamp((canvasPoint.x() - on.x()) * raster.width() / std::max(on.width(), 1.0), 0.0,
                   double(raster.width()));
  p.y = std::clamp((canvasPoint.y() - on.y()) * raster.height() / std::max(on.height(), 1.0), 0.0,
                   double(raster.height()));
  form.frameMovedByHand = true;
  sayFrame(form);
  writeRatioOfCut(form);
  return redraw(form);
}

CommandOutcome setCutAtFrame(Form& form, bool cut) {
  form.cutAtFrame = cut;
  if (!form.frame || !form.raster) return CommandOutcome::notStarted();
  sayFrame(form);
  writeRatioOfCut(form);
  return redraw(form);
}

}  // namespace pelmora
