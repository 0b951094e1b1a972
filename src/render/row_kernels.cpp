// The row loops, each built twice: for the x86-64 baseline that every machine
// runs and for AVX2, picked once at load time (GCC's function multi-versioning).
// Plain loops rather than intrinsics: the compiler vectorises every one of them
// for both, and the wider vectors halve the instructions of the drawing.
// PELMORA_BASELINE_ONLY builds the baseline alone, to check it on an AVX2
// machine: both must give the same bytes.
#include "render/row_kernels.h"

namespace pelmora::rows {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(PELMORA_BASELINE_ONLY)
#define PELMORA_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define PELMORA_ROW_LOOP
#endif

namespace {

template <typename In>
inline void tapsAcrossOf(const In* __restrict source, const AxisTaps& h,
                         std::uint16_t* __restrict out) {
  constexpr int shift = sizeof(In) == 1 ? kTapShift - 8 : kTapShift;
  constexpr std::uint32_t half = 1u << (shift - 1);
  const std::size_t n = h.first.size();
  for (std::size_t i = 0; i < n; ++i) {
    const In* p = source + std::size_t(h.first[i]) * 3;
    const std::int32_t* w = h.weights.data() + h.start[i];
    std::uint32_t b = half, g = half, r = half;
    for (std::int32_t k = 0, count = h.count[i]; k < count; ++k, p += 3) {
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

}  // namespace

PELMORA_ROW_LOOP
void bilinearAcross24(const std::uint8_t* source, const BilinearAcross& b, std::uint16_t* out) {
  const std::uint16_t* __restrict left = b.left.data();
  const std::uint16_t* __restrict right = b.right.data();
  std::uint16_t* __restrict o = out;
  for (const auto& run : b.runs) {
    const std::uint8_t* s = source + 3 * std::ptrdiff_t(run.begin + run.shift);
    const std::ptrdiff_t from = 3 * std::ptrdiff_t(run.begin), to = 3 * std::ptrdiff_t(run.end);
    s -= from;
    for (std::ptrdiff_t k = from; k < to; ++k)
      o[k] = std::uint16_t(s[k] * left[k] + s[k + 3] * right[k]);
  }
}

PELMORA_ROW_LOOP
void tapsAcross(const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out) {
  tapsAcrossOf(source, h, out);
}

PELMORA_ROW_LOOP
void tapsAcross(const std::uint16_t* source, const AxisTaps& h, std::uint16_t* out) {
  tapsAcrossOf(source, h, out);
}

PELMORA_ROW_LOOP
void blendDown(const std::uint16_t* __restrict a, const std::uint16_t* __restrict b,
               std::uint16_t wa, std::uint16_t wb, std::size_t n, std::uint8_t* __restrict out) {
  // As 16-bit fractions of 65536 each weight fits 16 bits: the high half of
  // the products is the blend with 8 fraction bits (a multiply-high each).
  constexpr int up = 16 - kTapShift;
  const std::uint16_t fa = std::uint16_t(wa << up), fb = std::uint16_t(wb << up);
  for (std::size_t i = 0; i < n; ++i)
    out[i] = std::uint8_t(
        ((((std::uint32_t(a[i]) * fa) >> 16) + ((std::uint32_t(b[i]) * fb) >> 16)) + 128) >> 8);
}

PELMORA_ROW_LOOP
void roundDown(const std::uint16_t* __restrict a, std::size_t n, std::uint8_t* __restrict out) {
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t((a[i] + 128u) >> 8);
}

PELMORA_ROW_LOOP
void addRow(const std::uint8_t* __restrict row, std::size_t n, std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = std::uint16_t(sums[i] + row[i]);
}

PELMORA_ROW_LOOP
void widenRow(const std::uint8_t* __restrict row, std::size_t n, std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = row[i];
}

PELMORA_ROW_LOOP
void widenInto(bool add, const std::uint16_t* __restrict sums, std::size_t n,
               std::uint32_t* __restrict wide) {
  if (add)
    for (std::size_t i = 0; i < n; ++i) wide[i] += sums[i];
  else
    for (std::size_t i = 0; i < n; ++i) wide[i] = sums[i];
}

PELMORA_ROW_LOOP
void areaDown(const std::uint8_t* __restrict first, std::uint32_t wFirst,
              const std::uint8_t* __restrict last, std::uint32_t wLast,
              const std::uint32_t* __restrict middleSums, std::uint32_t middle, std::size_t n,
              std::uint16_t* __restrict out) {
  constexpr std::uint32_t half = 1u << 11;
  for (std::size_t i = 0; i < n; ++i)
    out[i] = std::uint16_t(std::min(
        (first[i] * wFirst + last[i] * wLast + middleSums[i] * middle + half) >> 12, 255u << 8));
}

}  // namespace pelmora::rows
