#include "base/numbers.h"
#include "window/load.h"
#include "window/grid.h"
#include "desktop/image_view.h"
#include "base/messages.h"
#include "support/scripted_desktop.h"
#include "support/test_rasters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

namespace pelmora {
namespace {

using testing::ScriptedDesktop;

const QString kPrefix = QStringLiteral("Ｘ：Ｙ＝ 1 : ");

class LoadTest : public ::testing::Test {
 protected:
  MemoryFields fields;
  ImageView view;
  ScriptedDesktop desktop;
  Form form{fields, view, desktop};
  QTemporaryDir dir;

  QString text(Field f) const { return fields.text(f); }
  QString raster(const QString& name, int width, int height) {
    return testing::writeBmp24(dir.filePath(name), testing::positionImage(width, height));
  }
  void writeIndex(const QString& name, const QByteArray& firstLine) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(firstLine + "\r\n");
  }
  CommandOutcome outcome;  // of the last load
  bool load(const QString& path) {
    desktop.nextFile = path;
    outcome = loadRaster(form);
    return outcome.isCompleted();
  }
};

TEST_F(LoadTest, FourThousandByThreeThousandAtTheInitialTexts) {
  const QString path = raster("sheet.bmp", 4000, 3000);
  ASSERT_EQ(QFileInfo(path).size(), 36000054);
  ASSERT_TRUE(load(path));

  const Session& s = form.session;
  EXPECT_EQ(s.P_X, 45000);
  EXPECT_EQ(s.P_Y, 60000);
  EXPECT_EQ(s.corners.B_XE, 45000);
  EXPECT_EQ(s.corners.B_YE, 60000);
  EXPECT_EQ(s.corners.B_X2, 60000);
  EXPECT_EQ(s.corners.B_Y2, 60000);
  EXPECT_EQ(s.F_H, 16200);
  EXPECT_EQ(s.Filename, path);
  EXPECT_EQ(view.scaleWidth(), 60000);
  EXPECT_EQ(view.height(), 15495);  // 16200 - 700, to whole pixels
  EXPECT_EQ(view.width(), view.height());

  EXPECT_EQ(text(Field::Text1), "450");
  EXPECT_EQ(text(Field::Text2), "600");
  EXPECT_EQ(text(Field::Text3), "0");
  EXPECT_EQ(text(Field::Text4), "0");
  EXPECT_EQ(text(Field::Text9), "36");
  EXPECT_EQ(text(Field::Text8), "1.33");
  EXPECT_EQ(text(Field::Text10), path);
  EXPECT_EQ(s.W_DX, 450);
  EXPECT_EQ(s.W_DY, 600);
  EXPECT_EQ(text(Field::Label9), kPrefix + "1.33");
  EXPECT_EQ(text(Field::Text5), "4");
  EXPECT_EQ(text(Field::Text6), "4");
  EXPECT_EQ(s.Cell_X, 45000.0f / 4);
  EXPECT_EQ(desktop.maximised, 1);
  EXPECT_EQ(outcome.message(), "");
  EXPECT_EQ(desktop.lastDialogTitle, messages::rasterDialogTitle());
  EXPECT_EQ(desktop.lastDialogFilters, messages::rasterDialogFilters());
}

TEST_F(LoadTest, ViewShowsTheRasterAndRedGridLines) {
  const QString path = raster("grid.bmp", 400, 300);
  fields.setText(Field::Text3, "0");  // keep the user's corners: no placeholders
  fields.setText(Field::Text1, "300");
  fields.setText(Field::Text2, "400");
  ASSERT_TRUE(load(path));
  const QImage canvas = view.canvas();
  ASSERT_FALSE(canvas.isNull());
  // 1033 view pixels span the raster's 400 pixels across; the proposal is 1 × 1,
  // so the only lines are the bottom and right edges of the raster.
  const double perPixel = view.pixelWidth() / 400.0;
  const QPoint inside(int(100 * perPixel), int(100 * perPixel));
  EXPECT_NEAR(testing::decodePosition(canvas.pixel(inside)).x(), 100, 1);
  EXPECT_NEAR(testing::decodePosition(canvas.pixel(inside)).y(), 100, 1);
  EXPECT_EQ(canvas.pixel(int(200 * perPixel), int(300 * perPixel)), qRgb(255, 0, 0));
  EXPECT_EQ(canvas.pixel(view.pixelWidth() - 1, int(150 * perPixel)), qRgb(255, 0, 0));
  EXPECT_EQ(canvas.pixel(view.pixelWidth() - 1, view.pixelHeight() - 1), qRgb(255, 255, 255));
}

TEST_F(LoadTest, GuardAsksForTwoDistinctCorners) {
  fields.setText(Field::Text1, "250");
  fields.setText(Field::Text3, "250");
  EXPECT_FALSE(load(raster("a.bmp", 10, 10)));
  EXPECT_EQ(outcome.status, CommandOutcome::Status::NotStarted);
  EXPECT_EQ(outcome.message(), messages::cornersFirst());
  EXPECT_EQ(desktop.dialogsShown, 0);
  EXPECT_EQ(text(Field::Text10), "");
}

TEST_F(LoadTest, CancelChangesOnlyThePathField) {
  fields.setText(Field::Text10, "old");
  EXPECT_FALSE(load(""));
  EXPECT_EQ(text(Field::Text10), "");
  EXPECT_EQ(desktop.maximised, 0);
  EXPECT_EQ(form.session.P_X, 0);
  EXPECT_EQ(text(Field::Text5), "1");
  EXPECT_EQ(outcome.message(), "");
  EXPECT_FALSE(load("   "));
  EXPECT_EQ(text(Field::Text10), "   ");
  EXPECT_EQ(desktop.maximised, 0);
}

TEST_F(LoadTest, SizeIsCutToTwoDecimals) {
  const QString big = raster("big.bmp", 10, 10);
  QFile::resize(big, 123456789);
  ASSERT_TRUE(load(big));
  EXPECT_EQ(text(Field::Text9), "123.45");

  const QString small = raster("small.bmp", 10, 10);
  QFile::resize(small, 9999);
  ASSERT_TRUE(load(small));
  EXPECT_EQ(text(Field::Text9), "0");
  EXPECT_EQ(text(Field::Text5), "1");
  EXPECT_EQ(text(Field::Text6), "1");
  EXPECT_EQ(text(Field::Text8), "1");  // square raster
}

// The grid is proposed from the pixels, the size shown is the file's own.
TEST_F(LoadTest, TheSamePixelsGetTheSameProposalInAnyFormat) {
  const QImage image = testing::positionImage(2048, 1024);
  ASSERT_TRUE(load(testing::writeBmp24(dir.filePath("map.bmp"), image)));
  EXPECT_EQ(text(Field::Text9), "6.29");  // 54 + 1024 × 6144 bytes
  EXPECT_EQ(text(Field::Text5), "2");
  EXPECT_EQ(text(Field::Text6), "3");

  const QString png = dir.filePath("map.png");
  ASSERT_TRUE(image.save(png));
  ASSERT_TRUE(load(png));
  EXPECT_EQ(text(Field::Text9), plainText(std::floor(QFileInfo(png).size() / 10000.0) / 100));
  EXPECT_NE(text(Field::Text9), "6.29");
  EXPECT_EQ(text(Field::Text5), "2");
  EXPECT_EQ(text(Field::Text6), "3");
}

TEST_F(LoadTest, PlaceholdersOnlyWhenText3IsExactly1000) {
  fields.setText(Field::Text3, "1000.0");
  ASSERT_TRUE(load(raster("a.bmp", 40, 20)));
  EXPECT_EQ(text(Field::Text1), "0");
  EXPECT_EQ(text(Field::Text3), "1000.0");
}

TEST_F(LoadTest, EarlierIndexGivesTheCornersBackExactly) {
  writeIndex("sheet.AR2", "x,-1234.5,678.9,2000,3000.7");
  ASSERT_TRUE(load(raster("sheet.bmp", 40, 20)));
  EXPECT_EQ(text(Field::Text1), "2000");
  EXPECT_EQ(text(Field::Text2), "3000.7");
  EXPECT_EQ(text(Field::Text3), "-1234.5");
  EXPECT_EQ(text(Field::Text4), "678.9");
  EXPECT_EQ(form.session.UR_X, 2000);
  EXPECT_EQ(form.session.LL_Y, 678.9);
  EXPECT_EQ(outcome.message(), "");
}

TEST_F(LoadTest, AGeoTiffsOwnCornersFillTheFieldsEvenWithAnIndexBesideIt) {
  const QString tif = dir.filePath("geo.tif");
  ASSERT_TRUE(testing::runGdalTool(
      "gdal_translate", {"-q", "-a_srs", "EPSG:6677", "-a_ullr", "-1000.5", "2000", "1300", "1800.25",
                         raster("geo.bmp", 40, 20), tif}));
  ASSERT_TRUE(load(tif));
  EXPECT_EQ(text(Field::Text1), "2000");     // top edge, north
  EXPECT_EQ(text(Field::Text2), "1300");     // right edge, east
  EXPECT_EQ(text(Field::Text3), "1800.25");  // bottom edge
  EXPECT_EQ(text(Field::Text4), "-1000.5");  // left edge
  EXPECT_EQ(form.session.W_DY, 2300.5);
  EXPECT_EQ(outcome.message(), "");

  // An index repeats what a run was told, rounded; the raster's own tags are the fact.
  writeIndex("geo.AR2", "x,1,2,3,4");
  ASSERT_TRUE(load(tif));
  EXPECT_EQ(text(Field::Text1), "2000");
  EXPECT_EQ(text(Field::Text4), "-1000.5");
}

TEST_F(LoadTest, CancellingTheDecodingLeavesTheWindowAsItWas) {
  const QString bmp = raster("a.bmp", 40, 20);
  ASSERT_TRUE(load(bmp));
  const QString tif = dir.filePath("b.tif");
  ASSERT_TRUE(testing::runGdalTool("gdal_translate", {"-q", raster("b.bmp", 30, 50), tif}));
  const QImage canvas = view.canvas();
  const QString before = text(Field::Text10);
  desktop.cancelRun = true;
  EXPECT_FALSE(load(tif));
  EXPECT_EQ(text(Field::Text10), before);
  EXPECT_EQ(form.session.Filename, bmp);
  EXPECT_EQ(form.session.P_X, 300);
  EXPECT_EQ(view.canvas(), canvas);
  EXPECT_EQ(desktop.maximised, 1);
  EXPECT_EQ(outcome.message(), "");
}

TEST_F(LoadTest, AShortIndexLineStopsTheLoadWithNothingHalfWritten) {
  writeIndex("sheet.AR2", "x,1,2,3");
  EXPECT_FALSE(load(raster("sheet.bmp", 400, 200)));
  EXPECT_EQ(text(Field::Text1), initialText(Field::Text1));  // not "3" from the index
  EXPECT_EQ(text(Field::Text2), initialText(Field::Text2));  // nor the placeholder
  EXPECT_EQ(text(Field::Text10), "");
  EXPECT_EQ(form.session.Filename, "");
  EXPECT_EQ(outcome.status, CommandOutcome::Status::Stopped);
  EXPECT_TRUE(outcome.message().contains(dir.filePath("sheet.AR2")));
}

TEST_F(LoadTest, AFailureAfterDrawingPutsBackTheEarlierPicture) {
  ASSERT_TRUE(load(raster("a.bmp", 40, 20)));
  const QImage earlier = view.canvas();
  writeIndex("b.AR2", "x,1,2,3");  // read after the new raster and grid are drawn
  EXPECT_FALSE(load(raster("b.bmp", 30, 60)));
  EXPECT_EQ(view.canvas(), earlier);
}

TEST_F(LoadTest, TheIndexIsLookedForBesideTheRasterByItsBaseName) {
  const QString folder = dir.filePath("maps.old");
  QDir().mkpath(folder);
  writeIndex("maps.AR2", "x,1,2,3,4");  // what cutting the path at its first "." would find
  const QString path = testing::writeBmp24(folder + "/sheet.v2.bmp", testing::positionImage(40, 20));
  QFile index(folder + "/sheet.v2.AR2");
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write("a,b.JPG, 10, 20, 30, 40\r\n");  // a name holding a comma
  index.close();
  ASSERT_TRUE(load(path));
  EXPECT_EQ(text(Field::Text1), "30");
  EXPECT_EQ(text(Field::Text4), "20");
}

TEST_F(LoadTest, AFractionalUpperRightXNoLongerDividesByZero) {
  fields.setText(Field::Text1, "100.4");
  fields.setText(Field::Text3, "100");
  fields.setText(Field::Text2, "5");
  fields.setText(Field::Text4, "0");
  ASSERT_TRUE(load(raster("a.bmp", 40, 20)));
  EXPECT_NEAR(form.session.W_DX, 0.4, 1e-12);
  EXPECT_EQ(text(Field::Label9), kPrefix + "12.5");
}

TEST_F(LoadTest, AVeryTallRasterStillGetsAProposal) {
  ASSERT_TRUE(load(raster("tall.bmp", 1, 250)));
  EXPECT_EQ(text(Field::Text8), "0");
  EXPECT_EQ(outcome.message(), "");
  EXPECT_EQ(text(Field::Text5), "1");
}

TEST_F(LoadTest, AFileThatIsNoRasterIsRefusedWithItsName) {
  const QString path = dir.filePath("notes.bmp");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a picture");
  file.close();
  const QString earlier = raster("sheet.bmp", 40, 20);
  ASSERT_TRUE(load(earlier));
  const QString corner = text(Field::Text1);
  EXPECT_FALSE(load(path));
  EXPECT_EQ(outcome.status, CommandOutcome::Status::Stopped);
  EXPECT_TRUE(outcome.message().contains(path));
  // The window goes on showing the earlier raster, which a run would cut.
  EXPECT_EQ(text(Field::Text10), earlier);
  EXPECT_EQ(text(Field::Text1), corner);
  EXPECT_EQ(form.session.Filename, earlier);
  EXPECT_EQ(form.session.P_X, 300);
}

TEST_F(LoadTest, SecondLoadTakesTheNewRastersSize) {
  ASSERT_TRUE(load(raster("a.bmp", 40, 20)));
  ASSERT_TRUE(load(raster("b.bmp", 30, 60)));
  EXPECT_EQ(form.session.P_X, 900);
  EXPECT_EQ(form.session.P_Y, 450);
}

TEST_F(LoadTest, GridCommandIgnoresCountsThatAreNotPositive) {
  ASSERT_TRUE(load(raster("a.bmp", 40, 20)));
  const float cellBefore = form.session.Cell_X;
  fields.setText(Field::Text5, "abc");
  showGrid(form);
  fields.setText(Field::Text5, "-2");
  showGrid(form);
  EXPECT_EQ(form.session.Cell_X, cellBefore);
  fields.setText(Field::Text5, "2");
  showGrid(form);
  EXPECT_EQ(form.session.Cell_X, form.session.P_X / 2);
}

}  // namespace
}  // namespace pelmora
