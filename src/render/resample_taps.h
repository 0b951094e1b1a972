// Which source pixels, with which weights, make each output pixel along one
// axis: bilinear near 1:1 and when enlarging, area averaging when shrinking.
#pragma once

#include <cstdint>
#include <vector>

namespace pelmora {

// Weights of one output pixel sum to kTapOne.
constexpr int kTapShift = 14;
constexpr std::int32_t kTapOne = 1 << kTapShift;

// More source pixels per output pixel than this are averaged by area.
constexpr double kAreaThreshold = 1.5;

struct AxisTaps {
  // Output pixel i uses source pixels first[i] .. first[i] + count[i] - 1 with
  // weights[start[i]] onwards; first[] never decreases.
  std::vector<std::int32_t> first;
  std::vector<std::int32_t> count;
  std::vector<std::int32_t> start;
  std::vector<std::int32_t> weights;
  int maxCount = 0;
  // Every output pixel is one source pixel, consecutive: a plain copy.
  bool identity = false;
  bool area = false;
};

// Area averaging down, by rows: the first and last source rows an output row
// covers, their weights and the weight of each row between, all over 2^20.
struct AreaRow {
  std::int32_t first, last;
  std::uint32_t wFirst, wLast, middle;
};
constexpr int kAreaShift = 20;

// True when `destSize` pixels from `sourceSize` are averaged by area.
bool averagesArea(int sourceSize, std::int64_t destSize);

std::vector<AreaRow> areaRows(int sourceSize, std::int64_t destSize, std::int64_t from, int n);

// Taps for output pixels [from, from + n) of a span of `destSize` output
// pixels onto which `sourceSize` source pixels are scaled. Sampling is aligned
// on pixel centres; source pixels beyond the edges repeat the edge pixel.
AxisTaps axisTaps(int sourceSize, std::int64_t destSize, std::int64_t from, int n);

}  // namespace pelmora
