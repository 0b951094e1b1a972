#include "frame/frame_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <optional>
#include <thread>

#include "base/threads.h"
#include "frame/matrix_memory.h"
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

// The raster's grey levels (mean of the three channels), reduced `factor`
// times each way by box averaging, the rows shared between threads.
cv::Mat reducedGray(const RasterSource& source, int factor) {
  const int width = source.width(), height = source.height();
  const int columns = (width + factor - 1) / factor, rows = (height + factor - 1) / factor;
  cv::Mat gray(rows, columns, CV_32F);
  const int bands = std::min(int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)), rows);
  FirstFailure failure;
  runOnThreads(
      bands,
      [&](int band) {
        failure.guard(band, [&] {
          std::vector<std::uint8_t> scratch;
          // The rows of a band summed byte by byte first (a loop the compiler
          // vectorises), then each column's bytes.
          std::vector<std::uint32_t> rowSums(std::size_t(width) * 3);
          for (int r = rows * band / bands; r < rows * (band + 1) / bands; ++r) {
            std::fill(rowSums.begin(), rowSums.end(), 0u);
            const int y0 = r * factor, y1 = std::min(height, y0 + factor);
            for (int y = y0; y < y1; ++y) {
              const std::uint8_t* pixels = source.row(y, scratch);
              std::uint32_t* sums = rowSums.data();
              for (std::size_t i = 0; i < rowSums.size(); ++i) sums[i] += pixels[i];
            }
            float* out = gray.ptr<float>(r);
            for (int c = 0; c < columns; ++c) {
              const int first = c * factor * 3, end = std::min(width, (c + 1) * factor) * 3;
              std::uint32_t sum = 0;
              for (int i = first; i < end; ++i) sum += rowSums[std::size_t(i)];
              out[c] = float(sum) / float((y1 - y0) * (end - first));
            }
          }
        });
      },
      PartsWithoutThread::runByCaller);
  failure.rethrow();
  return gray;
}

float medianOf(std::vector<float> values) {
  if (values.empty()) return 0;
  auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// How much darker than the paper around it each pixel is, less what the
// noise alone would give.
cv::Mat darknessOf(const cv::Mat& gray) {
  cv::Mat smooth, paper, median;
  cv::GaussianBlur(gray, smooth, cv::Size(5, 5), 0, 0, cv::BORDER_REPLICATE);
  cv::dilate(smooth, paper, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(15, 15)), cv::Point(-1, -1), 1,
             cv::BORDER_REPLICATE);
  cv::medianBlur(gray, median, 3);
  cv::Mat deviation = cv::abs(gray - median);
  // The noise's median from every 8th pixel: as good an estimate, at an eighth of the cost.
  std::vector<float> deviations;
  const float* values = deviation.ptr<float>();  // continuous: a fresh result
  for (std::size_t i = 0; i < deviation.total(); i += 8) deviations.push_back(values[i]);
  const float noiseFloor = 3.0f * 1.4826f * medianOf(std::move(deviations));
  cv::Mat darkness = paper - gray - noiseFloor;
  cv::max(darkness, 0.0, darkness);
  return darkness;
}

// The pixels of a darkness image that are dark at all, in row order: what
// every projection sums (most of the paper is not, and is skipped at once).
struct DarkPixels {
  int width = 0, height = 0;
  std::vector<int> x, y;
  std::vector<float> value;
};

DarkPixels darkPixelsOf(const cv::Mat& darkness) {
  DarkPixels dark;
  dark.width = darkness.cols;
  dark.height = darkness.rows;
  for (int y = 0; y < darkness.rows; ++y) {
    const float* row = darkness.ptr<float>(y);
    for (int x = 0; x < darkness.cols; ++x)
      if (row[x] > 0) dark.x.push_back(x), dark.y.push_back(y), dark.value.push_back(row[x]);
  }
  return dark;
}

// The darkness summed along lines of `slope` (v = offset + slope * (x - pivot)),
// one bin per pixel of offset; bin b's centre is at offset b - shift + 0.5.
struct Projection {
  std::vector<double> bins;
  int shift = 0;
};

Projection project(const DarkPixels& dark, double slope) {
  const double pivot = dark.width / 2.0;
  Projection projection;
  projection.shift = int(std::ceil(std::abs(slope) * pivot)) + 2;
  projection.bins.assign(std::size_t(dark.height + 2 * projection.shift + 2), 0.0);
  std::vector<double> along(static_cast<std::size_t>(dark.width));
  for (int x = 0; x < dark.width; ++x) along[std::size_t(x)] = projection.shift - slope * (x + 0.5 - pivot);
  for (std::size_t i = 0; i < dark.value.size(); ++i) {
    const double q = dark.y[i] + along[std::size_t(dark.x[i])];
    const int bin = int(q);
    const double fraction = q - bin;
    projection.bins[std::size_t(bin)] += dark.value[i] * (1 - fraction);
    projection.bins[std::size_t(bin) + 1] += dark.value[i] * fraction;
  }
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
double dominantSlope(const DarkPixels& darkness, const DarkPixels& halved) {
  std::vector<double> scores;
  auto best = [&scores](const DarkPixels& pixels, double from, double to, double step) {
    scores.clear();
    for (double slope = from; slope <= to + step / 2; slope += step) scores.push_back(sharpness(project(pixels, slope)));
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
std::optional<std::pair<int, int>> longestStretch(const cv::Mat& darkness, double slope, double offset) {
  const int width = darkness.cols, height = darkness.rows;
  const double pivot = width / 2.0;
  std::vector<float> across(std::size_t(width), 0.0f);
  for (int x = 0; x < width; ++x) {
    const int row = int(std::floor(offset + slope * (x + 0.5 - pivot)));
    for (int y = std::max(0, row - 1); y <= std::min(height - 1, row + 1); ++y)
      across[std::size_t(x)] += darkness.at<float>(y, x);
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

// The long lines across the rows of `darkness`, scaled to full resolution.
void addLongLines(const cv::Mat& darkness, bool horizontal, int factor, std::vector<LineCandidate>& lines) {
  const DarkPixels dark = darkPixelsOf(darkness);
  cv::Mat halved;
  cv::resize(darkness, halved, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
  const double slope = dominantSlope(dark, darkPixelsOf(halved));
  for (double offset : peakOffsets(project(dark, slope))) {
    const auto stretch = longestStretch(darkness, slope, offset);
    if (!stretch) continue;
    LineCandidate line;
    line.horizontal = horizontal;
    line.line = {offset * factor, slope, darkness.cols / 2.0 * factor};
    line.from = stretch->first * double(factor);
    line.to = stretch->second * double(factor);
    lines.push_back(line);
  }
}

}  // namespace

LongLines findLongLines(const RasterSource& source) {
  keepLargeMatrixMemory();
  LongLines found;
  found.factor = std::max(1, (std::max(source.width(), source.height()) + reducedLongSide - 1) / reducedLongSide);
  const cv::Mat darkness = darknessOf(reducedGray(source, found.factor));
  cv::Mat transposed;
  cv::transpose(darkness, transposed);
  // The lines across the rows and those down the columns, one direction a thread.
  std::vector<LineCandidate> vertical;
  FirstFailure failure;
  runOnThreads(
      2,
      [&](int part) {
        failure.guard(part, [&] {
          if (part == 0) addLongLines(darkness, true, found.factor, found.lines);
          else addLongLines(transposed, false, found.factor, vertical);
        });
      },
      PartsWithoutThread::runByCaller);
  failure.rethrow();
  found.lines.insert(found.lines.end(), vertical.begin(), vertical.end());
  return found;
}

Crossing crossingOf(const LineModel& h, const LineModel& v) {
  // y = h.offset + h.slope (x - h.pivot); x = v.offset + v.slope (y - v.pivot).
  const double x = (v.offset + v.slope * (h.offset - h.slope * h.pivot - v.pivot)) / (1 - v.slope * h.slope);
  return {x, h.at(x)};
}

}  // namespace pelmora::frame
