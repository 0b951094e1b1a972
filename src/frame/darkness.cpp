#include "frame/darkness.h"

#include <array>
#include <thread>

#include "base/threads.h"
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
constexpr int kGrayRing = 32, kLightestRing = 16;  // rows kept: at least 2 × 2 + 2 × 7 + 1, and 15
constexpr int kNoiseEvery = 8;   // the noise from every 8th pixel: as good an estimate, at an eighth of the cost
constexpr int kDeviations = 4096;  // of grey levels in 16ths

using Row = std::vector<std::uint16_t>;
using Histogram = std::array<std::uint32_t, kDeviations>;

// The median of nine values, by a network of exchanges.
std::uint16_t medianOfNine(std::array<std::uint16_t, 9> p) {
  auto order = [&p](int a, int b) {
    if (p[std::size_t(a)] > p[std::size_t(b)]) std::swap(p[std::size_t(a)], p[std::size_t(b)]);
  };
  order(1, 2), order(4, 5), order(7, 8), order(0, 1), order(3, 4), order(6, 7), order(1, 2), order(4, 5);
  order(7, 8), order(0, 3), order(5, 8), order(4, 7), order(3, 6), order(1, 4), order(2, 5), order(4, 7);
  order(4, 2), order(6, 4), order(4, 2);
  return p[4];
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
        lightest_(kLightestRing, Row(std::size_t(darkness.width))),
        sums_(std::size_t(source.width()) * 3),
        down_(std::size_t(darkness.width + 2 * kBlurRadius)),
        blurred_(std::size_t(darkness.width + 2 * kPaperRadius)),
        paper_(std::size_t(darkness.width)),
        nextGray_(std::max(0, first - kBlurRadius - kPaperRadius)),
        nextBlurred_(std::max(0, first - kPaperRadius)) {}

  // Writes the band's rows of out_.belowPaper; counts the deviations of every
  // 8th pixel (by its index in the copy) into `noise`.
  void run(Histogram& noise) {
    const int rows = out_.height, columns = out_.width;
    for (int r = first_; r < end_; ++r) {
      blurUpTo(std::min(rows - 1, r + kPaperRadius));
      std::uint8_t* out = out_.belowPaper.data() + std::size_t(r) * std::size_t(columns);
      const std::uint16_t* gray = grayRow(r);
      const int top = std::max(0, r - kPaperRadius), bottom = std::min(rows - 1, r + kPaperRadius);
      Row& paper = paper_;
      std::copy_n(lightest_[std::size_t(top % kLightestRing)].begin(), columns, paper.begin());
      for (int s = top + 1; s <= bottom; ++s) {
        const std::uint16_t* lighter = lightest_[std::size_t(s % kLightestRing)].data();
        for (int c = 0; c < columns; ++c) paper[std::size_t(c)] = std::max(paper[std::size_t(c)], lighter[c]);
      }
      for (int c = 0; c < columns; ++c) {
        const int below = std::max(0, int(paper[std::size_t(c)]) - int(gray[c]));
        out[c] = std::uint8_t(std::min(255, (below + kGrayScale / 2) / kGrayScale));
      }
      countNoise(r, noise);
    }
  }

 private:
  const std::uint16_t* grayRow(int r) const { return gray_[std::size_t(r % kGrayRing)].data(); }

  // The copy's grey row r: the mean of each block of factor × factor pixels' channels.
  void reduceRow(int r) {
    const int factor = out_.factor, width = source_.width();
    const int y0 = r * factor, y1 = std::min(source_.height(), y0 + factor);
    std::fill(sums_.begin(), sums_.end(), 0u);
    for (int y = y0; y < y1; ++y) {
      const std::uint8_t* pixels = source_.row(y, scratch_);
      std::uint32_t* sums = sums_.data();
      for (std::size_t i = 0; i < sums_.size(); ++i) sums[i] += pixels[i];  // vectorised
    }
    std::uint16_t* gray = gray_[std::size_t(r % kGrayRing)].data();
    for (int c = 0; c < out_.width; ++c) {
      const int from = c * factor * 3, to = std::min(width, (c + 1) * factor) * 3;
      std::uint32_t sum = 0;
      for (int i = from; i < to; ++i) sum += sums_[std::size_t(i)];
      const std::uint32_t count = std::uint32_t((y1 - y0) * (to - from));
      gray[c] = std::uint16_t((sum * kGrayScale + count / 2) / count);
    }
  }

  // Blurred rows, and of each the lightest within 7 columns, up to row `last`
  // (the edge rows and columns repeated beyond the copy).
  void blurUpTo(int last) {
    const int rows = out_.height, columns = out_.width;
    std::vector<std::uint32_t>& down = down_;
    for (; nextBlurred_ <= last; ++nextBlurred_) {
      const int s = nextBlurred_;
      for (; nextGray_ <= std::min(rows - 1, s + kBlurRadius); ++nextGray_) reduceRow(nextGray_);
      const std::uint16_t* g[5];
      for (int k = -kBlurRadius; k <= kBlurRadius; ++k) g[k + kBlurRadius] = grayRow(std::clamp(s + k, 0, rows - 1));
      for (int c = 0; c < columns; ++c)
        down[std::size_t(c + kBlurRadius)] =
            std::uint32_t(g[0][c] + g[4][c]) + 4u * (g[1][c] + g[3][c]) + 6u * g[2][c];
      for (int k = 0; k < kBlurRadius; ++k) {
        down[std::size_t(k)] = down[kBlurRadius];
        down[std::size_t(columns + kBlurRadius + k)] = down[std::size_t(columns + kBlurRadius - 1)];
      }
      Row& blurred = blurred_;
      for (int c = 0; c < columns; ++c) {
        const std::uint32_t* d = down.data() + c;
        const std::uint32_t across = d[0] + d[4] + 4u * (d[1] + d[3]) + 6u * d[2];
        blurred[std::size_t(c + kPaperRadius)] = std::uint16_t((across + 128) >> 8);
      }
      for (int k = 0; k < kPaperRadius; ++k) {
        blurred[std::size_t(k)] = blurred[kPaperRadius];
        blurred[std::size_t(columns + kPaperRadius + k)] = blurred[std::size_t(columns + kPaperRadius - 1)];
      }
      std::uint16_t* lightest = lightest_[std::size_t(s % kLightestRing)].data();
      std::copy_n(blurred.begin(), columns, lightest);
      for (int k = 1; k <= 2 * kPaperRadius; ++k)
        for (int c = 0; c < columns; ++c) lightest[c] = std::max(lightest[c], blurred[std::size_t(c + k)]);
    }
  }

  void countNoise(int r, Histogram& noise) const {
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
  std::vector<Row> gray_, lightest_;
  std::vector<std::uint32_t> sums_, down_;
  Row blurred_, paper_;
  std::vector<std::uint8_t> scratch_;
  int nextGray_, nextBlurred_;
};

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

Darkness darknessOf(const RasterSource& source, int factor) {
  Darkness darkness;
  darkness.factor = factor;
  darkness.width = (source.width() + factor - 1) / factor;
  darkness.height = (source.height() + factor - 1) / factor;
  darkness.belowPaper.resize(std::size_t(darkness.width) * std::size_t(darkness.height));
  const int bands = std::min(int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)), darkness.height);
  std::vector<Histogram> noise(std::size_t(bands), Histogram{});
  FirstFailure failure;
  runOnThreads(
      bands,
      [&](int band) {
        failure.guard(band, [&] {
          Band(source, darkness, darkness.height * band / bands, darkness.height * (band + 1) / bands)
              .run(noise[std::size_t(band)]);
        });
      },
      PartsWithoutThread::runByCaller);
  failure.rethrow();
  darkness.noiseFloor = noiseFloorOf(noise);
  return darkness;
}

}  // namespace pelmora::frame
