// The inner loops of the drawing, one row at a time. Resampled rows carry
// 8 fraction bits in 16-bit channels; the loops are written so that the
// compiler turns them into vector code.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "render/resample_taps.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
inline void bilinearAcross24(const std::uint8_t* source, const BilinearAcross& b,
                             std::uint16_t* out) {
  const std::uint16_t* left = b.left.data();
  const std::uint16_t* right = b.right.data();
  for (const auto& run : b.runs) {
    const std::uint8_t* s = source + 3 * std::ptrdiff_t(run.begin + run.shift);
    const std::ptrdiff_t from = 3 * std::ptrdiff_t(run.begin), to = 3 * std::ptrdiff_t(run.end);
    s -= from;
    for (std::ptrdiff_t k = from; k < to; ++k)
      out[k] = std::uint16_t(s[k] * left[k] + s[k + 3] * right[k]);
  }
}

// Any taps across, from S-byte pixels of 8-bit channels (Scale 256) or of
// resampled 16-bit channels (Scale 1); the result has 8 fraction bits.
template <int S, typename In>
void tapsAcross(const In* source, const AxisTaps& h, std::uint16_t* out) {
  constexpr int shift = sizeof(In) == 1 ? kTapShift - 8 : kTapShift;
  constexpr std::uint32_t half = 1u << (shift - 1);
  const std::size_t n = h.first.size();
  for (std::size_t i = 0; i < n; ++i) {
    const In* p = source + std::size_t(h.first[i]) * S;
    const std::int32_t* w = h.weights.data() + h.start[i];
    std::uint32_t b = half, g = half, r = half;
    for (std::int32_t k = 0, count = h.count[i]; k < count; ++k, p += S) {
      const std::uint32_t wk = std::uint32_t(w[k]);
      b += p[0] * wk;
      g += p[1] * wk;
      r += p[2] * wk;
    }
    out[3 * i] = std::uint16_t(b >> shift);
    out[3 * i + 1] = std::uint16_t(g >> shift);
    out[3 * i + 2] = std::uint16_t(r >> shift);
  }
}

// Two resampled rows blended down into 8-bit channels; the weights (over
// kTapOne) are both above 0.
inline void blendDown(const std::uint16_t* a, const std::uint16_t* b, std::uint16_t wa,
                      std::uint16_t wb, std::size_t n, std::uint8_t* out) {
  // As 16-bit fractions of 65536 each weight fits 16 bits: the high half of
  // the products is the blend with 8 fraction bits.
  constexpr int up = 16 - kTapShift;
  const std::uint16_t fa = std::uint16_t(wa << up), fb = std::uint16_t(wb << up);
  std::size_t i = 0;
#ifdef __SSE2__
  const __m128i va = _mm_set1_epi16(std::int16_t(fa)), vb = _mm_set1_epi16(std::int16_t(fb));
  const __m128i half = _mm_set1_epi16(128);
  for (; i + 16 <= n; i += 16) {
    auto blend8 = [&](std::size_t at) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
      const __m128i sum = _mm_add_epi16(_mm_mulhi_epu16(x, va), _mm_mulhi_epu16(y, vb));
      return _mm_srli_epi16(_mm_adds_epu16(sum, half), 8);
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(blend8(i), blend8(i + 8)));
  }
#endif
  for (; i < n; ++i)
    out[i] = std::uint8_t(
        ((((std::uint32_t(a[i]) * fa) >> 16) + ((std::uint32_t(b[i]) * fb) >> 16)) + 128) >> 8);
}

inline void roundDown(const std::uint16_t* a, std::size_t n, std::uint8_t* out) {
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t((a[i] + 128u) >> 8);
}

// Adds rows of 8-bit channels without weights; up to 257 rows fit.
inline void addRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = std::uint16_t(sums[i] + row[i]);
}

inline void widenRow(const std::uint8_t* row, std::size_t n, std::uint16_t* sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = row[i];
}

// Adds the 16-bit sums into the 32-bit ones, or stores them when `add` is false.
template <bool add>
void widenInto(const std::uint16_t* sums, std::size_t n, std::uint32_t* wide) {
  for (std::size_t i = 0; i < n; ++i) wide[i] = add ? wide[i] + sums[i] : sums[i];
}

// The area average down: first and last rows weighted by their cover, the
// rows between by `middle` each, all over 2^20; the result has 8 fraction bits.
// Rounded weights of thousands of rows may add up to a little over 2^20:
// the result is clamped to white.
inline void areaDown(const std::uint8_t* first, std::uint32_t wFirst, const std::uint8_t* last,
                     std::uint32_t wLast, const std::uint32_t* middleSums, std::uint32_t middle,
                     std::size_t n, std::uint16_t* out) {
  constexpr std::uint32_t half = 1u << 11;
  for (std::size_t i = 0; i < n; ++i)
    out[i] = std::uint16_t(std::min(
        (first[i] * wFirst + last[i] * wLast + middleSums[i] * middle + half) >> 12, 255u << 8));
}

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
