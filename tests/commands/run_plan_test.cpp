#include "base/failure.h"
#include "base/messages.h"
#include "commands/run.h"
#include "session/extents.h"
#include "support/scripted_desktop.h"
#include "support/test_rasters.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

namespace pelmora {
namespace {

// A form whose raster is loaded by hand: the session as the load leaves it.
class PlanTest : public ::testing::Test {
 protected:
  MemoryFields fields;
  View view{kInitialViewWidth, kInitialViewHeight, false};
  testing::ScriptedDesktop desktop;
  Form form{fields, view, desktop};
  QTemporaryDir dir;

  void useRaster(const QString& name, int width, int height) {
    form.session.Filename =
        testing::writeBmp24(dir.filePath(name), testing::positionImage(width, height));
    form.session.P_X = float(height * 15);
    form.session.P_Y = float(width * 15);
    form.session.F_H = 16200;
    readCornersAndExtents(fields, form.session);  // the initial texts, as a load leaves them
  }
  void setCorners(const char* upperRightX, const char* upperRightY, const char* lowerLeftX,
                  const char* lowerLeftY) {
    fields.setText(Field::Text1, upperRightX);
    fields.setText(Field::Text2, upperRightY);
    fields.setText(Field::Text3, lowerLeftX);
    fields.setText(Field::Text4, lowerLeftY);
  }
  void setGrid(const char* rows, const char* columns) {
    fields.setText(Field::Text5, rows);
    fields.setText(Field::Text6, columns);
  }
  QString failureOf() {
    try {
      planRun(form);
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
  const RunPlan plan = planRun(form);
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
  EXPECT_EQ(plan.indexFileName, "sheet12.AR2");
  EXPECT_EQ(plan.outputFolder, dir.path());
  EXPECT_EQ(plan.quality, 50);
}

TEST_F(PlanTest, OverviewTakesTheWindowHeightOnItsLongerSide) {
  useRaster("wide.bmp", 300, 100);
  setGrid("1", "1");
  const PlannedImage wide = planRun(form).images.front();
  EXPECT_EQ(wide.pixelWidth, 1080);
  EXPECT_EQ(wide.pixelHeight, 360);
  EXPECT_EQ(wide.geometry.destination(), QRect(0, 0, 1080, 360));

  useRaster("tall.bmp", 100, 300);
  const PlannedImage tall = planRun(form).images.front();
  EXPECT_EQ(tall.pixelWidth, 360);
  EXPECT_EQ(tall.pixelHeight, 1080);
}

TEST_F(PlanTest, TilesAreCellsStretchedTowardsTheirFarSide) {
  useRaster("a.bmp", 300, 100);
  setGrid("2", "3");
  const RunPlan plan = planRun(form);
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
  const QStringList lines = indexLines(planRun(form));
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
    const RunPlan plan = planRun(form);
    EXPECT_EQ(plan.tileRows, 2) << rows;
    EXPECT_EQ(plan.tileColumns, 10) << rows;
    EXPECT_EQ(plan.images.size(), 1u + 2 * 10) << rows;
  }
}

TEST_F(PlanTest, QualityRoundsHalvesToEven) {
  useRaster("a.bmp", 30, 20);
  fields.setText(Field::Text11, " 50.5");
  EXPECT_EQ(planRun(form).quality, 50);
  fields.setText(Field::Text11, " 51.5");
  EXPECT_EQ(planRun(form).quality, 52);
}

TEST_F(PlanTest, RightAngleLeavesResiduesOfTheOtherAxis) {
  useRaster("a.bmp", 30, 20);
  setCorners("100", "300", "0", "0");
  fields.setText(Field::Text12, "90");
  const RunPlan plan = planRun(form);
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
  form.session.F_H = 65501 * 15;  // an overview one pixel beyond what a JPEG can hold
  EXPECT_TRUE(failureOf().contains("65500"));
  form.session.F_H = 65500 * 15;  // exactly the largest side a JPEG holds
  EXPECT_EQ(failureOf(), "");
  EXPECT_EQ(planRun(form).images[0].pixelWidth, 65500);
  form.session.F_H = 16200;
  fields.setText(Field::Text11, "300");
  EXPECT_EQ(failureOf(), messages::qualityOutOfRange(300));
  fields.setText(Field::Text11, "50");
  setCorners("5", "5", "5", "0");  // equal X: no height
  EXPECT_EQ(failureOf(), messages::cornersFirst());
  setCorners("5", "5", "0", "5");  // equal Y: no width
  EXPECT_EQ(failureOf(), messages::cornersFirst());
  setCorners("0", "0", "5", "5");  // inverted corners still place the images, mirrored
  EXPECT_EQ(failureOf(), "");
  QFile::remove(form.session.Filename);
  EXPECT_TRUE(failureOf().contains(form.session.Filename));
}

}  // namespace
}  // namespace pelmora
