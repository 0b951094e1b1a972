// The drawing: the right region lands at the right place, only inside the
// destination rectangle, blended when enlarging and averaged when shrinking.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <cmath>

#include "support/opened_source.h"
#include "base/failure.h"
#include "desktop/image_view.h"
#include "support/image_raster.h"
#include "raster/raster_opening.h"
#include "render/bil.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

using testing::decodePosition;
using testing::positionImage;

QImage canvasOf(int w, int h, QImage::Format format = QImage::Format_RGB32,
                QRgb fill = qRgb(17, 34, 51)) {
  QImage canvas(w, h, format);
  canvas.fill(QColor(fill));
  return canvas;
}

// The image as both kinds of source: a 24-bit bitmap read from its file and
// a raster held in memory.
std::vector<std::shared_ptr<const RasterSource>> sourcesOf(const QImage& image) {
  static QTemporaryDir dir;
  static int files = 0;
  const QString path = dir.filePath(QString::number(++files) + ".bmp");
  return {testing::openRasterSource(testing::writeBmp24(path, image)), std::make_shared<testing::ImageRaster>(image)};
}

QImage drawn(const RasterSource& source, QImage canvas, QRect destination, int threads = 1) {
  drawRaster(source, bufferOf(canvas), destination, threads);
  return canvas;
}

TEST(DrawRasterTest, OneToOneCopiesTheRegionExactly) {
  QTemporaryDir dir;
  const QImage image = positionImage(600, 300);
  const auto fromFile = testing::openRasterSource(testing::writeBmp24(dir.filePath("p.bmp"), image));
  const testing::ImageRaster decoded(image);
  for (const RasterSource* source : {fromFile.get(), static_cast<const RasterSource*>(&decoded)}) {
    for (auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
      const QImage canvas = drawn(*source, canvasOf(50, 40, format), QRect(-350, -260, 600, 300));
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
          ASSERT_EQ(decodePosition(canvas.pixel(x, y)), QPoint(350 + x, 260 + y));
    }
  }
}

TEST(DrawRasterTest, TheRunsSlightShrinkSamplesPixelCentres) {
  const double scale = 1.002;
  const QRect destination(-600, -300, 3000, 1500);  // 3006 / 1.002, 1503 / 1.002
  for (const auto& source : sourcesOf(positionImage(3006, 1503))) {
    const QImage canvas = drawn(*source, canvasOf(700, 400), destination, 2);
    for (int y = 0; y < 400; ++y) {
      const double v = (y + 300 + 0.5) * scale - 0.5;
      if (int(v) % 256 == 255) continue;  // blending across the 255 → 0 wrap of the code
      for (int x = 0; x < 700; ++x) {
        const double u = (x + 600 + 0.5) * scale - 0.5;
        if (int(u) % 256 == 255) continue;
        const QPoint got = decodePosition(canvas.pixel(x, y));
        ASSERT_LE(std::abs(got.x() - u), 0.51) << x << "," << y;
        ASSERT_LE(std::abs(got.y() - v), 0.51) << x << "," << y;
      }
    }
  }
}

TEST(DrawRasterTest, OnlyTheDestinationInsideTheCanvasIsWritten) {
  const testing::ImageRaster source(positionImage(20, 10));
  const QRgb background = qRgb(17, 34, 51);
  for (const QRect destination :
       {QRect(5, 7, 20, 10), QRect(-5, -3, 20, 10), QRect(30, 25, 20, 10), QRect(-10, 2, 80, 12)}) {
    const QImage canvas = drawn(source, canvasOf(40, 30), destination);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        ASSERT_EQ(canvas.pixel(x, y) == background, !destination.contains(x, y)) << x << "," << y;
  }
  const QImage untouched = canvasOf(40, 30);
  EXPECT_EQ(drawn(source, untouched, QRect(0, 0, 0, 10)), untouched);
  EXPECT_EQ(drawn(source, untouched, QRect(0, 0, 10, -1)), untouched);
  EXPECT_EQ(drawn(source, untouched, QRect(40, 0, 10, 10)), untouched);
}

TEST(DrawRasterTest, EnlargingBlendsNeighbours) {
  QImage image(2, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(0, 0, 0));
  image.setPixel(1, 0, qRgb(255, 255, 255));
  for (const auto& source : sourcesOf(image)) {
    const QImage canvas = drawn(*source, canvasOf(4, 2), QRect(0, 0, 4, 2));
    const int expected[] = {0, 64, 191, 255};
    for (int x = 0; x < 4; ++x) {
      EXPECT_NEAR(qGreen(canvas.pixel(x, 0)), expected[x], 1) << x;
      EXPECT_EQ(canvas.pixel(x, 1), canvas.pixel(x, 0));
    }
  }
}

TEST(DrawRasterTest, ShrinkingAveragesTheArea) {
  // White where x % 4 == 0 or y % 5 == 0: 40 % of every 4 × 5 block, which a
  // point sampler would miss altogether.
  QImage image(400, 500, QImage::Format_RGB32);
  for (int y = 0; y < 500; ++y)
    for (int x = 0; x < 400; ++x)
      image.setPixel(x, y, x % 4 == 0 || y % 5 == 0 ? 0xFFFFFFFF : 0xFF000000);
  for (const auto& source : sourcesOf(image)) {
    for (auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
      const QImage canvas = drawn(*source, canvasOf(100, 100, format), QRect(0, 0, 100, 100), 2);
      for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
          ASSERT_NEAR(qRed(canvas.pixel(x, y)), 102, 1) << x << "," << y;
    }
  }
}

TEST(DrawRasterTest, ShrinkingWeighsPartlyCoveredPixels) {
  // Five pixels into two: each output pixel covers two and a half, so the
  // bright middle pixel counts half into each.
  QImage row(5, 1, QImage::Format_RGB32), column(1, 5, QImage::Format_RGB32);
  for (int i = 0; i < 5; ++i) {
    row.setPixel(i, 0, i == 2 ? qRgb(250, 250, 250) : qRgb(0, 0, 0));
    column.setPixel(0, i, row.pixel(i, 0));
  }
  for (const auto& source : sourcesOf(row)) {
    const QImage canvas = drawn(*source, canvasOf(2, 1), QRect(0, 0, 2, 1));
    EXPECT_NEAR(qRed(canvas.pixel(0, 0)), 50, 1);
    EXPECT_NEAR(qRed(canvas.pixel(1, 0)), 50, 1);
  }
  for (const auto& source : sourcesOf(column)) {
    const QImage canvas = drawn(*source, canvasOf(1, 2), QRect(0, 0, 1, 2));
    EXPECT_NEAR(qRed(canvas.pixel(0, 0)), 50, 1);
    EXPECT_NEAR(qRed(canvas.pixel(0, 1)), 50, 1);
  }
}

TEST(DrawRasterTest, WhiteStaysWhiteUnderExtremeShrinking) {
  QImage white(3, 9000, QImage::Format_RGB32);
  white.fill(Qt::white);
  for (const auto& source : sourcesOf(white)) {
    // 9000 rows weigh 2^20 / 9000 = 116.5 each, rounded up.
    const QImage canvas = drawn(*source, canvasOf(1, 1), QRect(0, 0, 1, 1));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
  }
}

TEST(DrawRasterTest, SlicesAndLayoutsAgree) {
  QImage image(333, 517, QImage::Format_RGB32);
  quint32 seed = 12345;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, 0xFF000000 | (seed = seed * 1664525 + 1013904223) >> 8);
  const auto sources = sourcesOf(image);
  for (const QRect destination : {QRect(-7, -11, 500, 900), QRect(3, 5, 120, 90),
                                  QRect(-100, -50, 331, 515), QRect(0, 0, 40, 700)}) {
    const QImage one = drawn(*sources[1], canvasOf(300, 400), destination, 1);
    for (const auto& source : sources) {
      const QImage three = drawn(*source, canvasOf(300, 400), destination, 3);
      for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 300; ++x)
          ASSERT_NEAR(qGreen(three.pixel(x, y)), qGreen(one.pixel(x, y)), 1) << x << "," << y;
      EXPECT_EQ(drawn(*source, canvasOf(300, 400, QImage::Format_BGR888), destination, 2)
                    .convertToFormat(QImage::Format_RGB32),
                drawn(*source, canvasOf(300, 400), destination, 1));
    }
  }
}

// One colour everywhere, held in a single row.
class FlatSource : public RasterSource {
 public:
  FlatSource(int width, int height, QRgb colour)
      : RasterSource(width, height), row_(std::size_t(width) * 3) {
    for (std::size_t i = 0; i < row_.size(); i += 3) {
      row_[i] = std::uint8_t(qBlue(colour));
      row_[i + 1] = std::uint8_t(qGreen(colour));
      row_[i + 2] = std::uint8_t(qRed(colour));
    }
  }
  const std::uint8_t* row(int, std::vector<std::uint8_t>&) const override { return row_.data(); }

 private:
  std::vector<std::uint8_t> row_;
};

TEST(DrawRasterTest, AreaAveragingKeepsAFlatRasterFlatAtRatiosThatAreNotWhole) {
  const QRgb colour = qRgb(201, 77, 254);
  for (auto format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
    for (auto [source, destination] :
         {std::pair{1000, 333}, {700, 300}, {50, 29}, {9, 2}, {4099, 1365}}) {
      // Shrunk down only, across only, and both; drawn from an offset.
      for (auto [w, h, dw, dh] : {std::array{7, source, 7, destination},
                                  std::array{source, 7, destination, 7},
                                  std::array{source, source, destination, destination}}) {
        const QImage canvas =
            drawn(FlatSource(w, h, colour), canvasOf(dw - 1, dh - 1, format),
                  QRect(-1, -1, dw, dh), 2);
        for (int y = 0; y < canvas.height(); ++y)
          for (int x = 0; x < canvas.width(); ++x)
            ASSERT_EQ(canvas.pixel(x, y), colour) << w << "×" << h << "→" << dw << "×" << dh
                                                  << " at " << x << "," << y;
      }
    }
  }
}

// A source whose rows from `failFrom` on cannot be read, as a raster cut
// short under the reader.
class FailingSource : public RasterSource {
 public:
  FailingSource(int failFrom, bool changedAfterwards)
      : RasterSource(50, 400),
        row_(150, 0x80),
        failFrom_(failFrom),
        changedAfterwards_(changedAfterwards) {}
  const std::uint8_t* row(int y, std::vector<std::uint8_t>&) const override {
    if (y >= failFrom_) throw Failure(QStringLiteral("row %1").arg(y), QStringLiteral("f.bmp"));
    return row_.data();
  }
  void checkUnchanged() const override {
    if (changedAfterwards_) throw Failure(QStringLiteral("changed"), QStringLiteral("f.bmp"));
  }

 private:
  std::vector<std::uint8_t> row_;
  int failFrom_;
  bool changedAfterwards_;
};

// The cause a drawing of `source` stops with.
QString failureOf(const FailingSource& source, const QRect& destination, int threads) {
  try {
    drawn(source, canvasOf(50, 400), destination, threads);
  } catch (const Failure& failure) {
    return failure.cause();
  }
  return QStringLiteral("drawn");
}

TEST(DrawRasterTest, AFailedReadInAnySliceReachesTheCallerAsTheTopmostSlicesFailure) {
  for (QRect destination : {QRect(0, 0, 50, 400), QRect(0, 0, 25, 100)}) {
    for (int failFrom : {0, 300}) {
      SCOPED_TRACE(failFrom);
      const QString alone = failureOf(FailingSource(failFrom, false), destination, 1);
      EXPECT_TRUE(alone.startsWith("row ")) << alone.toStdString();
      // Every slice fails at rows of its own: whichever fails first, the message is the same.
      EXPECT_EQ(failureOf(FailingSource(failFrom, false), destination, 4), alone);
    }
  }
  // Every row read, but the file changed meanwhile.
  EXPECT_EQ(failureOf(FailingSource(400, true), QRect(0, 0, 50, 400), 4), "changed");
}

}  // namespace
}  // namespace pelmora
