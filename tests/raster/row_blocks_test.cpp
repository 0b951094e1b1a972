// The shared row blocks: pinned rows are the source's rows whatever the
// budget evicts, rows outside a pin are read through, a failed read leaves
// nothing pinned, and threads pinning at once see their own rows.
#include "raster/row_blocks.h"

#include "base/failure.h"
#include "support/image_raster.h"
#include "support/test_rasters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

namespace pelmora {
namespace {

// A raster whose rows from `failFrom` on cannot be read, counting the block reads.
class CountingRaster final : public RasterSource {
 public:
  CountingRaster(const QImage& image, int failFrom)
      : RasterSource(image.width(), image.height()), image_(image), failFrom_(failFrom) {}
  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override {
    if (y >= failFrom_) throw Failure(QStringLiteral("unreadable row"));
    return image_.row(y, scratch);
  }
  RowBlock readRows(int first, int count, std::uint8_t* buffer) const override {
    ++blockReads;
    return RasterSource::readRows(first, count, buffer);
  }
  mutable std::atomic<int> blockReads{0};

 private:
  testing::ImageRaster image_;
  int failFrom_;
};

bool sameRow(const RasterSource& a, const RasterSource& b, int y) {
  std::vector<std::uint8_t> sa, sb;
  return std::memcmp(a.row(y, sa), b.row(y, sb), std::size_t(a.width()) * 3) == 0;
}

// 40000 pixels wide: 120 KB a row, so that a budget of 2 MB holds a few
// blocks of rows and the reads below outgrow it.
constexpr int kWide = 40000;

TEST(RowBlocks, PinnedRowsAreTheSourceRowsWhateverTheBudgetDrops) {
  const CountingRaster source(testing::positionImage(kWide, 100), 100);
  RowBlocks blocks(source, 2u << 20);
  for (const auto& [first, end] : {std::pair{0, 20}, {10, 30}, {90, 100}, {0, 5}, {50, 51}}) {
    const RowBlocks::Pinned pinned(blocks, first, end);
    for (int y = 0; y < 100; y += 3) ASSERT_TRUE(sameRow(pinned, source, y)) << first << " " << y;
  }

  // Released rows are read again when asked for; rows still ahead are not.
  const int before = source.blockReads.load();
  { const RowBlocks::Pinned again(blocks, 50, 51); }
  EXPECT_EQ(source.blockReads.load(), before);
  blocks.releaseBelow(64);
  { const RowBlocks::Pinned again(blocks, 50, 51); }
  EXPECT_GT(source.blockReads.load(), before);
}

TEST(RowBlocks, AFailedReadPinsNothingAndOtherRowsStillCome) {
  const CountingRaster source(testing::positionImage(kWide, 100), 60);
  RowBlocks blocks(source, 2u << 20);
  EXPECT_THROW(RowBlocks::Pinned(blocks, 40, 70), Failure);
  // The blocks of rows 40..55 were read before the failing one; left pinned,
  // they would stay in memory however far the run moved on.
  const int before = source.blockReads.load();
  blocks.releaseBelow(56);
  {
    const RowBlocks::Pinned pinned(blocks, 40, 48);
    EXPECT_TRUE(sameRow(pinned, source, 47));
  }
  EXPECT_GT(source.blockReads.load(), before);
  EXPECT_THROW(RowBlocks::Pinned(blocks, 59, 61), Failure);
}

TEST(RowBlocks, ThreadsPinningAtOnceEachSeeTheirRows) {
  const CountingRaster source(testing::positionImage(kWide / 4, 400), 400);
  RowBlocks blocks(source, 3u << 20);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      std::mt19937 generator{unsigned(t)};
      for (int i = 0; i < 200; ++i) {
        const int first = int(generator() % 380);
        const RowBlocks::Pinned pinned(blocks, first, first + 1 + int(generator() % 20));
        if (!sameRow(pinned, source, first)) ++wrong;
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace pelmora
