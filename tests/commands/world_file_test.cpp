// World files checked the way GIS software reads them: the affine of the six
// numbers must carry each image's pixel corners onto the corners its index
// record gives, rotation included.
#include "commands/world_file.h"

#include "base/field_text.h"
#include "base/numbers.h"
#include "commands/cut.h"
#include "support/test_rasters.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace pelmora {
namespace {

struct Affine {
  double A, D, B, E, C, F;
  // World (east, north) of a point given in pixel edges: (0, 0) is the
  // upper-left corner of the image, (W, H) its lower-right one.
  std::pair<double, double> atEdge(double col, double row) const {
    const double px = col - 0.5, py = row - 0.5;  // world files address pixel centres
    return {A * px + B * py + C, D * px + E * py + F};
  }
};

Affine parse(const QString& text) {
  const QStringList lines = text.split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.size(), 7) << text.toStdString();
  EXPECT_EQ(lines.value(6), "");
  double v[6] = {};
  for (int i = 0; i < 6; ++i) {
    bool ok = false;
    v[i] = lines.value(i).toDouble(&ok);
    EXPECT_TRUE(ok) << lines.value(i).toStdString();
  }
  return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

TEST(WorldFile, TextOfAnUnrotatedImage) {
  PlannedImage image;
  image.pixelWidth = 200;
  image.pixelHeight = 100;
  image.unrotated = {QStringLiteral("a_1.JPG"), 1000, 2000, 1100, 2400};
  image.record = image.unrotated;
  // 2 east per column, 1 south per row, centre of the upper-left pixel at
  // (2001, 1099.5); no "-0" for the zero terms.
  EXPECT_EQ(worldFileText(image), "2\r\n0\r\n0\r\n-1\r\n2001\r\n1099.5\r\n");
}

TEST(WorldFile, NameSitsBesideTheImage) {
  EXPECT_EQ(worldFileName("sheet12_7.JPG"), "sheet12_7.jgw");
  EXPECT_EQ(worldFileName("map.v2_0.JPG"), "map.v2_0.jgw");
  EXPECT_EQ(worldFileName("bare"), "bare.jgw");
}

// Loads a generated raster as the front ends do and plans a run of the
// corners, grid and angle typed.
RunPlan plannedRun(const QString& folder, int width, int height, const QStringList& corners,
                   const QString& rows, const QString& columns, const QString& angle) {
  const QString path = testing::writeBmp24(folder + "/map.bmp", testing::positionImage(width, height));
  const LoadedRaster loaded = loadRasterFile(path, TileSet(path), Decoding::beforeOpening, nullptr);
  CutRequest request;
  request.corners = {readFieldText(corners[0]), readFieldText(corners[1]), readFieldText(corners[2]),
                     readFieldText(corners[3])};
  request.rows = readFieldText(rows);
  request.columns = readFieldText(columns);
  request.angle = toSingle(readFieldText(angle));
  request.overviewSide = 16200;
  return planCut(loaded, request);
}

void expectNear(std::pair<double, double> got, double east, double north, double scale,
                const QString& what) {
  const double tolerance = 1e-9 * std::max({std::abs(east), std::abs(north), scale});
  EXPECT_NEAR(got.first, east, tolerance) << what.toStdString();
  EXPECT_NEAR(got.second, north, tolerance) << what.toStdString();
}

void expectCornersOnTheIndex(const RunPlan& plan, double scale) {
  ASSERT_GT(plan.images.size(), 1u);
  for (const PlannedImage& image : plan.images) {
    const Affine a = parse(worldFileText(image));
    const double W = image.pixelWidth, H = image.pixelHeight;
    const IndexRecord& r = image.record;
    expectNear(a.atEdge(0, H), r.lowerLeftY, r.lowerLeftX, scale, image.fileName + " lower-left");
    expectNear(a.atEdge(W, 0), r.upperRightY, r.upperRightX, scale, image.fileName + " upper-right");
    // The upper-left corner pins the orientation: no mirrored mapping reaches it.
    const IndexRecord& u = image.unrotated;
    const double s = std::sin(image.rotationRadians), c = std::cos(image.rotationRadians);
    expectNear(a.atEdge(0, 0), u.lowerLeftY * c + u.upperRightX * s,
               -u.lowerLeftY * s + u.upperRightX * c, scale, image.fileName + " upper-left");
  }
}

TEST(WorldFile, PixelCornersLandOnTheIndexCornersWithoutRotation) {
  QTemporaryDir dir;
  const RunPlan plan = plannedRun(dir.path(), 330, 250, {"-30500", "80250.5", "-31737.25", "79100"},
                                  "3", "4", "0");
  expectCornersOnTheIndex(plan, 1500);
  for (const PlannedImage& image : plan.images) {
    const Affine a = parse(worldFileText(image));
    EXPECT_GT(a.A, 0);
    EXPECT_LT(a.E, 0);  // north up
    EXPECT_EQ(a.B, 0);
    EXPECT_EQ(a.D, 0);
  }
}

TEST(WorldFile, PixelCornersLandOnTheIndexCornersWithRotation) {
  QTemporaryDir dir;
  for (const char* angle : {"30", "-137.25", "90"}) {
    const RunPlan plan = plannedRun(dir.path(), 301, 407, {"5400120", "-250000", "5398000", "-251700"},
                                    "2", "3", angle);
    ASSERT_NE(plan.images.back().rotationRadians, 0) << angle;
    expectCornersOnTheIndex(plan, 5.4e6);
    const Affine a = parse(worldFileText(plan.images.back()));
    EXPECT_NE(a.B, 0) << angle;  // the turn is carried by the rotation terms
    EXPECT_NE(a.D, 0) << angle;
  }
}

}  // namespace
}  // namespace pelmora
