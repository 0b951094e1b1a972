#include "upright/straightened_blend.h"

#include <immintrin.h>

namespace pelmora::straightening {
namespace {

// Eight points from `at` by `step` in the weights' steps, (point + bias) >>
// kWeightShift: the low 32 bits of each (enough for a point in the scan).
__attribute__((target("avx2"), always_inline)) inline __m256i stepsOf(std::int64_t at, std::int64_t step,
                                                                       std::int64_t bias) {
  const __m256i offsets = _mm256_setr_epi64x(0, step, 2 * step, 3 * step);
  const __m256i first = _mm256_add_epi64(_mm256_set1_epi64x(at + bias), offsets);
  const __m256i second = _mm256_add_epi64(first, _mm256_set1_epi64x(4 * step));
  const __m256i low = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  return _mm256_blend_epi32(_mm256_permutevar8x32_epi32(_mm256_srli_epi64(first, kWeightShift), low),
                            _mm256_permutevar8x32_epi32(_mm256_srli_epi64(second, kWeightShift), low), 0xF0);
}

// A shuffle within each 128-bit half that spreads two of its pixels (of
// three bytes, the first at byte `first`, the second three on) over 16-bit
// lanes: four lanes a pixel, the fourth 0.
__attribute__((target("avx2"), always_inline)) inline __m256i twoPixelsWide(int first) {
  const char z = char(0x80), a = char(first), b = char(first + 3);
  return _mm256_setr_epi8(a, z, char(a + 1), z, char(a + 2), z, z, z, b, z, char(b + 1), z, char(b + 2), z, z, z,  //
                          a, z, char(a + 1), z, char(a + 2), z, z, z, b, z, char(b + 1), z, char(b + 2), z, z, z);
}

// A pixel's 16-bit weight (the low half of its 32-bit lane), four lanes a
// pixel, for pixels `pixel` and `pixel` + 1 of each half.
__attribute__((target("avx2"), always_inline)) inline __m256i twoWeightsWide(int pixel) {
  const char a = char(4 * pixel), b = char(4 * pixel + 4), a1 = char(a + 1), b1 = char(b + 1);
  return _mm256_setr_epi8(a, a1, a, a1, a, a1, a, a1, b, b1, b, b1, b, b1, b, b1, a, a1, a, a1, a, a1, a, a1, b, b1, b,
                          b1, b, b1, b, b1);
}

// The 16 bytes from the first of nine pixels, then the 16 from the fifth.
__attribute__((target("avx2"), always_inline)) inline __m256i pixelsFrom(const std::uint8_t* first) {
  return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(first + 12), reinterpret_cast<const __m128i*>(first));
}

// Across one scan row: left × (256 − right) + next × right in each 16-bit
// lane, for the pixels of `row` (16 bytes from its first pixel, then 16 from
// its fifth) that `pixelsWide` and `nextWide` pick.
__attribute__((target("avx2"), always_inline)) inline __m256i acrossRow(__m256i row, __m256i pixelsWide,
                                                                        __m256i nextWide, __m256i right) {
  const __m256i left = _mm256_sub_epi16(_mm256_set1_epi16(kWeightOne), right);
  return _mm256_add_epi16(_mm256_mullo_epi16(_mm256_shuffle_epi8(row, pixelsWide), left),
                          _mm256_mullo_epi16(_mm256_shuffle_epi8(row, nextWide), right));
}

// Down between the rows: (upper × (256 − d) + lower × d + 2^15) >> 16 in each
// 32-bit lane, from 16-bit lanes of the row blends (at most 255 × 256) that
// `interleave` pairs, and `weights` (256 − d, d) for the pixel of each pair.
// The blends are offset to signed 16 bits for the multiply-add; the offset
// comes to 2^15 × 256 whatever d is, and is added back.
template <bool high>
__attribute__((target("avx2"), always_inline)) inline __m256i downBetween(__m256i upper, __m256i lower,
                                                                          __m256i weights) {
  const __m256i sign = _mm256_set1_epi16(std::int16_t(0x8000));
  const __m256i a = _mm256_xor_si256(upper, sign), b = _mm256_xor_si256(lower, sign);
  const __m256i pairs = high ? _mm256_unpackhi_epi16(a, b) : _mm256_unpacklo_epi16(a, b);
  const __m256i back = _mm256_set1_epi32((1 << 23) + (1 << 15));
  return _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairs, weights), back), 2 * kWeightBits);
}

// Pixels 2 `set` and 2 `set` + 1 of each half of `upper` and `lower`
// blended into two vectors of 32-bit lanes, four a pixel.
template <int set>
__attribute__((target("avx2"), always_inline)) inline void blendPair(__m256i upper, __m256i lower, __m256i right,
                                                                     __m256i downWeights, __m256i* blended) {
  const __m256i pixelsWide = twoPixelsWide(6 * set), nextWide = twoPixelsWide(6 * set + 3);
  const __m256i rightWide = _mm256_shuffle_epi8(right, twoWeightsWide(2 * set));
  const __m256i upperRow = acrossRow(upper, pixelsWide, nextWide, rightWide);
  const __m256i lowerRow = acrossRow(lower, pixelsWide, nextWide, rightWide);
  blended[0] = downBetween<false>(upperRow, lowerRow, _mm256_shuffle_epi32(downWeights, set ? 0xAA : 0x00));
  blended[1] = downBetween<true>(upperRow, lowerRow, _mm256_shuffle_epi32(downWeights, set ? 0xFF : 0x55));
}

// Eight pixels of a run between scan rows `above` and `above` + 1 whose
// points fall in eight neighbouring columns, blended as blendPixel() blends
// each, with AVX2: the same bytes. The two rows' pixels are loaded as they lie
// rather than gathered. False, writing nothing, when a point leaves the run
// or the columns do not follow one another (the points lie on a line, so
// when the first and the last keep to it, all do; and with a step of under two
// columns, seven steps of seven columns are each of one).
__attribute__((target("avx2"), always_inline)) inline bool blendEightAvx2(const KeptPiece& top,
                                                                          const KeptPiece& bottom, int above, int w,
                                                                          std::int64_t x, std::int64_t y,
                                                                          std::int64_t dx, std::int64_t dy,
                                                                          std::int64_t bias, std::uint8_t* out) {
  std::int64_t columns[2];
  for (const int k : {0, 1}) {
    const std::int64_t down = (y + 7 * k * dy + bias) >> kWeightShift, across = (x + 7 * k * dx + bias) >> kWeightShift;
    columns[k] = across >> kWeightBits;
    if ((down >> kWeightBits) != above) return false;
  }
  if (columns[0] < 0 || columns[1] + 1 >= w || columns[1] - columns[0] != 7) return false;
  const int column = int(columns[0]);
  const __m256i weightMask = _mm256_set1_epi32(kWeightOne - 1);
  const __m256i right = _mm256_and_si256(stepsOf(x, dx, bias), weightMask);
  const __m256i downward = _mm256_and_si256(stepsOf(y, dy, bias), weightMask);
  const __m256i downWeights =
      _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(kWeightOne), downward), _mm256_slli_epi32(downward, 16));
  const __m256i upper = pixelsFrom(top.pixel(column)), lower = pixelsFrom(bottom.pixel(column));
  __m256i blended[4];
  blendPair<0>(upper, lower, right, downWeights, blended);
  blendPair<1>(upper, lower, right, downWeights, blended + 2);
  const __m256i pixels = _mm256_packus_epi16(_mm256_packus_epi32(blended[0], blended[1]),
                                             _mm256_packus_epi32(blended[2], blended[3]));
  // Four pixels of three bytes in each half, then the halves side by side:
  // 24 bytes, written as 16 and 8.
  const __m256i packed = _mm256_permutevar8x32_epi32(
      _mm256_shuffle_epi8(pixels, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4,
                                                   5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)),
      _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
  return true;
}

// As many pixels of the run from `x`, `y` as blendEightAvx2() blends, eight
// at a time, up to `count`: how many it blended.
__attribute__((target("avx2"))) int blendRunAvx2(const KeptPiece& top, const KeptPiece& bottom, int above, int w,
                                                 std::int64_t x, std::int64_t y, std::int64_t dx, std::int64_t dy,
                                                 std::int64_t bias, int count, std::uint8_t* out) {
  if (dx <= 0 || dx >= 2 * kOne) return 0;
  int done = 0;
  for (; count - done >= 8; done += 8, x += 8 * dx, y += 8 * dy)
    if (!blendEightAvx2(top, bottom, above, w, x, y, dx, dy, bias, out + std::size_t(done) * 3)) break;
  return done;
}

}  // namespace

int blendRun(const KeptPiece& top, const KeptPiece& bottom, int above, int w, std::int64_t x, std::int64_t y,
             std::int64_t dx, std::int64_t dy, std::int64_t bias, int count, std::uint8_t* out) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2 ? blendRunAvx2(top, bottom, above, w, x, y, dx, dy, bias, count, out) : 0;
}

}  // namespace pelmora::straightening
