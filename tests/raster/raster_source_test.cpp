// The raster source: bitmaps read where they lie in the file match Qt's own reader,
// other formats are decoded through GDAL, and malformed files are refused
// with a cause.
#include "support/opened_source.h"
#include "raster/raster_opening.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdlib>
#include <utility>

#include "base/failure.h"
#include "raster/bmp_file.h"
#include "support/message_text.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

using testing::BmpOptions;

class RasterSourceTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir_.filePath(name); }

  // Every pixel of `source` equals the pixel Qt's reader gives for `file`.
  static void expectSameAsQt(const RasterSource& source, const QString& file) {
    const QImage expected = QImage(file).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << file.toStdString();
    ASSERT_EQ(source.width(), expected.width());
    ASSERT_EQ(source.height(), expected.height());
    const int bytes = 3;
    std::vector<std::uint8_t> scratch;
    for (int y = 0; y < source.height(); ++y) {
      const std::uint8_t* row = source.row(y, scratch);
      for (int x = 0; x < source.width(); ++x) {
        const QRgb want = expected.pixel(x, y);
        const std::uint8_t* p = row + x * bytes;
        ASSERT_EQ(qRgb(p[2], p[1], p[0]), want | 0xFF000000u) << "at " << x << "," << y;
      }
    }
  }

  QTemporaryDir dir_;
};

TEST_F(RasterSourceTest, EveryUncompressedBitmapIsReadInPlaceAndMatchesQt) {
  struct Case {
    int bits, headerSize;
    bool topDown, bitFields;
  };
  const Case cases[] = {
      {24, 40, false, false}, {24, 40, true, false},  {24, 124, false, false},
      {24, 12, false, false}, {32, 40, false, false}, {32, 40, true, false},
      {32, 40, false, true},  {32, 108, false, true}, {8, 40, false, false},
      {8, 40, true, false},   {8, 12, false, false},  {4, 40, false, false},
      {4, 40, true, false},   {1, 40, false, false},  {1, 124, true, false},
  };
  for (const Case& c : cases) {
    for (int width : {1, 3, 5, 13, 33}) {
      SCOPED_TRACE(::testing::PrintToString(
          std::vector<int>{c.bits, c.headerSize, c.topDown, c.bitFields, width}));
      const auto palette = c.bits <= 8 ? testing::testPalette(c.bits) : QList<QRgb>{};
      const QImage image =
          c.bits <= 8 ? testing::paletteImage(width, 7, palette) : testing::positionImage(width, 7);
      const QString file = testing::writeBmp(
          path("v.bmp"), image, BmpOptions{c.bits, c.topDown, c.headerSize, c.bitFields}, palette);
      const auto source = testing::openRasterSource(file);
      EXPECT_NE(dynamic_cast<const BmpFile*>(source.get()), nullptr);
      expectSameAsQt(*source, file);
      // Whatever the stored order, row 0 is the top row.
      std::vector<std::uint8_t> scratch;
      const std::uint8_t* top = source->row(0, scratch);
      EXPECT_EQ(qRgb(top[2], top[1], top[0]), image.pixel(0, 0));
    }
  }
}

// A block of rows read at once holds the bytes row() gives, whatever the
// stored order and depth.
TEST_F(RasterSourceTest, RowsReadAsABlockAreTheRowsReadOneByOne) {
  const auto palette = testing::testPalette(8);
  for (const BmpOptions& options : {BmpOptions{24, false}, BmpOptions{24, true}, BmpOptions{8}}) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<int>{options.bits, options.topDown}));
    // An odd width: every stored row ends in padding.
    const QImage image = options.bits == 8 ? testing::paletteImage(13, 9, palette)
                                           : testing::positionImage(13, 9);
    const auto source = testing::openRasterSource(testing::writeBmp(path("block.bmp"), image, options, palette));
    std::vector<std::uint8_t> scratch;
    for (auto [first, count] : {std::pair{0, 9}, std::pair{2, 3}, std::pair{8, 1}}) {
      std::vector<std::uint8_t> buffer(source->readRowsBytes(count));
      const RasterSource::RowBlock block = source->readRows(first, count, buffer.data());
      ASSERT_GE(std::abs(block.stride), 13 * 3);
      for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> got(block.start + i * block.stride,
                                            block.start + i * block.stride + 13 * 3);
        const std::uint8_t* want = source->row(first + i, scratch);
        ASSERT_EQ(got, std::vector<std::uint8_t>(want, want + 13 * 3)) << "row " << first + i;
      }
    }
  }
}

TEST_F(RasterSourceTest, CompressedBitmapsAreDecodedThroughGdal) {
  const auto palette = testing::testPalette(8);
  const QImage image = testing::paletteImage(21, 9, palette);
  const QString rle =
      testing::writeBmp(path("rle.bmp"), image, BmpOptions{8, false, 40, false, true}, palette);
  const auto fromRle = testing::openRasterSource(rle);
  EXPECT_EQ(dynamic_cast<const BmpFile*>(fromRle.get()), nullptr);
  expectSameAsQt(*fromRle, rle);
}

// The cause of the refusal of `bytes`, checking that it names the file.
QString refusal(const QString& file, const QByteArray& bytes) {
  testing::writeBytes(file, bytes);
  try {
    testing::openRasterSource(file);
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.file(), file);
    return failure.cause();
  }
  ADD_FAILURE() << "accepted";
  return {};
}

TEST_F(RasterSourceTest, MalformedHeadersAreRefusedWithTheirCause) {
  const QByteArray good = testing::bmpBytes(testing::positionImage(10, 10), BmpOptions{});
  const QString file = path("bad.bmp");
  auto patched = [&](int at, QByteArray value) {
    return QByteArray(good).replace(at, value.size(), value);
  };

  EXPECT_TRUE(refusal(file, good.left(good.size() - 1)).contains(messages::bitmapTruncated()));
  EXPECT_TRUE(refusal(file, good.left(20)).contains(messages::bitmapHeaderBroken()));
  EXPECT_TRUE(refusal(file, patched(14, QByteArray("\x11\x00\x00\x00", 4))).contains(messages::bitmapHeaderBroken()));
  EXPECT_TRUE(
      refusal(file, patched(18, QByteArray("\x00\x00\x00\x00", 4))).contains(messages::bitmapBadSize(0, 10)));
  EXPECT_TRUE(
      refusal(file, patched(22, QByteArray("\x00\x00\x00\x00", 4))).contains(messages::bitmapBadSize(10, 0)));
  EXPECT_TRUE(refusal(file, patched(28, QByteArray("\x07\x00", 2))).contains(messages::bitmapBadBitCount(7)));
  EXPECT_TRUE(refusal(file, patched(10, QByteArray("\x02\x00\x00\x00", 4))).contains(messages::bitmapHeaderBroken()));
  // A width whose rows overflow 32 bits is measured against the file, not read.
  EXPECT_TRUE(
      refusal(file, patched(18, QByteArray("\xff\xff\xff\x7f", 4))).contains(messages::bitmapTruncated()));
  EXPECT_TRUE(
      refusal(file, patched(22, QByteArray("\x00\x00\x00\x80", 4))).contains(messages::bitmapBadSize(10, -2147483648LL)));
  // Rows times height beyond 64 bits: refused for the size it claims.
  QByteArray huge = patched(18, QByteArray("\xff\xff\xff\x7f", 4));
  huge.replace(22, 4, QByteArray("\xff\xff\xff\x7f", 4));
  for (const char* bits : {"\x18\x00", "\x20\x00"}) {
    const QString cause = refusal(file, huge.replace(28, 2, QByteArray(bits, 2)));
    EXPECT_EQ(cause, messages::bitmapTooLarge(2147483647, 2147483647));
  }

  const auto palette = testing::testPalette(8);
  QByteArray indexed =
      testing::bmpBytes(testing::paletteImage(4, 4, palette), BmpOptions{8}, palette);
  EXPECT_TRUE(refusal(file, indexed.replace(46, 4, QByteArray("\x01\x01\x00\x00", 4)))
                  .contains(messages::bitmapPaletteBroken()));

  EXPECT_TRUE(refusal(file, "not a picture at all").startsWith(testing::before(messages::formatNotReadable(testing::kUnknown))));
  EXPECT_EQ(refusal(file, {}), messages::fileEmpty());

  // A known format cut short: the reader's own reason and the size it announced.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(testing::positionImage(64, 48).save(&buffer, "PNG"));
  const QString cut = refusal(path("cut.png"), png.left(png.size() / 2));
  EXPECT_TRUE(cut.startsWith(testing::before(messages::cannotReadRaster(testing::kUnknown, 0, 0, 0)))) << cut.toStdString();
  EXPECT_TRUE(cut.contains("64 × 48")) << cut.toStdString();
}

// A raster cut short or rewritten after it was opened: every read that follows
// fails naming the file instead of handing out rows that are not the raster's.
TEST_F(RasterSourceTest, AFileChangedUnderTheReaderFailsNamingTheFile) {
  const auto palette = testing::testPalette(8);
  for (int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    const QString file = path(QStringLiteral("changing%1.bmp").arg(bits));
    testing::writeBmp(file, testing::paletteImage(97, 600, palette), BmpOptions{bits}, palette);
    const auto source = testing::openRasterSource(file);
    source->checkUnchanged();
    ASSERT_TRUE(QFile::resize(file, 100));

    std::vector<std::uint8_t> scratch;
    unsigned sum = 0;
    try {
      for (int y = 0; y < source->height(); ++y) {
        const std::uint8_t* row = source->row(y, scratch);
        for (int x = 0; x < source->width() * 3; ++x) sum += row[x];
      }
      source->checkUnchanged();
      ADD_FAILURE() << "every row read, sum " << sum;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.cause(), messages::rasterChangedWhileReading());
      EXPECT_EQ(failure.file(), file);
    }
    try {
      std::vector<std::uint8_t> buffer(source->readRowsBytes(source->height()));
      source->readRows(0, source->height(), buffer.data());
      ADD_FAILURE() << "a block read from the cut file";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.cause(), messages::rasterChangedWhileReading());
      EXPECT_EQ(failure.file(), file);
    }
  }

  // Rewritten in place at the same size: only the modification time tells.
  const QString file = testing::writeBmp24(path("rewritten.bmp"), testing::positionImage(8, 8));
  const auto source = testing::openRasterSource(file);
  QFile touched(file);
  ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
  ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                  QFileDevice::FileModificationTime));
  touched.close();
  EXPECT_THROW(source->checkUnchanged(), Failure);
}

TEST_F(RasterSourceTest, MissingFilesAndFoldersAreNotFound) {
  for (const QString& missing : {path("none.bmp"), dir_.path(), QString()}) {
    try {
      testing::openRasterSource(missing);
      ADD_FAILURE() << "opened " << missing.toStdString();
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.cause(), messages::fileNotFound());
      EXPECT_EQ(failure.file(), missing);
    }
  }
}

}  // namespace
}  // namespace pelmora
