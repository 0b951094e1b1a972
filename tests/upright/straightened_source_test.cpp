// The straightened source: pixels show the points of the scan the frame's map
// gives, white beyond it, the same bytes in any order and from any thread; a
// band tells the scan the rows it reads; the frame's size and edges.
#include "upright/straightened_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <numbers>
#include <numeric>
#include <random>
#include <thread>

#include "support/image_raster.h"
#include "support/test_rasters.h"

namespace pelmora {
namespace {

// A sheet's rectangle of `across` by `down` set into the scan: scaled,
// turned clockwise by `degrees`, its top-left corner at `origin`.
struct Placement {
  double across, down, scale, degrees;
  FramePoint origin;
  FramePoint at(double x, double y) const {
    const double r = degrees * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
    return {origin.x + scale * (c * x - s * y), origin.y + scale * (s * x + c * y)};
  }
  FrameCorners corners() const { return {at(0, 0), at(across, 0), at(across, down), at(0, down)}; }
};

// Whether the blend at coordinate `at` of a positionImage() stays within one
// run of 256 pixels, where the colour is linear in the position.
bool blendsOneRun(double at) { return std::fmod(std::floor(at - 0.5), 256) != 255; }

// Rows read in `order` (top down when empty), each whole or, with `split`,
// as two pieces cut at a random column.
std::vector<std::uint8_t> rowsOf(const RasterSource& source, std::vector<int> order = {},
                                 bool split = false) {
  const int w = source.width();
  const std::size_t rowBytes = std::size_t(w) * 3;
  std::vector<std::uint8_t> rows(rowBytes * std::size_t(source.height())), scratch;
  if (order.empty()) {
    order.resize(std::size_t(source.height()));
    std::iota(order.begin(), order.end(), 0);
  }
  std::mt19937 random(7);
  for (const int y : order) {
    const int cut = split ? int(random() % unsigned(w + 1)) : w;
    for (const auto& [first, end] : {std::pair{0, cut}, {cut, w}})
      if (first < end)
        std::memcpy(rows.data() + rowBytes * std::size_t(y) + first * 3,
                    source.rowColumns(y, first, end, scratch) + first * 3, std::size_t(end - first) * 3);
  }
  return rows;
}

TEST(StraightenedSource, PixelsShowThePointsTheFramesMapGivesWhateverReadsThem) {
  constexpr int kWide = 4096, kHigh = 1536;
  const auto scan = std::make_shared<testing::ImageRaster>(testing::positionImage(kWide, kHigh));
  const Placement placements[] = {
      {1500, 800, 1.02, 2.5, {200, 150}},   // inside the scan
      {1200, 700, 0.97, -4, {3000, 1000}},  // over the right and bottom edges
      // Steep, over the top: a row crosses too many scan rows for a thread to
      // keep them whole, and keeps pieces of them.
      {2000, 300, 1, 35, {1500, -100}},
  };
  for (const Placement& placement : placements) {
    SCOPED_TRACE(placement.degrees);
    const auto straight = straightenedSource(scan, placement.corners());
    const int w = straight->width(), h = straight->height();
    const std::vector<std::uint8_t> rows = rowsOf(*straight);
    int inside = 0, outside = 0;
    for (int v = 0; v < h; ++v)
      for (int u = 0; u < w; ++u) {
        const FramePoint p = placement.at((u + 0.5) / w * placement.across, (v + 0.5) / h * placement.down);
        const std::uint8_t* pixel = rows.data() + (std::size_t(v) * std::size_t(w) + std::size_t(u)) * 3;
        const double margin = std::min({p.x, p.y, kWide - p.x, kHigh - p.y});
        if (margin < -1e-6) {
          ASSERT_EQ(pixel[0] & pixel[1] & pixel[2], 255) << u << "," << v;
          ++outside;
        } else if (margin > 1e-6 && blendsOneRun(p.x) && blendsOneRun(p.y)) {
          // The position from the first pixel's centre, held to the outer
          // centres, within half a level (the colour's rounding) and 1/256 of
          // a pixel (the weights' step); points on an edge may go either way.
          const QPoint at = testing::decodePosition(qRgb(pixel[2], pixel[1], pixel[0]));
          ASSERT_NEAR(at.x(), std::clamp(p.x - 0.5, 0.0, kWide - 1.0), 0.5 + 1.0 / 256 + 1e-6) << u << "," << v;
          ASSERT_NEAR(at.y(), std::clamp(p.y - 0.5, 0.0, kHigh - 1.0), 0.5 + 1.0 / 256 + 1e-6) << u << "," << v;
          ++inside;
        }
      }
    EXPECT_GT(inside, w * h / 3);
    EXPECT_EQ(outside > 0, placement.degrees != 2.5);

    // The same bytes read bottom up on one thread, in pieces in shuffled order on another.
    std::vector<int> bottomUp(std::size_t(h), 0);
    std::iota(bottomUp.rbegin(), bottomUp.rend(), 0);
    std::vector<int> shuffled = bottomUp;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    std::vector<std::uint8_t> backwards, pieces;
    std::thread one([&] { backwards = rowsOf(*straight, bottomUp); });
    std::thread other([&] { pieces = rowsOf(*straight, shuffled, true); });
    one.join();
    other.join();
    EXPECT_TRUE(backwards == rows && pieces == rows);
  }
}

// A scan that records the rows it is told of and reads, and the calls passed on.
class RecordingScan final : public RasterSource {
 public:
  explicit RecordingScan(const QImage& image) : RasterSource(image.width(), image.height()), image_(image) {}
  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override {
    const std::lock_guard lock(mutex_);
    readFrom = std::min(readFrom, y), readTo = std::max(readTo, y + 1), ++reads;
    return image_.row(y, scratch);
  }
  void willRead(int first, int last) const override { told = {first, last}; }
  void checkUnchanged() const override { ++passedOn; }
  void awaitDecoded() const override { ++passedOn; }
  void forget() const { readFrom = INT_MAX, readTo = INT_MIN, reads = 0; }
  mutable int readFrom = INT_MAX, readTo = INT_MIN, reads = 0, passedOn = 0;
  mutable std::pair<int, int> told;

 private:
  testing::ImageRaster image_;
  mutable std::mutex mutex_;
};

TEST(StraightenedSource, TellsTheScanTheRowsABandReadsAndReadsEachOnceFromTheTopDown) {
  const auto scan = std::make_shared<RecordingScan>(testing::positionImage(800, 600));
  const FrameCorners frame = Placement{700, 500, 0.99, 1.5, {60, 40}}.corners();
  std::vector<std::uint8_t> scratch;
  for (const auto& [first, last] : {std::pair{0, 10}, {37, 60}, {480, 495}}) {
    scan->forget();
    const auto band = straightenedSource(scan, frame);  // nothing kept from before
    band->willRead(first, last);
    for (int v = first; v < last; ++v) band->row(v, scratch);
    EXPECT_EQ(scan->told, std::pair(scan->readFrom, scan->readTo)) << first;
  }
  // Rows read one after another find what they blend mostly read already; a
  // scan this narrow is kept in whole rows, each read once.
  scan->forget();
  const auto straight = straightenedSource(scan, frame);
  for (int v = 0; v < straight->height(); ++v) straight->row(v, scratch);
  EXPECT_EQ(scan->reads, scan->readTo - scan->readFrom);
  straight->checkUnchanged();
  straight->awaitDecoded();
  EXPECT_EQ(scan->passedOn, 2);
}

TEST(StraightenedSource, SizeIsTheMeanEdgesAndEdgesAreWithinAPixel) {
  // Top 100, bottom hypot(102, 2), left 50, right hypot(2, 52).
  EXPECT_EQ(straightenedSize({{10, 20}, {110, 20}, {112, 72}, {10, 70}}), std::pair(101, 51));
  FrameCorners frame{{0.8, -1}, {399, 0.5}, {401, 299.2}, {-0.4, 300}};
  EXPECT_TRUE(frameOnRasterEdges(frame, 400, 300));
  EXPECT_FALSE(frameOnRasterEdges(frame, 400, 302));
  frame.bottomRight.y = 301.5;
  EXPECT_FALSE(frameOnRasterEdges(frame, 400, 300));
}

}  // namespace
}  // namespace pelmora
