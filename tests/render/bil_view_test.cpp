// bil on a view: draws and refreshes, stays quiet for files it cannot load,
// raises geometry faults before drawing, and redraws identical calls exactly.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

#include <QTemporaryDir>

#include "base/failure.h"
#include "desktop/image_view.h"
#include "render/bil.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

using testing::decodePosition;

class BilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    raster_ = testing::writeBmp24(dir_.filePath("map.bmp"), testing::positionImage(100, 80));
    view_.onChanged = [this] { ++refreshes_; };
  }

  QTemporaryDir dir_;
  QString raster_;
  ImageView view_{750, 600};  // 50 × 40 pixels
  RasterCache rasters_;
  int refreshes_ = 0;
  const CornerPoints lowerRight_{0, 0, 80, 100, 40, 50, 80, 100};
};

TEST_F(BilTest, DrawsTheRegionAndRefreshes) {
  float zoom = -7;
  bil(rasters_, raster_, zoom, lowerRight_, view_);
  EXPECT_EQ(zoom, 1.0f);
  EXPECT_EQ(refreshes_, 1);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x)
      ASSERT_EQ(decodePosition(view_.canvas().pixel(x, y)), QPoint(50 + x, 40 + y));
}

TEST_F(BilTest, AFileThatCannotBeLoadedDoesNothing) {
  const QImage before = view_.canvas().copy();
  const QString notAPicture = testing::writeBytes(dir_.filePath("x.bmp"), "BM broken");
  for (const QString& file : {QString(), dir_.filePath("missing.bmp"), notAPicture}) {
    float zoom = -7;
    EXPECT_NO_THROW(bil(rasters_, file, zoom, lowerRight_, view_));
    EXPECT_EQ(zoom, -7.0f);
  }
  EXPECT_EQ(refreshes_, 0);
  EXPECT_EQ(view_.canvas(), before);
}

TEST_F(BilTest, AZeroSpanRaisesBeforeDrawing) {
  const QImage before = view_.canvas().copy();
  float zoom = -7;
  CornerPoints flat = lowerRight_;
  flat.B_Y2 = flat.B_Y1;
  EXPECT_THROW(bil(rasters_, raster_, zoom, flat, view_), Failure);
  EXPECT_EQ(zoom, -7.0f);
  EXPECT_EQ(refreshes_, 0);
  EXPECT_EQ(view_.canvas(), before);
}

TEST_F(BilTest, ARedrawRestoresTheRasterUnderLaterLines) {
  float zoom = 0;
  const CornerPoints whole{0, 0, 80, 100, -10, -10, 110, 110};  // leaves a margin
  bil(rasters_, raster_, zoom, whole, view_);
  const QImage first = view_.canvas();  // unchanged by the drawing below
  view_.setDrawWidth(5);
  view_.drawLines({QLineF(150, 300, 600, 300)}, Rgb{255, 0, 0});  // inside the raster
  ASSERT_NE(view_.canvas(), first);
  bil(rasters_, raster_, zoom, whole, view_);
  EXPECT_EQ(view_.canvas(), first);

  // Another region, then the first again: drawn afresh, same pixels.
  bil(rasters_, raster_, zoom, lowerRight_, view_);
  EXPECT_NE(view_.canvas(), first);
  view_.clear();
  bil(rasters_, raster_, zoom, whole, view_);
  EXPECT_EQ(view_.canvas(), first);

  // A changed file is read again.
  testing::writeBmp24(raster_, testing::positionImage(100, 80).mirrored(true, false));
  // Written within the file system's timestamp granularity, the same size and
  // time would look unchanged: date the new file plainly later.
  QFile rewritten(raster_);
  ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
  ASSERT_TRUE(rewritten.setFileTime(QDateTime::currentDateTime().addSecs(10),
                                    QFileDevice::FileModificationTime));
  rewritten.close();
  bil(rasters_, raster_, zoom, whole, view_);
  EXPECT_NE(view_.canvas(), first);
}

TEST_F(BilTest, AViewWithoutPixelsOnlyTakesTheGeometry) {
  View geometryOnly(750, 600, false);
  int refreshes = 0;
  geometryOnly.onChanged = [&] { ++refreshes; };
  float zoom = 0;
  bil(rasters_, raster_, zoom, CornerPoints{0, 0, 80, 100, 0, 0, 40, 25}, geometryOnly);
  EXPECT_EQ(zoom, 2.0f);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(geometryOnly.pixels().data, nullptr);
}

}  // namespace
}  // namespace pelmora
