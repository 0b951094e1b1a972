// The row loops, each built twice on x86-64: for the baseline that every
// machine runs and for AVX2, the processor's picked at the first call;
// elsewhere once. Each loop's body (NAMELoop) is inlined into both builds:
// not GCC's and clang's target_clones, which clang 14 drops without a word
// where the header declares the function, and whose calls from other files it
// sends to the resolver. Most are plain loops that the compiler vectorises
// for both, the wider vectors halving the instructions of the drawing; the
// hottest have an AVX2 form written by hand with intrinsics. Both must give
// the same bytes: the tests build this file a second time with
// PELMORA_ROWS_BASELINE_COPY, the baseline alone into rows::baseline, and
// compare the two.
#include "render/row_kernels.h"

#define PELMORA_ROW_BODY static inline __attribute__((always_inline))

#if defined(PELMORA_ROW_LOOPS_AVX2) && !defined(PELMORA_ROWS_BASELINE_COPY)
#include <immintrin.h>
#define PELMORA_ROW_LOOP_AVX2  // and loops written by hand for AVX2
// `name` from its body `name`Loop, built for AVX2 and for the baseline.
#define PELMORA_ROW_LOOP(name, parameters, arguments)                                     \
  __attribute__((target("avx2"))) static void name##Avx2 parameters { name##Loop arguments; } \
  static void name##Baseline parameters { name##Loop arguments; }                          \
  void name parameters { (hasAvx2() ? name##Avx2 : name##Baseline) arguments; }
#else
#define PELMORA_ROW_LOOP(name, parameters, arguments) \
  void name parameters { name##Loop arguments; }
#endif

#ifdef PELMORA_ROWS_BASELINE_COPY
#define PELMORA_ROWS_NAMESPACE pelmora::rows::baseline
#else
#define PELMORA_ROWS_NAMESPACE pelmora::rows
#endif

namespace PELMORA_ROWS_NAMESPACE {

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

template <std::ptrdiff_t N>
inline void bilinearBlock(const std::uint8_t* __restrict s, const std::uint16_t* __restrict left,
                          const std::uint16_t* __restrict right, std::uint16_t* __restrict out) {
  for (std::ptrdiff_t j = 0; j < N; ++j)
    out[j] = std::uint16_t(s[j] * left[j] + s[j + 3] * right[j]);
}

}  // namespace

PELMORA_ROW_BODY
void bilinearAcross24Loop(const std::uint8_t* source, const BilinearAcross& b, std::uint16_t* out) {
  const std::uint16_t* __restrict left = b.left.data();
  const std::uint16_t* __restrict right = b.right.data();
  std::uint16_t* __restrict o = out;
  if (b.runs.empty()) return;
  // Runs are short (tens of pixels near 1:1), and a loop's tail of fewer
  // channels than a vector cost more than its body. Runs are drawn left to
  // right and each writes all of its own channels, so one may run on past its
  // end in whole blocks: the runs after it write over that. Only within the
  // output and the source columns the last run reads.
  constexpr std::ptrdiff_t block = 64;
  const std::ptrdiff_t n = 3 * std::ptrdiff_t(b.runs.back().end);
  const std::ptrdiff_t sourceEnd = 3 * std::ptrdiff_t(b.runs.back().end + b.runs.back().shift + 1);
  for (const auto& run : b.runs) {
    const std::uint8_t* s = source + 3 * std::ptrdiff_t(run.begin + run.shift);
    const std::ptrdiff_t from = 3 * std::ptrdiff_t(run.begin), to = 3 * std::ptrdiff_t(run.end);
    s -= from;
    // s[k + 3] must stay below sourceEnd (counted from `source`) for the whole block.
    const std::ptrdiff_t blocksEnd =
        std::min(n, sourceEnd - 3 * std::ptrdiff_t(run.shift) - 3);
    std::ptrdiff_t k = from;
    // Runs of a few pixels (enlarging) would compute mostly channels to be
    // overwritten: blocks only while a quarter of one is still this run's.
    for (; to - k >= block / 4 && k + block <= blocksEnd; k += block)
      bilinearBlock<block>(s + k, left + k, right + k, o + k);
    for (; k < to; ++k) o[k] = std::uint16_t(s[k] * left[k] + s[k + 3] * right[k]);
  }
}

PELMORA_ROW_BODY
void tapsAcrossLoop(const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out) {
  tapsAcrossOf(source, h, out);
}

#ifdef PELMORA_ROW_LOOP_AVX2
bool hasAvx2() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

// By hand: GCC vectorises the loop over a pixel's few taps, not its three
// channels. One tap is one multiply of four 32-bit lanes (three channels and
// the next pixel's first, ignored), which needs SSE4.1's pmulld.
__attribute__((target("avx2"), always_inline)) inline __m128i weightedPixelAvx2(
    const std::uint16_t* p, std::int32_t weight) {
  const __m128i pixel = _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
  return _mm_mullo_epi32(pixel, _mm_broadcastd_epi32(_mm_cvtsi32_si128(weight)));
}

__attribute__((target("avx2"))) void tapsAcrossPaddedAvx2(const std::uint16_t* source,
                                                          const AxisTaps& h, std::uint16_t* out) {
  const __m128i half = _mm_set1_epi32(1 << (kTapShift - 1));
  const std::size_t n = h.first.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t* p = source + std::size_t(h.first[i]) * 3;
    const std::int32_t* w = h.weights.data() + h.start[i];
    // Two sums, so that the additions of consecutive taps do not wait on each other.
    __m128i sum = half, other = _mm_setzero_si128();
    const std::int32_t count = h.count[i];
    std::int32_t k = 0;
    for (; k + 2 <= count; k += 2) {
      sum = _mm_add_epi32(sum, weightedPixelAvx2(p + 3 * k, w[k]));
      other = _mm_add_epi32(other, weightedPixelAvx2(p + 3 * k + 3, w[k + 1]));
    }
    if (k < count) sum = _mm_add_epi32(sum, weightedPixelAvx2(p + 3 * k, w[k]));
    sum = _mm_add_epi32(sum, other);
    // Below 2^31 before the shift: the signed pack keeps every value.
    const __m128i result = _mm_srli_epi32(sum, kTapShift);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * i), _mm_packus_epi32(result, result));
  }
}
#endif

void tapsAcrossPadded(const std::uint16_t* source, const AxisTaps& h, std::uint16_t* out) {
#ifdef PELMORA_ROW_LOOP_AVX2
  if (hasAvx2()) return tapsAcrossPaddedAvx2(source, h, out);
#endif
  tapsAcrossOf(source, h, out);
}

PELMORA_ROW_BODY
void blendDownLoop(const std::uint16_t* __restrict a, const std::uint16_t* __restrict b,
                   std::uint16_t wa, std::uint16_t wb, std::size_t n, std::uint8_t* __restrict out) {
  // As 16-bit fractions of 65536 each weight fits 16 bits: the high half of
  // the products is the blend with 8 fraction bits (a multiply-high each).
  constexpr int up = 16 - kTapShift;
  const std::uint16_t fa = std::uint16_t(wa << up), fb = std::uint16_t(wb << up);
  for (std::size_t i = 0; i < n; ++i)
    out[i] = std::uint8_t(
        ((((std::uint32_t(a[i]) * fa) >> 16) + ((std::uint32_t(b[i]) * fb) >> 16)) + 128) >> 8);
}

PELMORA_ROW_BODY
void roundDownLoop(const std::uint16_t* __restrict a, std::size_t n, std::uint8_t* __restrict out) {
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t((a[i] + 128u) >> 8);
}

PELMORA_ROW_BODY
void addRowLoop(const std::uint8_t* __restrict row, std::size_t n, std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = std::uint16_t(sums[i] + row[i]);
}

PELMORA_ROW_BODY
void widenRowLoop(const std::uint8_t* __restrict row, std::size_t n, std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = row[i];
}

PELMORA_ROW_BODY
void addRowsLoop(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b, std::size_t n,
                 std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = std::uint16_t(sums[i] + a[i] + b[i]);
}

PELMORA_ROW_BODY
void widenRowsLoop(const std::uint8_t* __restrict a, const std::uint8_t* __restrict b, std::size_t n,
                   std::uint16_t* __restrict sums) {
  for (std::size_t i = 0; i < n; ++i) sums[i] = std::uint16_t(a[i] + b[i]);
}

PELMORA_ROW_BODY
void widenIntoLoop(bool add, const std::uint16_t* __restrict sums, std::size_t n,
                   std::uint32_t* __restrict wide) {
  if (add)
    for (std::size_t i = 0; i < n; ++i) wide[i] += sums[i];
  else
    for (std::size_t i = 0; i < n; ++i) wide[i] = sums[i];
}

PELMORA_ROW_BODY
void areaDownLoop(const std::uint8_t* __restrict first, std::uint32_t wFirst,
                  const std::uint8_t* __restrict last, std::uint32_t wLast,
                  const std::uint32_t* __restrict middleSums, std::uint32_t middle, std::size_t n,
                  std::uint16_t* __restrict out) {
  constexpr std::uint32_t half = 1u << 11;
  for (std::size_t i = 0; i < n; ++i)
    out[i] = std::uint16_t(std::min(
        (first[i] * wFirst + last[i] * wLast + middleSums[i] * middle + half) >> 12, 255u << 8));
}

PELMORA_ROW_LOOP(bilinearAcross24, (const std::uint8_t* source, const BilinearAcross& b, std::uint16_t* out),
                 (source, b, out))
PELMORA_ROW_LOOP(tapsAcross, (const std::uint8_t* source, const AxisTaps& h, std::uint16_t* out), (source, h, out))
PELMORA_ROW_LOOP(blendDown,
                 (const std::uint16_t* a, const std::uint16_t* b, std::uint16_t wa, std::uint16_t wb, std::size_t n,
                  std::uint8_t* out),
                 (a, b, wa, wb, n, out))
PELMORA_ROW_LOOP(roundDown, (const std::uint16_t* a, std::size_t n, std::uint8_t* out), (a, n, out))
PELMORA_ROW_LOOP(addRow, (const std::uint8_t* row, std::size_t n, std::uint16_t* sums), (row, n, sums))
PELMORA_ROW_LOOP(widenRow, (const std::uint8_t* row, std::size_t n, std::uint16_t* sums), (row, n, sums))
PELMORA_ROW_LOOP(addRows, (const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums),
                 (a, b, n, sums))
PELMORA_ROW_LOOP(widenRows, (const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint16_t* sums),
                 (a, b, n, sums))
PELMORA_ROW_LOOP(widenInto, (bool add, const std::uint16_t* sums, std::size_t n, std::uint32_t* wide),
                 (add, sums, n, wide))
PELMORA_ROW_LOOP(areaDown,
                 (const std::uint8_t* first, std::uint32_t wFirst, const std::uint8_t* last, std::uint32_t wLast,
                  const std::uint32_t* middleSums, std::uint32_t middle, std::size_t n, std::uint16_t* out),
                 (first, wFirst, last, wLast, middleSums, middle, n, out))

}  // namespace PELMORA_ROWS_NAMESPACE
