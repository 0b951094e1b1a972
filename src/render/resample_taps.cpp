#include "render/resample_taps.h"

#include <algorithm>
#include <cmath>

namespace pelmora {
namespace {

void addBilinear(AxisTaps& taps, int sourceSize, double scale, std::int64_t i) {
  const double u = (double(i) + 0.5) * scale - 0.5;
  std::int32_t x0;
  std::int32_t w1 = 0;
  if (u <= 0) {
    x0 = 0;
  } else if (u >= sourceSize - 1) {
    x0 = sourceSize - 1;
  } else {
    const double floor = std::floor(u);
    x0 = std::int32_t(floor);
    w1 = std::int32_t(std::lround((u - floor) * kTapOne));
    if (w1 == kTapOne) {
      ++x0;
      w1 = 0;
    }
  }
  taps.first.push_back(x0);
  taps.start.push_back(std::int32_t(taps.weights.size()));
  if (w1 == 0) {
    taps.count.push_back(1);
    taps.weights.push_back(kTapOne);
  } else {
    taps.count.push_back(2);
    taps.weights.push_back(kTapOne - w1);
    taps.weights.push_back(w1);
  }
}

void addArea(AxisTaps& taps, int sourceSize, double scale, std::int64_t i) {
  const double a = std::clamp(double(i) * scale, 0.0, double(sourceSize));
  const double b = std::clamp(double(i + 1) * scale, 0.0, double(sourceSize));
  auto j0 = std::int32_t(std::floor(a));
  auto j1 = std::int32_t(std::ceil(b));
  j0 = std::min(j0, sourceSize - 1);
  j1 = std::max(j1, j0 + 1);
  const double span = b - a;
  const auto begin = std::int32_t(taps.weights.size());
  std::int32_t sum = 0;
  std::size_t heaviest = begin;
  for (std::int32_t j = j0; j < j1; ++j) {
    const double cover = span > 0 ? (std::min(b, j + 1.0) - std::max(a, double(j))) / span : 1.0;
    const auto weight = std::int32_t(std::lround(cover * kTapOne));
    taps.weights.push_back(weight);
    sum += weight;
    if (weight > taps.weights[heaviest]) heaviest = taps.weights.size() - 1;
  }
  taps.weights[heaviest] += kTapOne - sum;
  // Rounding may leave empty end taps: drop them.
  std::int32_t lead = 0;
  while (taps.weights[begin + lead] == 0) ++lead;
  taps.weights.erase(taps.weights.begin() + begin, taps.weights.begin() + begin + lead);
  while (taps.weights.back() == 0) taps.weights.pop_back();
  taps.first.push_back(j0 + lead);
  taps.start.push_back(begin);
  taps.count.push_back(std::int32_t(taps.weights.size()) - begin);
}

}  // namespace

bool averagesArea(int sourceSize, std::int64_t destSize) {
  return double(sourceSize) / double(destSize) > kAreaThreshold;
}

std::vector<AreaRow> areaRows(int sourceSize, std::int64_t destSize, std::int64_t from, int n) {
  std::vector<AreaRow> rows;
  rows.reserve(std::size_t(std::max(n, 0)));
  const double scale = double(sourceSize) / double(destSize);
  constexpr double one = double(1 << kAreaShift);
  for (std::int64_t i = from; i < from + n; ++i) {
    const double a = std::clamp(double(i) * scale, 0.0, double(sourceSize));
    const double b = std::clamp(double(i + 1) * scale, 0.0, double(sourceSize));
    const auto first = std::min(std::int32_t(std::floor(a)), sourceSize - 1);
    const auto last = std::max(std::int32_t(std::ceil(b)) - 1, first);
    const double span = b - a;
    if (first == last || span <= 0) {
      rows.push_back({first, first, std::uint32_t(one), 0, 0});
      continue;
    }
    rows.push_back({first, last, std::uint32_t(std::lround((first + 1 - a) / span * one)),
                    std::uint32_t(std::lround((b - last) / span * one)),
                    std::uint32_t(std::lround(one / span))});
  }
  return rows;
}

AxisTaps axisTaps(int sourceSize, std::int64_t destSize, std::int64_t from, int n) {
  AxisTaps taps;
  n = std::max(n, 0);
  taps.first.reserve(n);
  taps.count.reserve(n);
  taps.start.reserve(n);
  const double scale = double(sourceSize) / double(destSize);
  const bool area = averagesArea(sourceSize, destSize);
  taps.area = area;
  for (std::int64_t i = from; i < from + n; ++i) {
    if (area)
      addArea(taps, sourceSize, scale, i);
    else
      addBilinear(taps, sourceSize, scale, i);
  }
  taps.identity = n > 0;
  for (int k = 0; k < n; ++k) {
    taps.maxCount = std::max(taps.maxCount, taps.count[k]);
    if (taps.count[k] != 1 || taps.first[k] != taps.first[0] + k) taps.identity = false;
  }
  return taps;
}

}  // namespace pelmora
