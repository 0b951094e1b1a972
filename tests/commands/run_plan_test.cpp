#include "base/failure.h"
#include "base/messages.h"
#include "commands/run_plan.h"
#include "base/field_text.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

namespace pelmora {
namespace {

// A request as the fields' initial texts make it, on a raster described by hand.
class PlanTest : public ::testing::Test {
 protected:
  RasterDescription raster;
  CutRequest request;
  QTemporaryDir dir;

  void SetUp() override {
    request.corners = {0, 0, 1000, 1000};
    request.overviewSide = 16200;
  }
  void useRaster(const QString& name, int width, int height) {
    raster = {dir.filePath(name), width, height, float(height * 15), float(width * 15)};
  }
  void setCorners(const char* upperRightX, const char* upperRightY, const char* lowerLeftX,
                  const char* lowerLeftY) {
    request.corners = {readFieldText(upperRightX), readFieldText(upperRightY), readFieldText(lowerLeftX),
                       readFieldText(lowerLeftY)};
  }
  void setGrid(const char* rows, const char* columns) {
    request.rows = readFieldText(rows);
    request.columns = readFieldText(columns);
  }
  RunPlan planned() const { return planRun(raster, request); }
  QString failureOf() {
    try {
      planned();
    } catch (const Failure& failure) {
      return failure.message();
    }
    return {};
  }
};

TEST_F(PlanTest, WorkedExampleComesOutByteForByte) {
  useRaster("sheet12.bmp", 300, 100);
  setCorners("100", "300", "0", "0");
  setGrid("2", "3");
  const RunPlan plan = planned();
  const QStringList expected{
      "sheet12_0.JPG, 0, 0, 100, 300",
      "sheet12_1.JPG, 49.9, 0, 100, 100.2",
      "sheet12_2.JPG, 49.9, 100, 100, 200.4",
      "sheet12_3.JPG, 49.9, 200, 100, 300.6",
      "sheet12_4.JPG,-.200000000000003, 0, 50, 100.2",
      "sheet12_5.JPG,-.200000000000003, 100, 50, 200.4",
      "sheet12_6.JPG,-.200000000000003, 200, 50, 300.6",
  };
  EXPECT_EQ(indexLines(plan), expected);
  EXPECT_EQ(plan.set.indexFileName(), "sheet12.AR2");
  EXPECT_EQ(plan.set.folder(), dir.path());
  EXPECT_EQ(plan.quality, 50);
}

TEST_F(PlanTest, OverviewTakesTheWindowHeightOnItsLongerSide) {
  useRaster("wide.bmp", 300, 100);
  setGrid("1", "1");
  const PlannedImage wide = planned().images.front();
  EXPECT_EQ(wide.pixelWidth, 1080);
  EXPECT_EQ(wide.pixelHeight, 360);
  EXPECT_EQ(wide.geometry.destination(), QRect(0, 0, 1080, 360));

  useRaster("tall.bmp", 100, 300);
  const PlannedImage tall = planned().images.front();
  EXPECT_EQ(tall.pixelWidth, 360);
  EXPECT_EQ(tall.pixelHeight, 1080);
}

TEST_F(PlanTest, TilesAreCellsStretchedTowardsTheirFarSide) {
  useRaster("a.bmp", 300, 100);
  setGrid("2", "3");
  const RunPlan plan = planned();
  ASSERT_EQ(plan.images.size(), 7u);
  EXPECT_EQ(plan.Cell_X, 750);
  EXPECT_EQ(plan.Cell_Y, 1500);
  const PlannedImage& tile5 = plan.images[5];  // row 2, column 2
  EXPECT_EQ(tile5.fileName, "a_5.JPG");
  EXPECT_EQ(tile5.pixelWidth, 100);
  EXPECT_EQ(tile5.pixelHeight, 50);
  EXPECT_EQ(tile5.corners.B_X1, 750);
  EXPECT_EQ(tile5.corners.B_Y1, 1500);
  EXPECT_EQ(tile5.corners.B_X2, float(1500 * 1.002));
  EXPECT_EQ(tile5.corners.B_Y2, float(3000 * 1.002));
  EXPECT_EQ(tile5.corners.B_XE, 1500);
  EXPECT_EQ(tile5.corners.B_YE, 4500);
  // The region starts at column 100 and row 50 of the raster.
  EXPECT_EQ(tile5.geometry.c, 100);
  EXPECT_DOUBLE_EQ(tile5.geometry.r, 50);
  EXPECT_LT(tile5.geometry.dw, 300);  // drawn a little smaller: the stretch
}

TEST_F(PlanTest, OneByOneGivesTwoRecords) {
  useRaster("one.bmp", 30, 20);
  setCorners("100", "300", "0", "0");
  setGrid("1", "1");
  const QStringList lines = indexLines(planned());
  EXPECT_EQ(lines, (QStringList{"one_0.JPG, 0, 0, 100, 300",
                            "one_1.JPG,-.200000000000003, 0, 100, 300.6"}));
}

// A fraction of a band, or none, would leave part of the raster in no tile.
TEST_F(PlanTest, CountsMustBeWholeNumbersOfAtLeastOne) {
  useRaster("a.bmp", 30, 20);
  for (const auto& [rows, columns] :
       {std::pair{"2.5", "3"}, {"0.5", "0.5"}, {"0", "3"}, {"-1", "3"}, {"2", "2.7"}}) {
    setGrid(rows, columns);
    EXPECT_EQ(failureOf(), messages::countsNotWhole(rows, columns)) << rows << " " << columns;
  }
  // Whole by value, in any of the fields' number forms.
  for (const char* rows : {"2.0", "２", "&H2", " 0.2E1"}) {
    setGrid(rows, "1e1");
    const RunPlan plan = planned();
    EXPECT_EQ(plan.tileRows, 2) << rows;
    EXPECT_EQ(plan.tileColumns, 10) << rows;
    EXPECT_EQ(plan.images.size(), 1u + 2 * 10) << rows;
  }
}

TEST_F(PlanTest, QualityRoundsHalvesToEven) {
  useRaster("a.bmp", 30, 20);
  request.quality = readFieldText(" 50.5");
  EXPECT_EQ(planned().quality, 50);
  request.quality = readFieldText(" 51.5");
  EXPECT_EQ(planned().quality, 52);
}

TEST_F(PlanTest, RightAngleLeavesResiduesOfTheOtherAxis) {
  useRaster("a.bmp", 30, 20);
  setCorners("100", "300", "0", "0");
  request.angle = 90;
  const RunPlan plan = planned();
  const PlannedImage& tile = plan.images[1];
  EXPECT_DOUBLE_EQ(tile.rotationRadians, 1.570796326795);
  // Lower-left: X bottom -0.2, Y left 0; turned by almost exactly a right angle.
  EXPECT_NE(tile.record.lowerLeftX, 0);
  EXPECT_LT(std::abs(tile.record.lowerLeftX), 1e-12);
  EXPECT_NEAR(tile.record.lowerLeftY, -0.2, 1e-9);
  EXPECT_NEAR(tile.record.upperRightX, -300.6, 1e-9);
  EXPECT_NEAR(tile.record.upperRightY, 100, 1e-9);
  EXPECT_NE(tile.record.upperRightY, 100);
  EXPECT_EQ(tile.unrotated.upperRightY, 300.6);
  EXPECT_EQ(plan.images[0].record.upperRightY, 300);  // the overview is never turned
}

TEST_F(PlanTest, ChecksBeforeAnythingIsWritten) {
  useRaster("a.bmp", 30, 20);
  setGrid("100", "1");  // cells of 0.2 pixels
  EXPECT_EQ(failureOf(), messages::imageBelowOnePixel(messages::oneCell(), 30, 0));
  setGrid("1", "1");
  request.overviewSide = 65501 * 15;  // an overview one pixel beyond what a JPEG can hold
  EXPECT_TRUE(failureOf().contains("65500"));
  request.overviewSide = 65500 * 15;  // exactly the largest side a JPEG holds
  EXPECT_EQ(failureOf(), "");
  EXPECT_EQ(planned().images[0].pixelWidth, 65500);
  request.overviewSide = 16200;
  request.quality = 300;
  EXPECT_EQ(failureOf(), messages::qualityOutOfRange(300));
  request.quality = 50;
  setCorners("5", "5", "5", "0");  // equal X: no height
  EXPECT_EQ(failureOf(), messages::cornersFirst());
  setCorners("5", "5", "0", "5");  // equal Y: no width
  EXPECT_EQ(failureOf(), messages::cornersFirst());
  setCorners("0", "0", "5", "5");  // inverted corners still place the images, mirrored
  EXPECT_EQ(failureOf(), "");
}

}  // namespace
}  // namespace pelmora
