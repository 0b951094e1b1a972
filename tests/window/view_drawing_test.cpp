// The raster drawn into the window's view: draws and refreshes, raises
// geometry faults before drawing, and redraws identical calls exactly.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/failure.h"
#include "desktop/image_view.h"
#include "support/opened_source.h"
#include "support/test_rasters.h"
#include "window/view_drawing.h"

namespace pelmora {
namespace {

using testing::decodePosition;

class ViewDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::writeBmp24(dir_.filePath("map.bmp"), testing::positionImage(100, 80));
    raster_ = testing::openRasterSource(path_);
    view_.onChanged = [this] { ++refreshes_; };
  }
  void draw(const CornerPoints& b) { drawIntoView(raster_, b, view_, last_); }

  QTemporaryDir dir_;
  QString path_;
  std::shared_ptr<const RasterSource> raster_;
  ImageView view_{750, 600};  // 50 × 40 pixels
  ViewDrawing last_;
  int refreshes_ = 0;
  const CornerPoints lowerRight_{0, 0, 80, 100, 40, 50, 80, 100};
};

TEST_F(ViewDrawingTest, DrawsTheRegionAndRefreshes) {
  draw(lowerRight_);
  EXPECT_EQ(refreshes_, 1);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x)
      ASSERT_EQ(decodePosition(view_.canvas().pixel(x, y)), QPoint(50 + x, 40 + y));
}

TEST_F(ViewDrawingTest, AZeroSpanRaisesBeforeDrawing) {
  const QImage before = view_.canvas().copy();
  CornerPoints flat = lowerRight_;
  flat.B_Y2 = flat.B_Y1;
  EXPECT_THROW(draw(flat), Failure);
  EXPECT_EQ(refreshes_, 0);
  EXPECT_EQ(view_.canvas(), before);
}

TEST_F(ViewDrawingTest, ARedrawRestoresTheRasterUnderLaterLines) {
  const CornerPoints whole{0, 0, 80, 100, -10, -10, 110, 110};  // leaves a margin
  draw(whole);
  const QImage first = view_.canvas();  // unchanged by the drawing below
  view_.setDrawWidth(5);
  view_.drawLines({QLineF(150, 300, 600, 300)}, Rgb{255, 0, 0});  // inside the raster
  ASSERT_NE(view_.canvas(), first);
  draw(whole);
  EXPECT_EQ(view_.canvas(), first);

  // Another region, then the first again: drawn afresh, same pixels.
  draw(lowerRight_);
  EXPECT_NE(view_.canvas(), first);
  view_.clear();
  draw(whole);
  EXPECT_EQ(view_.canvas(), first);

  // Another raster (a load of a changed file) is drawn afresh.
  testing::writeBmp24(path_, testing::positionImage(100, 80).mirrored(true, false));
  raster_ = testing::openRasterSource(path_);
  draw(whole);
  EXPECT_NE(view_.canvas(), first);
}

TEST_F(ViewDrawingTest, AViewWithoutPixelsOnlyTakesTheGeometry) {
  View geometryOnly(750, 600, false);
  int refreshes = 0;
  geometryOnly.onChanged = [&] { ++refreshes; };
  drawIntoView(raster_, CornerPoints{0, 0, 80, 100, 0, 0, 40, 25}, geometryOnly, last_);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(geometryOnly.pixels().data, nullptr);
}

}  // namespace
}  // namespace pelmora
