#include "commands/run.h"

#include "base/failure.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "output/file_lock.h"
#include "raster/georeference.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <optional>

namespace pelmora {
namespace {

// Each tile reaches this far past its cell towards its far side, in pixels and
// in world corners alike: other software relies on the overlap.
constexpr double kEdgeStretch = 1.002;
constexpr double kPi = 3.14159265359;
// More images than this are refused: no raster needs them, and the plan
// holds them all in memory.
constexpr double kMaxImages = 1e6;

// The canvas a view of that many layout units gets, as the view sizes itself.
int pixelsFor(float units) { return View(units, 0, false).pixelWidth(); }

struct RasterSize {
  int width, height;
};

PlannedImage plannedImage(const QString& name, float viewWidth, float viewHeight,
                          const CornerPoints& corners, RasterSize raster) {
  PlannedImage image;
  image.fileName = name;
  image.pixelWidth = pixelsFor(viewWidth);
  image.pixelHeight = pixelsFor(viewHeight);
  image.corners = corners;
  image.geometry = bilGeometry(raster.width, raster.height, float(image.pixelWidth * kUnitsPerPixel),
                               float(image.pixelHeight * kUnitsPerPixel), corners);
  return image;
}

PlannedImage planOverview(const Session& s, const QString& name, RasterSize raster) {
  // The window's height becomes the overview's longer side.
  double width, height;
  if (s.P_X > s.P_Y) {
    height = s.F_H;
    width = checkedFinite(divide(s.F_H, s.P_X) * s.P_Y);
  } else {
    width = s.F_H;
    height = divide(checkedFinite(double(s.P_X) * s.F_H), s.P_Y);
  }
  const float viewWidth = toSingle(width);
  const float viewHeight = toSingle(height);
  const float scaleHeight = float(pixelsFor(viewHeight) * kUnitsPerPixel);
  const float scaleWidth = float(pixelsFor(viewWidth) * kUnitsPerPixel);
  const CornerPoints corners{0, 0, scaleHeight, scaleWidth, 0, 0, scaleHeight, scaleWidth};
  PlannedImage image = plannedImage(name, viewWidth, viewHeight, corners, raster);
  image.record = {name, s.LL_X, s.LL_Y, s.UR_X, s.UR_Y};
  image.unrotated = image.record;
  return image;
}

// The largest side a JPEG file can describe.
constexpr int kMaxJpegSide = 65500;

void checkPixels(const PlannedImage& image, const QString& what) {
  if (image.pixelWidth < 1 || image.pixelHeight < 1)
    throw Failure(messages::imageBelowOnePixel(what, image.pixelWidth, image.pixelHeight));
  if (image.pixelWidth > kMaxJpegSide || image.pixelHeight > kMaxJpegSide)
    throw Failure(messages::imageBeyondJpegLimit(what, kMaxJpegSide, image.pixelWidth, image.pixelHeight));
}

// What would otherwise stop the run midway, checked before anything is written.
void checkOutputFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) throw Failure(messages::outputFolderMissing(), folder);
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".pelmora-probe-XXXXXX")));
  if (!probe.open()) throw Failure(messages::outputFolderNotWritable(probe.errorString()), folder);
}

// The view keeps the size of one cell and shows the last image; the session's
// corner points describe it.
// The last image is rendered again into a view that keeps pixels: the workers
// hold bands only, and the view shows the rendering, not a decoded JPEG. Each
// pixel depends on its position alone, so drawing it clipped to the view from
// the top-left corner gives the image's own pixels.
void showLastImage(Form& form, const RunPlan& plan, const RasterSource& raster) {
  Session& s = form.session;
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
    drawRaster(raster, canvas, last.geometry.destination(),
               form.runOptions.jobs > 0 ? form.runOptions.jobs : int(QThread::idealThreadCount()));
  }
  form.view.refresh();
}

}  // namespace

QString outputFolderFor(const RunOptions& options, const QString& rasterPath) {
  return options.outputFolder.isEmpty() ? QFileInfo(rasterPath).absolutePath() : options.outputFolder;
}

bool hasEmptyExtent(const Session& s) { return s.W_DX == 0 || s.W_DY == 0; }

namespace {

// The grid: cells of whole counts of rows and columns, none too large for the
// view that takes the size of one cell at the end, not too many of them.
void planGrid(RunPlan& plan, const Session& s, double rows, double columns) {
  // A fraction of a band, or none, would leave part of the raster in no tile.
  const auto whole = [](double count) { return count >= 1 && count == std::floor(count); };
  if (!whole(rows) || !whole(columns))
    throw Failure(messages::countsNotWhole(plainText(rows), plainText(columns)));
  plan.Cell_X = toSingle(divide(s.P_X, rows));
  plan.Cell_Y = toSingle(divide(s.P_Y, columns));
  try {
    pixelsFor(plan.Cell_X);
    pixelsFor(plan.Cell_Y);
  } catch (const Failure&) {
    throw Failure(messages::cellTooLargeForView());
  }
  plan.tileRows = int(std::min(rows, kMaxImages + 1));
  plan.tileColumns = int(std::min(columns, kMaxImages + 1));
  if (double(plan.tileRows) * plan.tileColumns > kMaxImages)
    throw Failure(messages::tooManyDivisions(plainText(rows), plainText(columns)));
}

// The turn of the tiles' world corners about the origin.
struct Turn {
  double radians, sine, cosine;
};

Turn turnOf(float degrees) {
  const double theta = checkedFinite(double(toSingle(divide(degrees, 180))) * kPi);
  return {theta, std::sin(theta), std::cos(theta)};
}

// Tile (i, j), counted from 1 from the top left, named `name`: its cell
// stretched towards its far side, in pixels and in world corners alike.
PlannedImage planTile(const RunPlan& plan, const Session& s, RasterSize raster, const QString& name,
                      double i, double j, double dX, double dY, const Turn& turn) {
  const CornerPoints corners{0, 0, s.P_X, s.P_Y,
                             toSingle(plan.Cell_X * (i - 1)), toSingle(plan.Cell_Y * (j - 1)),
                             toSingle((plan.Cell_X * i) * kEdgeStretch),
                             toSingle((plan.Cell_Y * j) * kEdgeStretch)};
  PlannedImage tile = plannedImage(name, plan.Cell_Y, plan.Cell_X, corners, raster);
  const double xBottom = checkedFinite(s.UR_X - ((dX * i) * kEdgeStretch));
  const double yLeft = checkedFinite(s.LL_Y + dY * (j - 1));
  const double xTop = checkedFinite(s.UR_X - dX * (i - 1));
  const double yRight = checkedFinite(s.LL_Y + ((dY * j) * kEdgeStretch));
  tile.unrotated = {name, xBottom, yLeft, xTop, yRight};
  tile.record = {name, checkedFinite((-yLeft) * turn.sine + xBottom * turn.cosine),
                 checkedFinite(yLeft * turn.cosine + xBottom * turn.sine),
                 checkedFinite((-yRight) * turn.sine + xTop * turn.cosine),
                 checkedFinite(yRight * turn.cosine + xTop * turn.sine)};
  tile.rotationRadians = turn.radians;
  return tile;
}

}  // namespace

RunPlan planRun(const RunRequest& request, const Session& s, int rasterWidth, int rasterHeight) {
  const RasterSize raster{rasterWidth, rasterHeight};
  RunPlan plan;
  plan.rasterPath = s.Filename;
  plan.outputFolder = outputFolderFor(request.options, s.Filename);
  plan.baseName = rasterBaseName(s.Filename);
  plan.indexFileName = plan.baseName + QStringLiteral(".AR2");
  if (hasEmptyExtent(s)) throw Failure(messages::cornersFirst());

  plan.images.push_back(planOverview(s, plan.baseName + QStringLiteral("_0.JPG"), raster));
  checkPixels(plan.images.front(), messages::overviewImage());

  const std::int32_t quality = roundHalfEven(request.quality);
  if (quality < 0 || quality > 255) throw Failure(messages::qualityOutOfRange(quality));
  plan.quality = quality;

  planGrid(plan, s, request.rows, request.columns);
  const Turn turn = turnOf(request.angle);
  const double dX = divide(s.W_DX, request.rows);
  const double dY = divide(s.W_DY, request.columns);
  int tileNumber = 1;
  for (double i = 1; i <= plan.tileRows; ++i) {
    for (double j = 1; j <= plan.tileColumns; ++j) {
      const QString name = plan.baseName + u'_' + QString::number(tileNumber) + QStringLiteral(".JPG");
      PlannedImage tile = planTile(plan, s, raster, name, i, j, dX, dY, turn);
      if (tileNumber == 1) checkPixels(tile, messages::oneCell());
      plan.images.push_back(std::move(tile));
      ++tileNumber;
    }
  }
  return plan;
}

CoordinateSystemChoice chooseCoordinateSystem(const Form& form, const QString& ownWkt, bool withWkt,
                                              bool withName) {
  using Origin = CoordinateSystemOrigin;
  const RunOptions& options = form.runOptions;
  if (!options.coordinateSystem.isEmpty())
    return {Origin::given, options.coordinateSystem, options.coordinateSystemName};
  if (!ownWkt.isEmpty()) {
    CoordinateSystemChoice own{Origin::georeference, ownWkt, {}};
    if (withName)
      if (const auto read = readCoordinateSystem(ownWkt)) own.name = read->epsgName;
    return own;
  }
  if (!form.sheetCode) return {};
  CoordinateSystemChoice zone{Origin::sheetCode, {},
                              QStringLiteral("EPSG:%1").arg(epsgOfZone(form.sheetCode->zone, options.datum))};
  if (withWkt) {
    const auto read = readCoordinateSystem(zone.name);
    if (!read) throw Failure(messages::unknownCoordinateSystem(zone.name));
    zone.wkt = read->wkt;
  }
  return zone;
}

RunPlan planRun(Form& form) {
  const RunRequest request = readRunRequest(form.fields, form.runOptions);
  const auto raster = form.rasters.open(form.session.Filename);
  RunPlan plan = planRun(request, form.session, raster->width(), raster->height());
  if (form.runOptions.worldFiles)
    plan.coordinateSystem =
        chooseCoordinateSystem(form, raster->georeference().coordinateSystem, /*withWkt=*/true, /*withName=*/false).wkt;
  return plan;
}

QStringList indexLines(const RunPlan& plan) {
  QStringList lines;
  for (const PlannedImage& image : plan.images) lines << indexLine(image.record);
  return lines;
}

QString runLockPath(const QString& folder, const QString& baseName) {
  return QDir(folder).filePath(u'.' + baseName + QStringLiteral(".pelmora-lock"));
}

CommandOutcome cancelledRun(const RunPlan& plan) {
  return CommandOutcome::cancelled(messages::runCancelled(), QDir(plan.outputFolder).filePath(plan.indexFileName));
}

CommandOutcome runRegistration(Form& form) {
  if (form.session.P_X == 0 || form.session.P_Y == 0) return CommandOutcome::notStarted();
  if (hasEmptyExtent(form.session)) return CommandOutcome::notStarted(messages::cornersFirst());
  try {
    const RunPlan plan = planRun(form);
    const auto raster = form.rasters.open(plan.rasterPath);
    checkOutputFolder(plan.outputFolder);

    std::optional<FileLock> lock = FileLock::tryAcquire(runLockPath(plan.outputFolder, plan.baseName));
    if (!lock) {
      Progress waiting(0);
      form.desktop.runWithProgress(messages::waitingForAnotherRun(plan.indexFileName), waiting, [&] {
        lock = FileLock::acquire(runLockPath(plan.outputFolder, plan.baseName), waiting.cancelRequested);
      });
      if (!lock) return cancelledRun(plan);
    }

    Progress progress(int(plan.images.size()));
    CommandOutcome outcome;
    form.desktop.runWithProgress(messages::writingImages(), progress, [&] {
      outcome = executeRun(plan, *raster, form.makeEncoder, form.runOptions.jobs, progress,
                           form.runOptions.worldFiles);
    });
    if (!outcome.isCompleted()) return outcome;
    lock.reset();
    showLastImage(form, plan, *raster);
    return outcome;
  } catch (...) {
    return CommandOutcome::stopped(Failure::fromCurrentException(form.session.Filename));
  }
}

}  // namespace pelmora
