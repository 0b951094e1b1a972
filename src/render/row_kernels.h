// The inner loops of the drawing, one row at a time. Resampled rows carry
// 8 fraction bits in 16-bit channels; the loops are written so that the
// compiler turns them into vector code (row_kernels.cpp builds each for two
// instruction sets on x86-64, PELMORA_ROW_LOOPS_AVX2; elsewhere once).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#define PELMORA_ROW_LOOPS_AVX2 1
#endif

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "render/resample_taps.h"

namespace pelmora::rows {

// Bilinear taps across, rearranged for vector code: runs of output pixels
// whose left source pixel keeps the same offset, and 8-bit weights repeated
// for each of the three channels.
struct BilinearAcross {
  struct Run {
    std::int32_t begin, end;  // output pixels
    std::int32_t shift;       // left source pixel - output pixel
  };
  std::vector<Run> runs;
  std::vector<std::uint16_t> left, right;  // per channel value, sum 256
};

inline BilinearAcross bilinearAcross(const AxisTaps& taps, int sourceWidth) {
  BilinearAcross b;
  const std::size_t n = taps.first.size();
  b.left.resize(3 * n);
  b.right.resize(3 * n);
  for (std::size_t i = 0; i < n; ++i) {
    std::int32_t x0 = taps.first[i];
    std::int32_t w1 = taps.count[i] == 2 ? (taps.weights[taps.start[i] + 1] + 32) >> 6 : 0;
    if (w1 == 256) ++x0, w1 = 0;
    // The right neighbour is always read: keep it inside the row.
    if (x0 == sourceWidth - 1) --x0, w1 = 256;
    for (int c = 0; c < 3; ++c) {
      b.left[3 * i + c] = std::uint16_t(256 - w1);
      b.right[3 * i + c] = std::uint16_t(w1);
    }
    const std::int32_t shift = x0 - std::int32_t(i);
    if (b.runs.empty() || b.runs.back().shift != shift)
      b.runs.push_back({std::int32_t(i), std::int32_t(i) + 1, shift});
    else
      b.runs.back().end = std::int32_t(i) + 1;
  }
  return b;
}

// A 24-bit source row resampled across by runs (needs a source at least 2 wide).
void bilinearAcross24(const std::uint8_t* source, const BilinearAcross& b, std::uint16_t* out);

// Any taps across, from 24-bit pixels of 8-bit channels; the result has
// 8 fraction bits.
void tapsAcross(const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out);

// The same from resampled 16-bit channels, a pixel's three channels at once:
// it reads the channel after the last pixel the taps use and writes the one
// after the last output pixel, which both buffers must hold.
void tapsAcrossPadded(const std::uint16_t* source, const AxisTaps& h, std::uint16_t* out);

// Two resampled rows blended down into 8-bit channels; the weights (over
// kTapOne) are both above 0.
void blendDown(const std::uint16_t* a, const std::uint16_t* b, std::uint16_t wa, std::uint16_t wb,
               std::size_t n, std::uint8_t* out);

void roundDown(const std::uint16_t* a, std::size_t n, std::uint8_t* out);

// Adds rows of 8-bit channels without weights; up to 257 rows fit. The
// two-row forms read and write the sums once for both rows.
void addRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums);
void widenRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums);
void addRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums);
void widenRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums);

// Adds the 16-bit sums into the 32-bit ones, or stores them when `add` is false.
void widenInto(bool add, const std::uint16_t* sums, std::size_t n, std::uint32_t* wide);

// The area average down: first and last rows weighted by their cover, the
// rows between by `middle` each, all over 2^20; the result has 8 fraction bits.
// Rounded weights of thousands of rows may add up to a little over 2^20:
// the result is clamped to white.
void areaDown(const std::uint8_t* first, std::uint32_t wFirst, const std::uint8_t* last,
              std::uint32_t wLast, const std::uint32_t* middleSums, std::uint32_t middle,
              std::size_t n, std::uint16_t* out);

// Three channels per pixel into the canvas's layout.
template <int D>
void store(const std::uint8_t* bgr, std::size_t pixels, std::uint8_t* out) {
  if constexpr (D == 3) {
    std::memcpy(out, bgr, pixels * 3);
  } else {
    for (std::size_t i = 0; i < pixels; ++i) {
      out[4 * i] = bgr[3 * i];
      out[4 * i + 1] = bgr[3 * i + 1];
      out[4 * i + 2] = bgr[3 * i + 2];
      out[4 * i + 3] = 0xFF;
    }
  }
}

// Source pixels copied unchanged (1:1 at a whole-pixel offset).
template <int S, int D>
void copyPixels(const std::uint8_t* source, std::size_t pixels, std::uint8_t* out) {
  if constexpr (S == D && S == 3) {
    std::memcpy(out, source, pixels * 3);
  } else {
    for (std::size_t i = 0; i < pixels; ++i) {
      out[D * i] = source[S * i];
      out[D * i + 1] = source[S * i + 1];
      out[D * i + 2] = source[S * i + 2];
      if constexpr (D == 4) out[D * i + 3] = 0xFF;
    }
  }
}

}  // namespace pelmora::rows
