#include "frame/frame_refinement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "raster/raster_source.h"

namespace pelmora::frame {

namespace {

constexpr int samplesPerLine = 192;
constexpr int pixelsAveragedAlong = 5;  // each profile averages this many pixels along the line
constexpr double minContrast = 12;      // grey levels between the paper and the line's darkest pixel
constexpr double runThreshold = 0.35;   // of the darkest pixel: what belongs to the line
constexpr double minPointsKept = 0.3;   // of the samples: fewer and the line is not confirmed
constexpr double maxSlopeError = 0.01;  // of a candidate found on the reduced copy

// One sample across the line: grey levels of the window's pixels, the window
// starting at pixel `first` across the line, at `along` (a pixel centre) along it.
struct Profile {
  double along = 0;
  int first = 0;
  std::vector<double> grey;
  int filled = 0;  // pixels along the line summed into each value
};

struct LinePoint {
  double along = 0, across = 0, width = 0;
};

double greyAt(const std::uint8_t* pixel) { return (pixel[0] + pixel[1] + pixel[2]) / 3.0; }

// Profiles across a horizontal line: the rows of the strip read once each.
void fillAcrossRows(const RasterSource& source, std::vector<Profile>& profiles, int columnsFrom, int columnsTo) {
  int top = source.height(), bottom = -1;
  for (const Profile& p : profiles)
    top = std::min(top, p.first), bottom = std::max(bottom, p.first + int(p.grey.size()) - 1);
  std::vector<std::uint8_t> scratch;
  for (int y = std::max(top, 0); y <= std::min(bottom, source.height() - 1); ++y) {
    const std::uint8_t* row = source.rowColumns(y, columnsFrom, columnsTo, scratch);
    for (Profile& p : profiles) {
      const int index = y - p.first;
      if (index < 0 || index >= int(p.grey.size())) continue;
      const int centre = int(p.along);
      for (int x = centre - pixelsAveragedAlong / 2; x <= centre + pixelsAveragedAlong / 2; ++x)
        p.grey[std::size_t(index)] += greyAt(row + 3 * std::size_t(x));
    }
  }
  for (Profile& p : profiles) p.filled = pixelsAveragedAlong;
}

// Profiles across a vertical line: a few rows around each point, the
// window's columns only.
void fillAcrossColumns(const RasterSource& source, std::vector<Profile>& profiles) {
  std::vector<std::uint8_t> scratch;
  for (Profile& p : profiles) {
    const int centre = int(p.along), end = p.first + int(p.grey.size());
    for (int y = centre - pixelsAveragedAlong / 2; y <= centre + pixelsAveragedAlong / 2; ++y) {
      const std::uint8_t* row = source.rowColumns(y, p.first, end, scratch);
      for (int x = p.first; x < end; ++x) p.grey[std::size_t(x - p.first)] += greyAt(row + 3 * std::size_t(x));
    }
    p.filled = pixelsAveragedAlong;
  }
}

// The middles and widths of the dark runs lying wholly inside the window;
// none when the profile shows no line.
std::vector<LinePoint> centresOf(const Profile& profile) {
  const int n = int(profile.grey.size());
  std::vector<double> sorted = profile.grey;
  std::sort(sorted.begin(), sorted.end());
  const double paper = sorted[std::size_t(n * 9 / 10)] / profile.filled;
  std::vector<double> darkness(static_cast<std::size_t>(n));
  double darkest = 0;
  for (int j = 0; j < n; ++j) {
    darkness[std::size_t(j)] = std::max(0.0, paper - profile.grey[std::size_t(j)] / profile.filled);
    darkest = std::max(darkest, darkness[std::size_t(j)]);
  }
  std::vector<LinePoint> centres;
  if (darkest < minContrast) return centres;
  for (int j = 0; j < n;) {
    if (darkness[std::size_t(j)] < runThreshold * darkest) {
      ++j;
      continue;
    }
    int end = j;
    while (end < n && darkness[std::size_t(end)] >= runThreshold * darkest) ++end;
    if (j > 0 && end < n) {
      double sum = 0, moment = 0, peak = 0;
      for (int i = j - 1; i <= end; ++i) {
        sum += darkness[std::size_t(i)];
        moment += darkness[std::size_t(i)] * (i + 0.5);
        peak = std::max(peak, darkness[std::size_t(i)]);
      }
      centres.push_back({profile.along, profile.first + moment / sum, sum / peak});
    }
    j = end;
  }
  return centres;
}

// The least-squares line across = offset + slope (along - pivot) through `points`.
LineModel fitted(const std::vector<LinePoint>& points, double pivot) {
  double su = 0, sv = 0, suu = 0, suv = 0;
  for (const LinePoint& p : points) {
    const double u = p.along - pivot;
    su += u, sv += p.across, suu += u * u, suv += u * p.across;
  }
  const double n = double(points.size()), denominator = n * suu - su * su;
  const double slope = denominator > 0 ? (n * suv - su * sv) / denominator : 0;
  return {(sv - slope * su) / n, slope, pivot};
}

double medianOf(std::vector<double> values) {
  auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// Fits a line to `points`, dropping those far from it (3 robust standard
// deviations, and never closer than a third of a pixel) until none is.
RefinedLine robustFit(std::vector<LinePoint> points, double pivot, int samples) {
  RefinedLine refined;
  for (int round = 0; round < 6 && points.size() >= 3; ++round) {
    refined.line = fitted(points, pivot);
    std::vector<double> residuals;
    for (const LinePoint& p : points) residuals.push_back(std::abs(p.across - refined.line.at(p.along)));
    const double limit = std::max(1.4826 * 3 * medianOf(residuals), 0.33);
    std::vector<LinePoint> kept;
    for (std::size_t i = 0; i < points.size(); ++i)
      if (residuals[i] <= limit) kept.push_back(points[i]);
    const bool done = kept.size() == points.size();
    points = std::move(kept);
    if (done) break;
  }
  refined.points = int(points.size());
  refined.found = points.size() >= std::max<std::size_t>(12, std::size_t(minPointsKept * samples));
  if (refined.found) {
    std::vector<double> widths;
    for (const LinePoint& p : points) widths.push_back(p.width);
    refined.width = medianOf(std::move(widths));
  }
  return refined;
}

// The candidate's slope comes from the reduced copy, and on a large scan it
// may be off by a few thousandths: over a long side enough to spread the
// points of two lines some pixels apart over each other. The line through
// the candidate's pivot and offset whose slope bunches the points' distances
// from it most tightly (the sum of squared counts of 1-pixel bins), the
// smallest change first among equals.
LineModel bunchedLine(const std::vector<LinePoint>& points, const LineModel& line) {
  double reach = 0;
  for (const LinePoint& p : points) reach = std::max(reach, std::abs(p.along - line.pivot));
  if (points.size() < 2 || reach < 1) return line;
  const double step = 0.5 / reach;  // half a pixel at the farthest point
  const int steps = int(std::ceil(maxSlopeError / step));
  double farthest = 0;
  for (const LinePoint& p : points) farthest = std::max(farthest, std::abs(p.across - line.at(p.along)));
  const int middle = int(std::ceil(farthest + maxSlopeError * reach)) + 1;
  std::vector<int> counts(std::size_t(2 * middle + 1));
  double best = 0;
  long long bestScore = -1;
  for (int k = 0; k <= 2 * steps; ++k) {
    const double change = (k % 2 == 1 ? 1 : -1) * ((k + 1) / 2) * step;  // 0, +1, -1, +2, ... steps
    std::fill(counts.begin(), counts.end(), 0);
    long long score = 0;
    for (const LinePoint& p : points) {
      const double distance = p.across - line.at(p.along) - change * (p.along - line.pivot);
      int& count = counts[std::size_t(std::clamp(int(std::floor(distance)) + middle, 0, 2 * middle))];
      score += 2 * count + 1;  // (n + 1)^2 - n^2
      ++count;
    }
    if (score > bestScore) bestScore = score, best = change;
  }
  return {line.offset, line.slope + best, line.pivot};
}

}  // namespace

// The points grouped by their distance from `line`: runs of points closer
// than a couple of pixels to the next, each a line of its own.
std::vector<std::vector<LinePoint>> tracksOf(std::vector<LinePoint> points, const LineModel& line) {
  auto residual = [&](const LinePoint& p) { return p.across - line.at(p.along); };
  std::sort(points.begin(), points.end(),
            [&](const LinePoint& a, const LinePoint& b) { return residual(a) < residual(b); });
  std::vector<std::vector<LinePoint>> tracks;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == 0 || residual(points[i]) - residual(points[i - 1]) > 2.0) tracks.emplace_back();
    tracks.back().push_back(points[i]);
  }
  return tracks;
}

std::vector<RefinedLine> refineLine(const RasterSource& source, const LineCandidate& candidate, int factor) {
  const int alongSize = candidate.horizontal ? source.width() : source.height();
  const int acrossSize = candidate.horizontal ? source.height() : source.width();
  const double length = candidate.to - candidate.from;
  const double trim = std::max(0.03 * length, 2.0 * factor + 8);
  const double start = std::max(candidate.from + trim, double(pixelsAveragedAlong));
  const double end = std::min(candidate.to - trim, double(alongSize - pixelsAveragedAlong));
  if (end - start < 16) return {};
  const int halfWindow = 3 * factor + 6;
  std::vector<Profile> profiles;
  for (int k = 0; k < samplesPerLine; ++k) {
    Profile p;
    p.along = std::floor(start + (k + 0.5) * (end - start) / samplesPerLine) + 0.5;
    p.first = int(std::floor(candidate.line.at(p.along))) - halfWindow;
    if (p.first < 0 || p.first + 2 * halfWindow + 1 > acrossSize) continue;
    p.grey.assign(std::size_t(2 * halfWindow + 1), 0.0);
    profiles.push_back(std::move(p));
  }
  if (candidate.horizontal)
    fillAcrossRows(source, profiles, int(start) - pixelsAveragedAlong, int(end) + pixelsAveragedAlong);
  else
    fillAcrossColumns(source, profiles);
  std::vector<LinePoint> points;
  for (const Profile& p : profiles)
    for (const LinePoint& point : centresOf(p)) points.push_back(point);
  const LineModel bunched = bunchedLine(points, candidate.line);
  std::vector<RefinedLine> lines;
  for (auto& track : tracksOf(std::move(points), bunched))
    if (track.size() >= minPointsKept * samplesPerLine) {
      RefinedLine line = robustFit(std::move(track), candidate.line.pivot, samplesPerLine);
      if (line.found) lines.push_back(line);
    }
  std::sort(lines.begin(), lines.end(),
            [](const RefinedLine& a, const RefinedLine& b) { return a.line.offset < b.line.offset; });
  return lines;
}

}  // namespace pelmora::frame
