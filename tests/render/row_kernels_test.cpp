// The row loops as the machine runs them (AVX2 where it has it) give the
// bytes of the x86-64 baseline build of the same loops, at every width; an
// x86-64 build, whatever its compiler, has the AVX2 loops to compare.
#include "render/row_kernels.h"

#include <gtest/gtest.h>

#include <random>

namespace pelmora::rows::baseline {
void bilinearAcross24(const std::uint8_t* source, const BilinearAcross& b, std::uint16_t* out);
void tapsAcross(const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out);
void tapsAcrossPadded(const std::uint16_t* source, const AxisTaps& h, std::uint16_t* out);
void blendDown(const std::uint16_t* a, const std::uint16_t* b, std::uint16_t wa, std::uint16_t wb,
               std::size_t n, std::uint8_t* out);
void roundDown(const std::uint16_t* a, std::size_t n, std::uint8_t* out);
void addRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums);
void widenRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums);
void addRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums);
void widenRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums);
void widenInto(bool add, const std::uint16_t* sums, std::size_t n, std::uint32_t* wide);
void areaDown(const std::uint8_t* first, std::uint32_t wFirst, const std::uint8_t* last,
              std::uint32_t wLast, const std::uint32_t* middleSums, std::uint32_t middle,
              std::size_t n, std::uint16_t* out);
}  // namespace pelmora::rows::baseline

namespace pelmora {
namespace {

namespace base = rows::baseline;

class RowKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef __x86_64__
    GTEST_SKIP() << "not x86-64: the loops are built once";
#else
#ifndef PELMORA_ROW_LOOPS_AVX2
    FAIL() << "the AVX2 loops are not built: both sides would run the baseline";
#endif
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2: both builds run the baseline";
#endif
  }

  template <typename T>
  std::vector<T> randomRow(std::size_t n, std::uint32_t below) {
    std::vector<T> row(n);
    for (T& value : row) value = T(random_() % below);
    return row;
  }

  std::mt19937 random_{20261207};
};

// Source and output widths: odd ones, around the vectors' lanes and the 64-channel blocks.
const int kWidths[] = {2, 3, 5, 7, 13, 21, 31, 33, 64, 65, 127, 129, 1001};

TEST_F(RowKernelsTest, ResamplingAcrossGivesTheBaselinesBytes) {
  for (int sourceWidth : kWidths)
    for (int destWidth : kWidths) {
      SCOPED_TRACE(::testing::Message() << sourceWidth << " -> " << destWidth);
      const AxisTaps taps = axisTaps(sourceWidth, destWidth, 0, destWidth);
      const std::size_t out = 3 * std::size_t(destWidth);
      const auto source = randomRow<std::uint8_t>(3 * std::size_t(sourceWidth), 256);
      std::vector<std::uint16_t> a(out + 1), b(out + 1);
      rows::tapsAcross(source.data(), taps, a.data());
      base::tapsAcross(source.data(), taps, b.data());
      ASSERT_EQ(a, b) << "tapsAcross";

      // Resampled channels, padded by one channel as the loop needs.
      const auto wide = randomRow<std::uint16_t>(3 * std::size_t(sourceWidth) + 1, (255 << 8) + 1);
      rows::tapsAcrossPadded(wide.data(), taps, a.data());
      base::tapsAcrossPadded(wide.data(), taps, b.data());
      ASSERT_TRUE(std::equal(a.begin(), a.begin() + std::ptrdiff_t(out), b.begin())) << "tapsAcrossPadded";

      if (taps.area) continue;
      const rows::BilinearAcross bilinear = rows::bilinearAcross(taps, sourceWidth);
      rows::bilinearAcross24(source.data(), bilinear, a.data());
      base::bilinearAcross24(source.data(), bilinear, b.data());
      ASSERT_TRUE(std::equal(a.begin(), a.begin() + std::ptrdiff_t(out), b.begin())) << "bilinearAcross24";
    }
}

TEST_F(RowKernelsTest, BlendingAndAddingDownGiveTheBaselinesBytes) {
  for (int width : kWidths) {
    SCOPED_TRACE(width);
    const std::size_t n = 3 * std::size_t(width);
    const auto rowA = randomRow<std::uint8_t>(n, 256), rowB = randomRow<std::uint8_t>(n, 256);
    const auto wideA = randomRow<std::uint16_t>(n, (255 << 8) + 1);
    const auto wideB = randomRow<std::uint16_t>(n, (255 << 8) + 1);
    std::vector<std::uint8_t> bytesA(n), bytesB(n);
    const auto wa = std::uint16_t(1 + random_() % (kTapOne - 1));
    rows::blendDown(wideA.data(), wideB.data(), wa, std::uint16_t(kTapOne - wa), n, bytesA.data());
    base::blendDown(wideA.data(), wideB.data(), wa, std::uint16_t(kTapOne - wa), n, bytesB.data());
    ASSERT_EQ(bytesA, bytesB) << "blendDown";
    rows::roundDown(wideA.data(), n, bytesA.data());
    base::roundDown(wideA.data(), n, bytesB.data());
    ASSERT_EQ(bytesA, bytesB) << "roundDown";

    // Sums as a column of rows leaves them: up to 257 rows of 255.
    const auto sums = randomRow<std::uint16_t>(n, 255 * 255);
    std::vector<std::uint16_t> a = sums, b = sums;
    rows::addRow(rowA.data(), n, a.data());
    base::addRow(rowA.data(), n, b.data());
    ASSERT_EQ(a, b) << "addRow";
    rows::addRows(rowA.data(), rowB.data(), n, a.data());
    base::addRows(rowA.data(), rowB.data(), n, b.data());
    ASSERT_EQ(a, b) << "addRows";
    rows::widenRow(rowB.data(), n, a.data());
    base::widenRow(rowB.data(), n, b.data());
    ASSERT_EQ(a, b) << "widenRow";
    rows::widenRows(rowA.data(), rowB.data(), n, a.data());
    base::widenRows(rowA.data(), rowB.data(), n, b.data());
    ASSERT_EQ(a, b) << "widenRows";

    std::vector<std::uint32_t> wideSumsA(n), wideSumsB(n);
    for (bool add : {false, true}) {
      rows::widenInto(add, sums.data(), n, wideSumsA.data());
      base::widenInto(add, sums.data(), n, wideSumsB.data());
      ASSERT_EQ(wideSumsA, wideSumsB) << "widenInto " << add;
    }

    // Three rows between the first and the last, each of them a fifth; some
    // rounding over 2^20 too, which the loop clamps to white.
    const auto middleSums = randomRow<std::uint32_t>(n, 3 * 255 + 1);
    for (std::uint32_t fifth : {(1u << kAreaShift) / 5, (1u << kAreaShift) / 5 + 2}) {
      rows::areaDown(rowA.data(), fifth, rowB.data(), fifth, middleSums.data(), fifth, n, a.data());
      base::areaDown(rowA.data(), fifth, rowB.data(), fifth, middleSums.data(), fifth, n, b.data());
      ASSERT_EQ(a, b) << "areaDown";
    }
  }
}

}  // namespace
}  // namespace pelmora
