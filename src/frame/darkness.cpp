#include "frame/darkness.h"

#include <array>

#include "frame/search_threads.h"
#include "raster/raster_source.h"

// The filters here are written out rather than taken from an image library:
// the copy is filtered a band of rows at a time through a few rows kept in
// rings, so that the only large memory is the result. Memory a process touches
// for the first time costs more than the filtering itself, and the search
// happens once per run.
namespace pelmora::frame {

namespace {

constexpr int kGrayScale = 16;   // the copy's grey levels, in 16ths
constexpr int kBlurRadius = 2;   // the 5 × 5 Gaussian, weights 1 4 6 4 1 each way
constexpr int kPaperRadius = 7;  // the paper: the blurred copy's lightest within 15 × 15
constexpr int kGrayRing = 32, kLightestRing = 16;  // rows kept: at least 2 × 2 + 2 × 7 + 1, and 15 + 1
constexpr int kNoiseEvery = 32;  // the noise from every 32nd pixel: as good an estimate, at a fraction of the cost
constexpr int kDeviations = 4096;  // of grey levels in 16ths
constexpr int kRowsPerBand = 96, kMostBands = 6;

using Row = std::vector<std::uint16_t>;
using Histogram = std::array<std::uint32_t, kDeviations>;

// Inlined into the band's two builds: for the baseline and, on x86-64, for AVX2.
#define PELMORA_DARKNESS_BODY [[gnu::always_inline]] inline

// The median of nine values, by a network of exchanges.
PELMORA_DARKNESS_BODY std::uint16_t medianOfNine(std::array<std::uint16_t, 9> p) {
  auto order = [&p](int a, int b) {
    if (p[std::size_t(a)] > p[std::size_t(b)]) std::swap(p[std::size_t(a)], p[std::size_t(b)]);
  };
  order(1, 2), order(4, 5), order(7, 8), order(0, 1), order(3, 4), order(6, 7), order(1, 2), order(4, 5);
  order(7, 8), order(0, 3), order(5, 8), order(4, 7), order(3, 6), order(1, 4), order(2, 5), order(4, 7);
  order(4, 2), order(6, 4), order(4, 2);
  return p[4];
}

// The lightest of each run of 15 values of `in` (15 + 14 values) into `out`,
// by doubling: the lightest of 2, of 4, of 8, then of two runs of 8 that
// overlap. `pairs` and `quads` are scratch rows at least as long as `in`.
PELMORA_DARKNESS_BODY void lightestOf15(const std::uint16_t* in, int count, std::uint16_t* pairs,
                                         std::uint16_t* quads, std::uint16_t* out) {
  for (int i = 0; i < count + 13; ++i) pairs[i] = std::max(in[i], in[i + 1]);
  for (int i = 0; i < count + 11; ++i) quads[i] = std::max(pairs[i], pairs[i + 2]);
  for (int i = 0; i < count + 7; ++i) pairs[i] = std::max(quads[i], quads[i + 4]);
  for (int i = 0; i < count; ++i) out[i] = std::max(pairs[i], pairs[i + 7]);
}

// One band of the copy's rows, [first, end), worked out from the copy's grey
// rows up to 9 beyond it each way, each row once.
class Band {
 public:
  Band(const RasterSource& source, Darkness& darkness, int first, int end)
      : source_(source),
        out_(darkness),
        first_(first),
        end_(end),
        gray_(kGrayRing, Row(std::size_t(darkness.width))),
        sums_(std::size_t(source.width()) * 3),
        down_(std::size_t(darkness.width + 2 * kBlurRadius)),
        blurred_(std::size_t(darkness.width + 2 * kPaperRadius)),
        pairs_(blurred_.size()),
        quads_(blurred_.size()),
        nextGray_(std::max(0, first - kBlurRadius - kPaperRadius)),
        nextBlurred_(std::max(0, first - kPaperRadius)) {
    for (int k = 1; k < kLevels; ++k) lighter_[std::size_t(k)].assign(kLightestRing, Row(std::size_t(darkness.width)));
    for (int k = 0; k < kLevels; ++k) nextLighter_[std::size_t(k)] = first - kPaperRadius;
  }

  // Writes the band's rows of out_.belowPaper; counts the deviations of every
  // 32nd pixel (by its index in the copy) into `noise`.
  PELMORA_DARKNESS_BODY void run(Histogram& noise) {
    const int columns = out_.width;
    for (int r = first_; r < end_; ++r) {
      // The paper: the lightest of the rows' lightest within 7 columns, over
      // rows r - 7 to r + 7, as two runs of 8 rows.
      const std::uint16_t* above = lighterRow(kLevels - 1, r - kPaperRadius);
      const std::uint16_t* below = lighterRow(kLevels - 1, r);
      std::uint8_t* out = out_.belowPaper.data() + std::size_t(r) * std::size_t(columns);
      const std::uint16_t* gray = grayRow(r);
      for (int c = 0; c < columns; ++c) {
        const int darker = std::max(0, int(std::max(above[c], below[c])) - int(gray[c]));
        out[c] = std::uint8_t(std::min(255, (darker + kGrayScale / 2) / kGrayScale));
      }
      countNoise(r, noise);
    }
  }

 private:
  static constexpr int kLevels = 4;  // the lightest of 1, 2, 4 and 8 rows

  const std::uint16_t* grayRow(int r) const { return gray_[std::size_t(r % kGrayRing)].data(); }

  // The lightest of rows [s, s + 2^level) of the blurred rows' lightest
  // within 7 columns; rows beyond the copy are its edge rows again (the
  // lightest of a run cut short at the edge).
  PELMORA_DARKNESS_BODY const std::uint16_t* lighterRow(int level, int s) {
    if (level == 0) {
      const int row = std::clamp(s, 0, out_.height - 1);
      blurUpTo(row);
      return lightestAcross_[std::size_t(row % kLightestRing)].data();
    }
    const int columns = out_.width;
    int& next = nextLighter_[std::size_t(level)];
    for (; next <= s; ++next) {
      std::uint16_t* into = lighter_[std::size_t(level)][ringIndex(next)].data();
      const std::uint16_t* a = lighterRow(level - 1, next);
      const std::uint16_t* b = lighterRow(level - 1, next + (1 << (level - 1)));
      for (int c = 0; c < columns; ++c) into[c] = std::max(a[c], b[c]);
    }
    return lighter_[std::size_t(level)][ringIndex(s)].data();
  }
  static std::size_t ringIndex(int s) { return std::size_t((s % kLightestRing + kLightestRing) % kLightestRing); }

  // The copy's grey row r: the mean of each block of factor × factor pixels' channels.
  PELMORA_DARKNESS_BODY void reduceRow(int r) {
    const int factor = out_.factor, width = source_.width();
    const int y0 = r * factor, y1 = std::min(source_.height(), y0 + factor);
    std::fill(sums_.begin(), sums_.end(), 0u);
    // The block's rows in one read where the source reads a stretch of its file at once.
    scratch_.resize(source_.readRowsBytes(y1 - y0));
    const RasterSource::RowBlock rows = source_.readRows(y0, y1 - y0, scratch_.data());
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* pixels = rows.start + rows.stride * (y - y0);
      std::uint32_t* sums = sums_.data();
      for (std::size_t i = 0; i < sums_.size(); ++i) sums[i] += pixels[i];
    }
    std::uint16_t* gray = gray_[std::size_t(r % kGrayRing)].data();
    const int block = factor * 3, fullColumns = width / factor;
    // Whole blocks: a fixed count, divided by a multiply.
    const std::uint64_t count = std::uint64_t(y1 - y0) * std::uint64_t(block);
    const std::uint64_t scale = (std::uint64_t(kGrayScale) << 32) / count;
    for (int c = 0; c < fullColumns; ++c) {
      const std::uint32_t* from = sums_.data() + std::size_t(c) * std::size_t(block);
      std::uint64_t sum = 0;
      for (int i = 0; i < block; ++i) sum += from[i];
      gray[c] = std::uint16_t((sum * scale + (std::uint64_t(1) << 31)) >> 32);
    }
    for (int c = fullColumns; c < out_.width; ++c) {
      const int from = c * block, to = width * 3;
      std::uint64_t sum = 0;
      for (int i = from; i < to; ++i) sum += sums_[std::size_t(i)];
      const std::uint64_t partial = std::uint64_t(y1 - y0) * std::uint64_t(to - from);
      gray[c] = std::uint16_t((sum * kGrayScale + partial / 2) / partial);
    }
  }

  // Blurred rows, and of each the lightest within 7 columns, up to row `last`
  // (the edge rows and columns repeated beyond the copy).
  PELMORA_DARKNESS_BODY void blurUpTo(int last) {
    const int rows = out_.height, columns = out_.width;
    std::uint32_t* down = down_.data();
    for (; nextBlurred_ <= last; ++nextBlurred_) {
      const int s = nextBlurred_;
      for (; nextGray_ <= std::min(rows - 1, s + kBlurRadius); ++nextGray_) reduceRow(nextGray_);
      const std::uint16_t* g[5];
      for (int k = -kBlurRadius; k <= kBlurRadius; ++k) g[k + kBlurRadius] = grayRow(std::clamp(s + k, 0, rows - 1));
      for (int c = 0; c < columns; ++c)
        down[c + kBlurRadius] = std::uint32_t(g[0][c] + g[4][c]) + 4u * (g[1][c] + g[3][c]) + 6u * g[2][c];
      for (int k = 0; k < kBlurRadius; ++k) {
        down[k] = down[kBlurRadius];
        down[columns + kBlurRadius + k] = down[columns + kBlurRadius - 1];
      }
      std::uint16_t* blurred = blurred_.data();
      for (int c = 0; c < columns; ++c) {
        const std::uint32_t* d = down + c;
        const std::uint32_t across = d[0] + d[4] + 4u * (d[1] + d[3]) + 6u * d[2];
        blurred[c + kPaperRadius] = std::uint16_t((across + 128) >> 8);
      }
      for (int k = 0; k < kPaperRadius; ++k) {
        blurred[k] = blurred[kPaperRadius];
        blurred[columns + kPaperRadius + k] = blurred[columns + kPaperRadius - 1];
      }
      lightestOf15(blurred, columns, pairs_.data(), quads_.data(),
                   lightestAcross_[std::size_t(s % kLightestRing)].data());
    }
  }

  PELMORA_DARKNESS_BODY void countNoise(int r, Histogram& noise) const {
    const int rows = out_.height, columns = out_.width;
    const std::uint16_t* near[3] = {grayRow(std::max(0, r - 1)), grayRow(r), grayRow(std::min(rows - 1, r + 1))};
    const std::int64_t rowStart = std::int64_t(r) * columns;
    for (int c = int((kNoiseEvery - rowStart % kNoiseEvery) % kNoiseEvery); c < columns; c += kNoiseEvery) {
      const int left = std::max(0, c - 1), right = std::min(columns - 1, c + 1);
      const std::uint16_t median = medianOfNine({near[0][left], near[0][c], near[0][right], near[1][left], near[1][c],
                                                 near[1][right], near[2][left], near[2][c], near[2][right]});
      ++noise[std::size_t(std::min(kDeviations - 1, std::abs(int(near[1][c]) - int(median))))];
    }
  }

  const RasterSource& source_;
  Darkness& out_;
  int first_, end_;
  std::vector<Row> gray_;
  std::vector<Row> lightestAcross_ = std::vector<Row>(kLightestRing, Row(std::size_t(out_.width)));
  std::array<std::vector<Row>, kLevels> lighter_;  // rings of levels 1 to 3; level 0 is lightestAcross_
  std::array<int, kLevels> nextLighter_{};
  std::vector<std::uint32_t> sums_, down_;
  Row blurred_, pairs_, quads_;
  std::vector<std::uint8_t> scratch_;
  int nextGray_, nextBlurred_;
};

#if defined(__x86_64__)
__attribute__((target("avx2"))) void runBandAvx2(Band& band, Histogram& noise) { band.run(noise); }
#endif
void runBand(Band& band, Histogram& noise) {
#if defined(__x86_64__)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) return runBandAvx2(band, noise);
#endif
  band.run(noise);
}

float noiseFloorOf(const std::vector<Histogram>& counts) {
  Histogram all{};
  std::uint64_t total = 0;
  for (const Histogram& band : counts)
    for (int i = 0; i < kDeviations; ++i) all[std::size_t(i)] += band[std::size_t(i)], total += band[std::size_t(i)];
  // The value at the middle rank, as a partial sort would place it.
  std::uint64_t seen = 0;
  for (int i = 0; i < kDeviations; ++i) {
    seen += all[std::size_t(i)];
    if (seen > total / 2) return 3.0f * 1.4826f * float(i) / kGrayScale;
  }
  return 0;
}

}  // namespace

Darkness darknessOf(const RasterSource& source, int factor, SearchThreads& threads) {
  Darkness darkness;
  darkness.factor = factor;
  darkness.width = (source.width() + factor - 1) / factor;
  darkness.height = (source.height() + factor - 1) / factor;
  darkness.belowPaper.resize(std::size_t(darkness.width) * std::size_t(darkness.height));
  // Bands enough to share between two threads whenever the second comes,
  // few enough that the rows each band works out again above it stay few.
  const int bands = std::clamp(darkness.height / kRowsPerBand, 1, kMostBands);
  std::vector<Histogram> noise(std::size_t(bands), Histogram{});
  threads.run(bands, [&](int band) {
    Band part(source, darkness, darkness.height * band / bands, darkness.height * (band + 1) / bands);
    runBand(part, noise[std::size_t(band)]);
  });
  darkness.noiseFloor = noiseFloorOf(noise);
  return darkness;
}

}  // namespace pelmora::frame
