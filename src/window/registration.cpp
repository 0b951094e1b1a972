#include "window/registration.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/messages_corners.h"
#include "base/numbers.h"
#include "commands/corner_sources.h"
#include "commands/cut.h"
#include "render/bil.h"
#include "commands/registration.h"
#include "window/extents.h"
#include "window/field_number.h"
#include "window/sheet_frame.h"

#include <QThread>
#include <algorithm>

namespace pelmora {
namespace {

// The view keeps the size of one cell and shows the last image; the session's
// corner points describe it.
// The last image is rendered again into a view that keeps pixels: the workers
// hold bands only, and the view shows the rendering, not a decoded JPEG. Each
// pixel depends on its position alone, so drawing it clipped to the view from
// the top-left corner gives the image's own pixels.
void showLastImage(Form& form, const RunPlan& plan, const RasterSource& raster) {
  Session& s = form.session;
  form.viewShowsRaster = false;
  s.Cell_X = plan.Cell_X;
  s.Cell_Y = plan.Cell_Y;
  s.corners = plan.images.back().corners;
  form.view.setWidth(plan.Cell_Y);
  form.view.setHeight(plan.Cell_X);
  form.view.clear();
  ImageBuffer canvas = form.view.pixels();
  if (canvas.data) {
    const PlannedImage& last = plan.images.back();
    canvas.width = std::min(canvas.width, last.pixelWidth);
    canvas.height = std::min(canvas.height, last.pixelHeight);
    drawRaster(raster, canvas, last.geometry.destination(), int(QThread::idealThreadCount()));
  }
  form.view.refresh();
}

}  // namespace

CutRequest requestOfFields(const Form& form) {
  const Fields& fields = form.fields;
  const Session& s = form.session;
  CutRequest request;
  request.quality = readFieldNumber(fields, Field::Text11);
  request.rows = readFieldNumber(fields, Field::Text5);
  request.columns = readFieldNumber(fields, Field::Text6);
  request.angle = toSingle(readFieldNumber(fields, Field::Text12));
  // The record keeps the last corners that fitted a double: corner texts
  // beyond one (or two whose span is) stop the run, rather than the index
  // quietly keeping corners the fields no longer show.
  Session corners;
  readCornersAndExtents(fields, corners);
  // A pair typed since the load is the user's, whatever the load found.
  const auto [upperTyped, lowerTyped] = form.typedCornerPairs();
  request.corners = {s.UR_X,
                     s.UR_Y,
                     s.LL_X,
                     s.LL_Y,
                     upperTyped ? CornerOrigin::given : form.upperRightOrigin,
                     lowerTyped ? CornerOrigin::given : form.lowerLeftOrigin,
                     form.sheetCode};
  if (!request.corners.fromSheetCode()) request.corners.sheetCode.reset();
  request.overviewSide = s.F_H;
  // No world file places an image on placeholders.
  request.worldFiles = form.worldFiles && !onPlaceholders(request.corners);
  return request;
}

CommandOutcome runRegistration(Form& form) {
  if (!form.raster || form.session.P_X == 0 || form.session.P_Y == 0) return CommandOutcome::notStarted();
  if (form.session.W_DX == 0 || form.session.W_DY == 0) return CommandOutcome::notStarted(messages::cornersFirst());
  RunPlan plan;
  bool worldFiles = false;
  std::shared_ptr<const LoadedRaster> raster;
  try {
    const CutRequest request = requestOfFields(form);
    worldFiles = request.worldFiles;
    // The frame's inside, set upright, as the batch tool cuts it for the same frame.
    raster = std::make_shared<const LoadedRaster>(rasterToCut(form));
    plan = planCut(*raster, request);
  } catch (...) {
    return CommandOutcome::stopped(Failure::fromCurrentException(form.session.Filename));
  }
  if (form.worldFiles && !worldFiles && !form.cornerSource.contains(messages::noWorldFilesOnPlaceholders()))
    form.cornerSource += u' ' + messages::noWorldFilesOnPlaceholders();
  const CommandOutcome outcome =
      registerRaster(plan, raster->source(), {form.makeEncoder, 0, worldFiles},
                     [&form](const QString& label, Progress& progress, const std::function<void()>& work) {
                       form.desktop.runWithProgress(label, progress, work);
                     });
  if (!outcome.isCompleted()) return outcome;
  try {
    showLastImage(form, plan, raster->source());
  } catch (...) {
    return CommandOutcome::stopped(Failure::fromCurrentException(form.session.Filename));
  }
  return outcome;
}

}  // namespace pelmora
