// The band-wise JPEG encoder: TurboJPEG's very bytes for the whole canvas
// whatever the bands, a baseline 4:2:0 JPEG that decodes back to the canvas,
// from either pixel layout and any row stride.
#include "output/jpeg_encoder.h"

#include "base/failure.h"
#include "support/message_text.h"
#include "support/turbojpeg_reference.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace pelmora {
namespace {

// The whole image encoded a band at a time, as the run hands it over.
std::vector<std::uint8_t> encodeWhole(JpegEncoder& encoder, const std::uint8_t* pixels, int width,
                                      int height, std::ptrdiff_t stride, PixelLayout layout,
                                      int quality) {
  std::vector<std::uint8_t> jpeg;
  auto keep = [&jpeg](std::span<const std::uint8_t> bytes) { jpeg.insert(jpeg.end(), bytes.begin(), bytes.end()); };
  encoder.start(width, height, layout, quality);
  for (int top = 0; top < height; top += JpegEncoder::kBandRows)
    keep(encoder.writeRows(pixels + stride * top, std::min(JpegEncoder::kBandRows, height - top), stride));
  keep(encoder.finish());
  return jpeg;
}


// A smooth picture (JPEG keeps it within a few levels) in `layout`, with
// `padding` spare bytes at the end of every row.
struct Canvas {
  int width, height;
  PixelLayout layout;
  std::ptrdiff_t stride;
  std::vector<std::uint8_t> bytes;

  Canvas(int width, int height, PixelLayout layout, int padding)
      : width(width), height(height), layout(layout),
        stride(std::ptrdiff_t(width) * bytesPerPixel(layout) + padding),
        bytes(std::size_t(stride) * height, 0xAB) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::uint8_t* p = &bytes[y * stride + x * bytesPerPixel(layout)];
        p[0] = std::uint8_t(x * 255 / width);             // blue
        p[1] = std::uint8_t(y * 255 / height);            // green
        p[2] = std::uint8_t(128 + (x + y) * 64 / (width + height));  // red
      }
  }
  QRgb at(int x, int y) const {
    const std::uint8_t* p = &bytes[y * stride + x * bytesPerPixel(layout)];
    return qRgb(p[2], p[1], p[0]);
  }
  std::vector<std::uint8_t> encodeWith(JpegEncoder& encoder, int quality) const {
    return encodeWhole(encoder, bytes.data(), width, height, stride, layout, quality);
  }
};

int largestDifference(const Canvas& canvas, const QImage& decoded) {
  int largest = 0;
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const QRgb a = canvas.at(x, y), b = decoded.pixel(x, y);
      largest = std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
    }
  return largest;
}

QImage decode(const std::vector<std::uint8_t>& jpeg) {
  return QImage::fromData(jpeg.data(), int(jpeg.size()), "JPEG");
}

// The frame header's component sampling factors, or empty when no baseline
// frame (SOF0) is present.
std::vector<int> baselineSampling(const std::vector<std::uint8_t>& jpeg) {
  for (std::size_t i = 2; i + 4 < jpeg.size();) {
    if (jpeg[i] != 0xFF) return {};
    const int marker = jpeg[i + 1];
    const std::size_t length = std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
    if (marker == 0xC0) {
      std::vector<int> factors;
      const int components = jpeg[i + 9];
      for (int c = 0; c < components; ++c) factors.push_back(jpeg[i + 10 + 3 * c + 1]);
      return factors;
    }
    if (marker == 0xDA) return {};  // scan data reached without a baseline frame
    i += 2 + length;
  }
  return {};
}

TEST(JpegEncoder, GivesTurboJpegsBytesForTheWholeCanvasWhateverTheBands) {
  auto encoder = makeJpegEncoder();
  for (PixelLayout layout : {PixelLayout::BGR24, PixelLayout::BGRX32})
    for (const QSize size : {QSize(123, 77), QSize(1, 1), QSize(16, 16), QSize(301, 35)})
      for (int quality : {1, 25, 50, 95, 96, 100}) {
        SCOPED_TRACE(::testing::Message() << size.width() << "x" << size.height() << " q" << quality
                                        << (layout == PixelLayout::BGR24 ? " BGR" : " BGRX"));
        const Canvas canvas(size.width(), size.height(), layout, 3);
        const std::vector<std::uint8_t> reference = pelmora::testing::turboJpegBytes(
            canvas.bytes.data(), canvas.width, canvas.height, canvas.stride, layout, quality);
        EXPECT_EQ(canvas.encodeWith(*encoder, quality), reference);
        // Bands that split block rows: the encoder holds rows back, same bytes.
        std::vector<std::uint8_t> uneven;
        encoder->start(canvas.width, canvas.height, layout, quality);
        for (int top = 0; top < canvas.height; top += 7) {
          const auto bytes = encoder->writeRows(canvas.bytes.data() + canvas.stride * top,
                                                std::min(7, canvas.height - top), canvas.stride);
          uneven.insert(uneven.end(), bytes.begin(), bytes.end());
        }
        const auto last = encoder->finish();
        uneven.insert(uneven.end(), last.begin(), last.end());
        EXPECT_EQ(uneven, reference);
      }
}

TEST(JpegEncoder, RefusesRowsBeyondTheImageAndAnUnfinishedImage) {
  auto encoder = makeJpegEncoder();
  const Canvas canvas(40, 20, PixelLayout::BGR24, 0);
  encoder->start(40, 20, PixelLayout::BGR24, 50);
  encoder->writeRows(canvas.bytes.data(), 16, canvas.stride);
  EXPECT_THROW(encoder->writeRows(canvas.bytes.data(), 16, canvas.stride), Failure);
  encoder->start(40, 20, PixelLayout::BGR24, 50);
  encoder->writeRows(canvas.bytes.data(), 16, canvas.stride);
  EXPECT_THROW(encoder->finish(), Failure);  // four rows short
  // A fresh start after either leaves no trace of them.
  EXPECT_EQ(canvas.encodeWith(*encoder, 50),
            pelmora::testing::turboJpegBytes(canvas.bytes.data(), 40, 20, canvas.stride, PixelLayout::BGR24, 50));
}

TEST(JpegEncoder, WritesBaseline420ThatDecodesToTheCanvasFromEitherLayout) {
  auto encoder = makeJpegEncoder();
  for (PixelLayout layout : {PixelLayout::BGR24, PixelLayout::BGRX32}) {
    const Canvas canvas(123, 77, layout, 5);  // odd sizes and a padded stride
    const auto jpeg = canvas.encodeWith(*encoder, 95);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(baselineSampling(jpeg), (std::vector<int>{0x22, 0x11, 0x11}));
    const QImage decoded = decode(jpeg);
    ASSERT_EQ(decoded.size(), QSize(123, 77));
    EXPECT_LE(largestDifference(canvas, decoded), 12);
  }
}

TEST(JpegEncoder, ReusesItsBufferAcrossSizesWithoutMixingResults) {
  auto encoder = makeJpegEncoder();
  const Canvas large(640, 480, PixelLayout::BGR24, 0);
  const Canvas small(16, 8, PixelLayout::BGR24, 0);
  const auto first = large.encodeWith(*encoder, 50);
  const auto tiny = small.encodeWith(*encoder, 50);
  const auto again = large.encodeWith(*encoder, 50);
  EXPECT_EQ(first, again);
  EXPECT_EQ(decode(tiny).size(), QSize(16, 8));
  EXPECT_LT(tiny.size(), first.size());
}

TEST(JpegEncoder, ClampsQualityToWhatTheLibraryAccepts) {
  auto encoder = makeJpegEncoder();
  const Canvas canvas(64, 64, PixelLayout::BGR24, 0);
  EXPECT_EQ(canvas.encodeWith(*encoder, 255), canvas.encodeWith(*encoder, 100));
  EXPECT_EQ(canvas.encodeWith(*encoder, 0), canvas.encodeWith(*encoder, 1));
  EXPECT_GT(canvas.encodeWith(*encoder, 90).size(), canvas.encodeWith(*encoder, 25).size());
}

TEST(JpegEncoder, RefusesWhatJpegCannotHoldWithTheLibrarysReason) {
  auto encoder = makeJpegEncoder();
  std::vector<std::uint8_t> row(70000 * 3, 0);
  try {
    encodeWhole(*encoder, row.data(), 70000, 1, std::ptrdiff_t(row.size()), PixelLayout::BGR24, 50);
    FAIL() << "a 70000-pixel-wide JPEG was accepted";
  } catch (const Failure& failure) {
    const QString sentence = testing::before(messages::cannotEncodeBecause(testing::kUnknown));
    EXPECT_TRUE(failure.cause().startsWith(sentence)) << failure.what();
    EXPECT_GT(failure.cause().size(), sentence.size());
  }
  // The encoder stays usable after a failure.
  const Canvas canvas(8, 8, PixelLayout::BGRX32, 0);
  EXPECT_EQ(decode(canvas.encodeWith(*encoder, 50)).size(), QSize(8, 8));
}

}  // namespace
}  // namespace pelmora
