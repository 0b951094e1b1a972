#include "frame/frame_lines.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/darkness.h"
#include "frame/search_threads.h"
#include "raster/raster_source.h"

namespace pelmora::frame {

namespace {

constexpr int reducedLongSide = 1280;
constexpr double maxSlope = 0.021;  // a little over 1.2 degrees of skew
constexpr double coarseSlopeStep = 0.0015;
constexpr double fineSlopeStep = 0.0005;
constexpr int maxPeaks = 40;
constexpr double minLineFraction = 0.3;  // of the raster's extent along the line
constexpr float minStrength = 4.0f;      // darkness summed across a line, in grey levels

float medianOf(std::vector<float> values) {
  if (values.empty()) return 0;
  auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The pixels of a darkness image that are dark at all, row by row: what
// every projection sums (most of the paper is not, and is skipped at once).
struct DarkPixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rowStarts;  // row y's pixels: [rowStarts[y], rowStarts[y + 1])
  std::vector<std::uint16_t> xs;
  std::vector<float> values;
  int alongSize(bool horizontal) const { return horizontal ? width : height; }
  int acrossSize(bool horizontal) const { return horizontal ? height : width; }
};

// Bit i set where the byte pixels[i] (i < 16) is at least `lowest`; with
// `pairs`, bit 2i where pixels[2i] or pixels[2i + 1] is.
inline std::uint32_t atLeast(const std::uint8_t* pixels, std::uint8_t lowest, bool pairs) {
#if defined(__SSE2__)
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  if (pairs) bytes = _mm_max_epu8(bytes, _mm_srli_epi16(bytes, 8));
  const __m128i low = _mm_set1_epi8(char(lowest));
  const auto mask = std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(bytes, low), bytes)));
#else
  std::uint32_t mask = 0;
  for (int i = 0; i < 16; ++i)
    if (pixels[i] >= lowest || (pairs && i % 2 == 0 && pixels[i + 1] >= lowest)) mask |= 1u << i;
#endif
  return pairs ? mask & 0x5555u : mask;
}

// The dark pixels of `darkness` or (`halved`) of its copy binned 2 x 2: a
// quarter of the pixels, for the coarse slopes' search. The pixels are
// compared 16 bytes at a time; most are not dark.
DarkPixels darkPixelsOf(const Darkness& darkness, bool halved) {
  const int step = halved ? 2 : 1, columns = darkness.width;
  DarkPixels dark{columns / step, darkness.height / step, {}, {}, {}};
  dark.rowStarts.reserve(std::size_t(dark.height) + 1);
  // Memory first touched costs more than the search: room for every pixel is
  // reserved, and only that of the dark ones is ever touched.
  dark.xs.reserve(std::size_t(dark.width) * std::size_t(dark.height));
  dark.values.reserve(dark.xs.capacity());
  // The lowest whole level above the noise: the darkness of a pixel is more than 0.
  const int lowest = int(std::floor(darkness.noiseFloor)) + 1;
  auto add = [&](int x, int y) {
    const float value = halved ? (darkness.at(2 * x, 2 * y) + darkness.at(2 * x + 1, 2 * y) +
                                  darkness.at(2 * x, 2 * y + 1) + darkness.at(2 * x + 1, 2 * y + 1)) / 4
                               : darkness.at(x, y);
    if (value > 0) dark.xs.push_back(std::uint16_t(x)), dark.values.push_back(value);
  };
  for (int y = 0; y < dark.height; ++y) {
    dark.rowStarts.push_back(std::uint32_t(dark.xs.size()));
    if (lowest > 255) continue;
    const std::uint8_t* upper = &darkness.belowPaper[std::size_t(y * step) * std::size_t(columns)];
    const std::uint8_t* lower = upper + (halved ? columns : 0);
    int c = 0;  // columns of the darkness compared so far
    for (; c + 16 <= dark.width * step; c += 16) {
      std::uint32_t mask = atLeast(upper + c, std::uint8_t(lowest), halved);
      if (halved) mask |= atLeast(lower + c, std::uint8_t(lowest), true);
      for (; mask; mask &= mask - 1) add((c + std::countr_zero(mask)) / step, y);
    }
    for (int x = c / step; x < dark.width; ++x) add(x, y);
  }
  dark.rowStarts.push_back(std::uint32_t(dark.xs.size()));
  return dark;
}

// The darkness summed along lines of `slope` (v = offset + slope * (x - pivot)),
// one bin per pixel of offset; bin b's centre is at offset b - shift + 0.5.
struct Projection {
  std::vector<double> bins;
  int shift = 0;
};

Projection project(const DarkPixels& dark, bool horizontal, double slope) {
  const int alongSize = dark.alongSize(horizontal);
  const double pivot = alongSize / 2.0;
  Projection projection;
  projection.shift = int(std::ceil(std::abs(slope) * pivot)) + 2;
  projection.bins.assign(std::size_t(dark.acrossSize(horizontal) + 2 * projection.shift + 2), 0.0);
  std::vector<float> shifted(static_cast<std::size_t>(alongSize));
  for (int u = 0; u < alongSize; ++u) shifted[std::size_t(u)] = float(projection.shift - slope * (u + 0.5 - pivot));
  // Neighbouring pixels of a row fall in the same bins: each of four
  // interleaved sets of bins takes every fourth pixel, so that one addition
  // need not wait for the one before.
  constexpr int sets = 4;
  const std::size_t size = projection.bins.size();
  std::vector<float> bins(size * sets, 0.0f);
  for (int y = 0; y < dark.height; ++y) {
    const std::size_t end = dark.rowStarts[std::size_t(y) + 1];
    for (std::size_t i = dark.rowStarts[std::size_t(y)]; i < end; ++i) {
      const int x = dark.xs[i];
      const float q = horizontal ? float(y) + shifted[std::size_t(x)] : float(x) + shifted[std::size_t(y)];
      const int bin = int(q);
      const float fraction = q - float(bin);
      float* into = bins.data() + (i % sets) * size + std::size_t(bin);
      into[0] += dark.values[i] * (1 - fraction);
      into[1] += dark.values[i] * fraction;
    }
  }
  for (std::size_t b = 0; b < size; ++b)
    projection.bins[b] = double(bins[b]) + bins[size + b] + bins[2 * size + b] + bins[3 * size + b];
  return projection;
}

double sharpness(const Projection& projection) {
  double sum = 0;
  for (double value : projection.bins) sum += value * value;
  return sum;
}

// The slope at which the lines across the image's rows stand out most.
// The coarse steps are tried on `halved` (the darkness binned 2 × 2: a
// quarter of the pixels, and a slope is the same at any scale), the fine ones
// on `darkness`, and the best fine step is refined by the parabola through it
// and its neighbours.
double dominantSlope(const DarkPixels& darkness, const DarkPixels& halved, bool horizontal) {
  std::vector<double> scores;
  auto best = [&scores, horizontal](const DarkPixels& pixels, double from, double to, double step) {
    scores.clear();
    for (double slope = from; slope <= to + step / 2; slope += step)
      scores.push_back(sharpness(project(pixels, horizontal, slope)));
    return int(std::max_element(scores.begin(), scores.end()) - scores.begin());
  };
  const double coarse = -maxSlope + coarseSlopeStep * best(halved, -maxSlope, maxSlope, coarseSlopeStep);
  const double from = coarse - coarseSlopeStep;
  const int b = best(darkness, from, coarse + coarseSlopeStep, fineSlopeStep);
  double slope = from + fineSlopeStep * b;
  if (b > 0 && b + 1 < int(scores.size())) {
    const double before = scores[std::size_t(b - 1)], at = scores[std::size_t(b)], after = scores[std::size_t(b + 1)];
    const double curvature = before - 2 * at + after;
    if (curvature < 0) slope += fineSlopeStep * 0.5 * (before - after) / curvature;
  }
  return slope;
}

// The offsets (reduced pixels) of the strongest local maxima of the projection.
std::vector<double> peakOffsets(const Projection& projection) {
  const auto& bins = projection.bins;
  const double strongest = bins.empty() ? 0 : *std::max_element(bins.begin(), bins.end());
  std::vector<std::pair<double, int>> peaks;
  for (int b = 1; b + 1 < int(bins.size()); ++b) {
    bool isMaximum = bins[std::size_t(b)] > 0.03 * strongest;
    for (int d = -2; d <= 2 && isMaximum; ++d)
      if (d != 0 && b + d >= 0 && b + d < int(bins.size()))
        isMaximum =
            d < 0 ? bins[std::size_t(b)] > bins[std::size_t(b + d)] : bins[std::size_t(b)] >= bins[std::size_t(b + d)];
    if (isMaximum) peaks.push_back({bins[std::size_t(b)], b});
  }
  std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  if (peaks.size() > std::size_t(maxPeaks)) peaks.resize(std::size_t(maxPeaks));
  std::vector<double> offsets;
  for (const auto& [value, b] : peaks) {
    const double before = bins[std::size_t(b - 1)], at = bins[std::size_t(b)], after = bins[std::size_t(b + 1)];
    offsets.push_back(b - projection.shift + 0.5 + (after - before) / (before + at + after));
  }
  return offsets;
}

// The longest stretch along the line at `offset` where the image is dark
// across it, bridging short gaps; nothing when it is short.
std::optional<std::pair<int, int>> longestStretch(const Darkness& darkness, bool horizontal, double slope,
                                                  double offset) {
  const int width = horizontal ? darkness.width : darkness.height, height = horizontal ? darkness.height : darkness.width;
  const double pivot = width / 2.0;
  std::vector<float> across(std::size_t(width), 0.0f);
  for (int x = 0; x < width; ++x) {
    const int row = int(std::floor(offset + slope * (x + 0.5 - pivot)));
    for (int y = std::max(0, row - 1); y <= std::min(height - 1, row + 1); ++y)
      across[std::size_t(x)] += horizontal ? darkness.at(x, y) : darkness.at(y, x);
  }
  const float threshold = std::max(minStrength, 0.4f * medianOf(across));
  const int maxGap = std::max(2, width / 24);  // a line worn or cut by labels here and there
  int bestFrom = 0, bestTo = 0, from = -1, lastDark = -1;
  for (int x = 0; x <= width; ++x) {
    const bool dark = x < width && across[std::size_t(x)] >= threshold;
    if (dark && (from < 0 || x - lastDark > maxGap)) from = x;
    if (dark) lastDark = x;
    if (from >= 0 && lastDark + 1 - from > bestTo - bestFrom) bestFrom = from, bestTo = lastDark + 1;
  }
  if (bestTo - bestFrom < minLineFraction * width) return std::nullopt;
  return std::pair{bestFrom, bestTo};
}

// The long lines across the rows (`horizontal`) or down the columns of
// `darkness`, scaled to full resolution.
void addLongLines(const Darkness& darkness, const DarkPixels& dark, const DarkPixels& halved, bool horizontal,
                  std::vector<LineCandidate>& lines) {
  const int factor = darkness.factor;
  const double slope = dominantSlope(dark, halved, horizontal);
  for (double offset : peakOffsets(project(dark, horizontal, slope))) {
    const auto stretch = longestStretch(darkness, horizontal, slope, offset);
    if (!stretch) continue;
    LineCandidate line;
    line.horizontal = horizontal;
    line.line = {offset * factor, slope, dark.alongSize(horizontal) / 2.0 * factor};
    line.from = stretch->first * double(factor);
    line.to = stretch->second * double(factor);
    lines.push_back(line);
  }
}

}  // namespace

LongLines findLongLines(const RasterSource& source, SearchThreads& threads) {
  LongLines found;
  found.factor = std::max(1, (std::max(source.width(), source.height()) + reducedLongSide - 1) / reducedLongSide);
  const Darkness darkness = darknessOf(source, found.factor, threads);
  DarkPixels dark, halved;
  threads.run(2, [&](int part) { (part == 0 ? dark : halved) = darkPixelsOf(darkness, part == 1); });
  // The lines across the rows and those down the columns.
  std::vector<LineCandidate> vertical;
  threads.run(2, [&](int part) {
    if (part == 0) addLongLines(darkness, dark, halved, true, found.lines);
    else addLongLines(darkness, dark, halved, false, vertical);
  });
  found.lines.insert(found.lines.end(), vertical.begin(), vertical.end());
  return found;
}

Crossing crossingOf(const LineModel& h, const LineModel& v) {
  // y = h.offset + h.slope (x - h.pivot); x = v.offset + v.slope (y - v.pivot).
  const double x = (v.offset + v.slope * (h.offset - h.slope * h.pivot - v.pivot)) / (1 - v.slope * h.slope);
  return {x, h.at(x)};
}

}  // namespace pelmora::frame
