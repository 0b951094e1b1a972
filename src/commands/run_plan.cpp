#include "commands/run_plan.h"

#include "base/failure.h"
#include "base/jpeg_quality.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "desktop/view.h"

#include <algorithm>
#include <cmath>

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

PlannedImage planOverview(const RasterDescription& s, const CutCorners& corners, float side, const QString& name) {
  double width, height;
  if (s.P_X > s.P_Y) {
    height = side;
    width = checkedFinite(divide(side, s.P_X) * s.P_Y);
  } else {
    width = side;
    height = divide(checkedFinite(double(s.P_X) * side), s.P_Y);
  }
  const float viewWidth = toSingle(width);
  const float viewHeight = toSingle(height);
  const float scaleHeight = float(pixelsFor(viewHeight) * kUnitsPerPixel);
  const float scaleWidth = float(pixelsFor(viewWidth) * kUnitsPerPixel);
  const CornerPoints points{0, 0, scaleHeight, scaleWidth, 0, 0, scaleHeight, scaleWidth};
  PlannedImage image = plannedImage(name, viewWidth, viewHeight, points, {s.width, s.height});
  image.record = {name, corners.lowerLeftX, corners.lowerLeftY, corners.upperRightX, corners.upperRightY};
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

}  // namespace

bool hasEmptyExtent(const CutCorners& corners) {
  return corners.extentX() == 0 || corners.extentY() == 0;
}

double CutCorners::extentX() const { return checkedFinite(upperRightX - lowerLeftX); }
double CutCorners::extentY() const { return checkedFinite(upperRightY - lowerLeftY); }

QStringList RunPlan::imageNames() const {
  QStringList names;
  for (const PlannedImage& image : images) names << image.fileName;
  return names;
}

namespace {

// The grid: cells of whole counts of rows and columns, not too many of them.
void planGrid(RunPlan& plan, const RasterDescription& raster, double rows, double columns) {
  // A fraction of a band, or none, would leave part of the raster in no tile.
  const auto whole = [](double count) { return count >= 1 && count == std::floor(count); };
  if (!whole(rows) || !whole(columns))
    throw Failure(messages::countsNotWhole(plainText(rows), plainText(columns)));
  plan.Cell_X = toSingle(divide(raster.P_X, rows));
  plan.Cell_Y = toSingle(divide(raster.P_Y, columns));
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
// (dX, dY) is the world size of a cell.
struct TilePlace {
  double i, j, dX, dY;
};

PlannedImage planTile(const RunPlan& plan, const RasterDescription& raster, const CutCorners& world,
                      const QString& name, const TilePlace& at, const Turn& turn) {
  const double i = at.i, j = at.j;
  const CornerPoints corners{0, 0, raster.P_X, raster.P_Y,
                             toSingle(plan.Cell_X * (i - 1)), toSingle(plan.Cell_Y * (j - 1)),
                             toSingle((plan.Cell_X * i) * kEdgeStretch),
                             toSingle((plan.Cell_Y * j) * kEdgeStretch)};
  PlannedImage tile = plannedImage(name, plan.Cell_Y, plan.Cell_X, corners, {raster.width, raster.height});
  const double xBottom = checkedFinite(world.upperRightX - ((at.dX * i) * kEdgeStretch));
  const double yLeft = checkedFinite(world.lowerLeftY + at.dY * (j - 1));
  const double xTop = checkedFinite(world.upperRightX - at.dX * (i - 1));
  const double yRight = checkedFinite(world.lowerLeftY + ((at.dY * j) * kEdgeStretch));
  tile.unrotated = {name, xBottom, yLeft, xTop, yRight};
  tile.record = {name, checkedFinite((-yLeft) * turn.sine + xBottom * turn.cosine),
                 checkedFinite(yLeft * turn.cosine + xBottom * turn.sine),
                 checkedFinite((-yRight) * turn.sine + xTop * turn.cosine),
                 checkedFinite(yRight * turn.cosine + xTop * turn.sine)};
  tile.rotationRadians = turn.radians;
  return tile;
}

// Of `count` pixels laid from `near` to `far`, how many have their centres
// before `sheetFar`, the sheet's edge on that side.
int pixelsOnSheet(int count, double near, double far, double sheetFar) {
  const double centres = std::floor((sheetFar - near) / (far - near) * count + 0.5);
  return int(std::clamp(checkedFinite(centres), 0.0, double(count)));
}

// The part of the image on the sheet, by its world corners, and drawn: the
// destination's rounding may leave the last pixel white although its
// centre lies on the sheet.
void markSheetPart(PlannedImage& image, const CutCorners& world) {
  const IndexRecord& u = image.unrotated;
  const QRect drawn = image.geometry.destination();
  const int W = image.pixelWidth, H = image.pixelHeight;
  image.pastColumns = W - std::min(pixelsOnSheet(W, u.lowerLeftY, u.upperRightY, world.upperRightY),
                                   std::clamp(drawn.x() + drawn.width(), 0, W));
  image.pastRows = H - std::min(pixelsOnSheet(H, u.upperRightX, u.lowerLeftX, world.lowerLeftX),
                                std::clamp(drawn.y() + drawn.height(), 0, H));
}

}  // namespace

RunPlan planRun(const RasterDescription& raster, const CutRequest& request) {
  const CutCorners& world = request.corners;
  RunPlan plan{raster.path, TileSet(raster.path, request.outputFolder)};
  if (hasEmptyExtent(world)) throw Failure(messages::cornersFirst());

  plan.images.push_back(planOverview(raster, world, request.overviewSide, plan.set.imageFileName(0)));
  checkPixels(plan.images.front(), messages::overviewImage());
  plan.quality = jpegQuality(request.quality);

  planGrid(plan, raster, request.rows, request.columns);
  const Turn turn = turnOf(request.angle);
  const double dX = divide(world.extentX(), request.rows);
  const double dY = divide(world.extentY(), request.columns);
  int tileNumber = 1;
  for (double i = 1; i <= plan.tileRows; ++i) {
    for (double j = 1; j <= plan.tileColumns; ++j) {
      PlannedImage tile = planTile(plan, raster, world, plan.set.imageFileName(tileNumber), {i, j, dX, dY}, turn);
      if (tileNumber == 1) checkPixels(tile, messages::oneCell());
      plan.images.push_back(std::move(tile));
      ++tileNumber;
    }
  }
  for (PlannedImage& image : plan.images) markSheetPart(image, world);
  return plan;
}

QStringList indexLines(const RunPlan& plan) {
  QStringList lines;
  for (const PlannedImage& image : plan.images) lines << indexLine(image.record);
  return lines;
}

}  // namespace pelmora
