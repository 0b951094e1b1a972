#include "frame/straightened_source.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <immintrin.h>

namespace pelmora {
namespace {

// Points of the scan in fixed point, 32 bits of fraction: the pixels of a row
// are its first point plus whole multiples of its step, so where a pixel falls
// is integer arithmetic, the same whoever works it out.
constexpr int kFractionBits = 32;
constexpr std::int64_t kOne = std::int64_t(1) << kFractionBits;
// Blending weights in 256ths of a pixel.
constexpr int kWeightBits = 8;
constexpr int kWeightOne = 1 << kWeightBits;
constexpr int kWeightShift = kFractionBits - kWeightBits;

std::int64_t toFixed(double pixels) { return std::llround(pixels * double(kOne)); }

FramePoint between(const FramePoint& a, const FramePoint& b, double t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// Where the centres of an upright row's pixels fall in the scan: pixel u at
// (x + u dx, y + u dy).
struct RowLine {
  std::int64_t x = 0, y = 0, dx = 0, dy = 0;
};

// Along one axis of the scan, the two pixels whose centres lie either side of
// a point (the same one beyond the outer centres) and the second's weight.
struct Taps {
  int first = 0, second = 0, weight = 0;
};

// The taps of fixed-point coordinate `at`, within [0, size) pixels.
inline Taps tapsAt(std::int64_t at, int size) {
  // From the first pixel's centre, rounded to the weights' step.
  const std::int64_t steps = (at - kOne / 2 + (std::int64_t(1) << (kWeightShift - 1))) >> kWeightShift;
  const int before = int(steps >> kWeightBits);
  return {std::max(before, 0), std::min(before + 1, size - 1), int(steps & (kWeightOne - 1))};
}

// A piece of one scan row kept by a thread: columns [from, to) of row y.
struct KeptPiece {
  int y = -1, from = 0, to = 0;
  std::vector<std::uint8_t> bytes;
  bool holds(int row, int first, int end) const { return y == row && from <= first && end <= to; }
  const std::uint8_t* pixel(int x) const { return bytes.data() + std::ptrdiff_t(x - from) * 3; }
};

// What a thread keeps of one source's scan between rows, so that the next
// row's pieces are mostly read already and nothing is allocated per row: a
// ring of pieces, scan row y in slot y mod its size. Each row first notes the
// columns it needs of each scan row from `top` on: [from[i], to[i]).
struct ScanPieces {
  std::uint64_t source = 0;
  std::vector<KeptPiece> ring;
  std::vector<std::uint8_t> scratch;  // the scan's, for its rows
  int top = 0;
  std::vector<int> from, to;
  const KeptPiece& piece(int y) const { return ring[std::size_t(y) & (ring.size() - 1)]; }
};

// The pieces a thread keeps, for the source it reads; one set for each
// source straightened from another straightened source, read while the outer
// one reads.
class ThreadPieces {
 public:
  explicit ThreadPieces(std::uint64_t source) {
    if (levels().size() <= depth()) levels().push_back(std::make_unique<ScanPieces>());
    pieces_ = levels()[depth()++].get();
    if (pieces_->source != source) {  // sized afresh for this source's rows
      pieces_->source = source;
      pieces_->ring.clear();
    }
  }
  ~ThreadPieces() { --depth(); }
  ThreadPieces(const ThreadPieces&) = delete;
  ThreadPieces& operator=(const ThreadPieces&) = delete;
  ScanPieces& operator*() const { return *pieces_; }

 private:
  static std::vector<std::unique_ptr<ScanPieces>>& levels() {
    thread_local std::vector<std::unique_ptr<ScanPieces>> kept;
    return kept;
  }
  static std::size_t& depth() {
    thread_local std::size_t inUse = 0;
    return inUse;
  }
  ScanPieces* pieces_;
};

// About this much of the scan kept by each thread.
constexpr std::size_t kKeptBytes = std::size_t(4) << 20;

std::atomic<std::uint64_t> sourcesMade{0};

class StraightenedSource final : public RasterSource {
 public:
  StraightenedSource(std::shared_ptr<const RasterSource> scan, const FrameCorners& frame,
                     std::pair<int, int> size)
      : RasterSource(size.first, size.second),
        scan_(std::move(scan)),
        frame_(frame),
        id_(++sourcesMade),
        piecesMoveLeft_(piecesMoveLeft(frame)) {}

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override {
    return rowColumns(y, 0, width(), scratch);
  }
  const std::uint8_t* rowColumns(int y, int first, int end,
                                 std::vector<std::uint8_t>& scratch) const override;
  void willRead(int first, int last) const override;
  void checkUnchanged() const override { scan_->checkUnchanged(); }
  void awaitDecoded() const override { scan_->awaitDecoded(); }

 private:
  RowLine lineOf(int v) const;
  bool inScan(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < std::int64_t(scan_->width()) * kOne &&
           y < std::int64_t(scan_->height()) * kOne;
  }
  // The scan rows that pixels [first, end) of `line` blend, and of each the
  // columns; then those pieces read.
  void findPieces(const RowLine& line, int first, int end, ScanPieces& pieces) const;
  void readPieces(ScanPieces& pieces) const;
  void readPiece(int y, int from, int to, int length, ScanPieces& pieces, KeptPiece& kept) const;
  void blend(const RowLine& line, int first, int end, const ScanPieces& pieces,
             std::uint8_t* out) const;

  // From one row to the next, where a row crosses a scan row moves left or right along it.
  static bool piecesMoveLeft(const FrameCorners& frame) {
    const FramePoint across{frame.topRight.x - frame.topLeft.x, frame.topRight.y - frame.topLeft.y};
    const FramePoint down{frame.bottomLeft.x - frame.topLeft.x, frame.bottomLeft.y - frame.topLeft.y};
    // A step down the left edge, then back along the row to the scan row it left.
    return across.y != 0 && down.x - across.x * down.y / across.y < 0;
  }

  std::shared_ptr<const RasterSource> scan_;
  FrameCorners frame_;
  std::uint64_t id_;  // whose pieces a thread keeps
  bool piecesMoveLeft_;
};

RowLine StraightenedSource::lineOf(int v) const {
  const double t = (v + 0.5) / height();
  const FramePoint left = between(frame_.topLeft, frame_.bottomLeft, t);
  const FramePoint right = between(frame_.topRight, frame_.bottomRight, t);
  const double dx = (right.x - left.x) / width(), dy = (right.y - left.y) / width();
  return {toFixed(left.x + 0.5 * dx), toFixed(left.y + 0.5 * dy), toFixed(dx), toFixed(dy)};
}

void StraightenedSource::findPieces(const RowLine& line, int first, int end,
                                    ScanPieces& pieces) const {
  const int w = scan_->width(), h = scan_->height();
  // The line is straight: the rows it crosses lie between those of its ends.
  auto rowTapsAt = [&](int u) {
    return tapsAt(std::clamp<std::int64_t>(line.y + u * line.dy, 0, h * kOne - 1), h);
  };
  const Taps a = rowTapsAt(first), b = rowTapsAt(end - 1);
  pieces.top = std::min(a.first, b.first);
  const std::size_t rows = std::size_t(std::max(a.second, b.second) - pieces.top + 1);
  pieces.from.assign(rows, INT_MAX);
  pieces.to.assign(rows, INT_MIN);
  // Scan row r is blended by the pixels whose point lies less than a row and
  // a half from its centre; along the line those pixels are a run of u, found
  // from the line's equation (widened by a pixel against rounding), and their
  // columns lie between those of the run's ends.
  const double y0 = double(line.y) / kOne, dy = double(line.dy) / kOne;
  for (std::size_t i = 0; i < rows; ++i) {
    const double centre = pieces.top + int(i) + 0.5;
    int u0 = first, u1 = end - 1;
    if (dy != 0) {
      const double ua = (centre - 1.5 - y0) / dy, ub = (centre + 1.5 - y0) / dy;
      u0 = int(std::clamp(std::floor(std::min(ua, ub)) - 1, double(first), double(end - 1)));
      u1 = int(std::clamp(std::ceil(std::max(ua, ub)) + 1, double(first), double(end - 1)));
    }
    const Taps left = tapsAt(std::clamp<std::int64_t>(line.x + std::min(u0 * line.dx, u1 * line.dx), 0, w * kOne - 1), w);
    const Taps right = tapsAt(std::clamp<std::int64_t>(line.x + std::max(u0 * line.dx, u1 * line.dx), 0, w * kOne - 1), w);
    pieces.from[i] = std::max(0, left.first - 1);
    pieces.to[i] = std::min(w, right.second + 2);
  }
}

void StraightenedSource::readPieces(ScanPieces& pieces) const {
  const std::size_t rows = pieces.from.size();
  if (pieces.ring.size() < rows) pieces.ring = std::vector<KeptPiece>(std::bit_ceil(rows));
  // Pieces reach ahead as far as the memory kept allows, whole rows when it does.
  const int length = int(std::clamp<std::size_t>(kKeptBytes / 3 / pieces.ring.size(), 1,
                                                   std::size_t(scan_->width())));
  for (std::size_t i = 0; i < rows; ++i) {
    const int y = pieces.top + int(i), from = pieces.from[i], to = pieces.to[i];
    KeptPiece& kept = pieces.ring[std::size_t(y) & (pieces.ring.size() - 1)];
    if (from < to && !kept.holds(y, from, to))
      readPiece(y, from, to, std::max(length, to - from), pieces, kept);
  }
}

void StraightenedSource::readPiece(int y, int from, int to, int length, ScanPieces& pieces,
                                   KeptPiece& kept) const {
  // Rows read from the top down need the columns ahead of their pieces next.
  const int first = std::clamp(piecesMoveLeft_ ? to - length : from, 0, scan_->width() - length);
  kept.y = -1;  // until it is read whole
  kept.bytes.resize(std::size_t(length) * 3 + 1);  // a byte to spare for blendPixel()
  const std::uint8_t* row = scan_->rowColumns(y, first, first + length, pieces.scratch);
  std::memcpy(kept.bytes.data(), row + std::size_t(first) * 3, std::size_t(length) * 3);
  kept.from = first;
  kept.to = first + length;
  kept.y = y;
}

// A pixel's three bytes as 16-bit lanes at bits 0, 16 and 32 of one word, so
// that one multiplication weighs all three; reads a fourth byte, which the
// lanes drop.
inline std::uint64_t lanesOf(const std::uint8_t* pixel) {
  std::uint32_t bytes;
  std::memcpy(&bytes, pixel, sizeof bytes);
  return (bytes & 0xFFu) | (std::uint64_t(bytes & 0xFF00u) << 8) | (std::uint64_t(bytes & 0xFF0000u) << 16);
}

// One pixel, blended from the four scan pixels around its point: the two
// at `topLeft` and the two at `bottomLeft`, each followed by a byte to spare.
inline void blendPixel(const std::uint8_t* topLeft, const std::uint8_t* bottomLeft, int right, int lower,
                       std::uint8_t* pixel) {
  const std::uint64_t r = std::uint64_t(right), l = kWeightOne - r;
  const std::uint64_t d = std::uint64_t(lower), u = kWeightOne - d;
  // Each lane at most 255 × 256 across, 255 × 65536 + 2^15 down: no carry between lanes.
  const std::uint64_t top = lanesOf(topLeft) * l + lanesOf(topLeft + 3) * r;
  const std::uint64_t bottom = lanesOf(bottomLeft) * l + lanesOf(bottomLeft + 3) * r;
  constexpr std::uint64_t kOuterLanes = 0x0000FFFF0000FFFFull, kOuterHalves = 0x0000800000008000ull;
  constexpr int kShift = 2 * kWeightBits;
  const std::uint64_t outer = (top & kOuterLanes) * u + (bottom & kOuterLanes) * d + kOuterHalves;
  const std::uint64_t middle = ((top >> 16) & 0xFFFF) * u + ((bottom >> 16) & 0xFFFF) * d + (1u << (kShift - 1));
  pixel[0] = std::uint8_t(outer >> kShift);
  pixel[1] = std::uint8_t(middle >> kShift);
  pixel[2] = std::uint8_t(outer >> (32 + kShift));
}

// Eight points from `at` by `step`, as tapsAt() steps them: the low 32 bits
// of each (enough for a point in the scan).
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

void StraightenedSource::blend(const RowLine& line, int first, int end, const ScanPieces& pieces,
                               std::uint8_t* out) const {
  const int w = scan_->width(), h = scan_->height();
  // What tapsAt() adds before its shift, so that steps = (at + bias) >> kWeightShift.
  constexpr std::int64_t kBias = -kOne / 2 + (std::int64_t(1) << (kWeightShift - 1));
  std::int64_t x = line.x + first * line.dx, y = line.y + first * line.dy;
  for (int u = first; u < end;) {
    const std::int64_t rowSteps = (y + kBias) >> kWeightShift;
    const int above = int(rowSteps >> kWeightBits);
    if (above >= 0 && above + 1 < h) {
      // Between two scan rows, away from the edges: the taps need no clamping,
      // and the rows' pieces stay while the point keeps between them.
      const KeptPiece& top = pieces.piece(above);
      const KeptPiece& bottom = pieces.piece(above + 1);
      static const bool avx2 = __builtin_cpu_supports("avx2");
      for (; u < end; ++u, x += line.dx, y += line.dy) {
        if (avx2 && end - u >= 8) {
          const int done = blendRunAvx2(top, bottom, above, w, x, y, line.dx, line.dy, kBias, end - u,
                                        out + std::size_t(u) * 3);
          u += done, x += done * line.dx, y += done * line.dy;
          if (u == end) break;
        }
        const std::int64_t down = (y + kBias) >> kWeightShift;
        const std::int64_t across = (x + kBias) >> kWeightShift;
        const int column = int(across >> kWeightBits);
        if ((down >> kWeightBits) != above || column < 0 || column + 1 >= w) break;
        blendPixel(top.pixel(column), bottom.pixel(column), int(across & (kWeightOne - 1)),
                   int(down & (kWeightOne - 1)), out + std::size_t(u) * 3);
      }
      if (u == end) break;
      if (((y + kBias) >> kWeightShift >> kWeightBits) != above) continue;  // the next rows' run
    }
    // At the scan's edges: clamped taps, white outside.
    std::uint8_t* pixel = out + std::size_t(u) * 3;
    if (!inScan(x, y)) {
      pixel[0] = pixel[1] = pixel[2] = 255;
    } else {
      const Taps across = tapsAt(x, w), down = tapsAt(y, h);
      const KeptPiece& upperPiece = pieces.piece(down.first);
      const KeptPiece& lowerPiece = pieces.piece(down.second);
      std::uint8_t taps[2][7] = {};
      std::memcpy(taps[0], upperPiece.pixel(across.first), 3);
      std::memcpy(taps[0] + 3, upperPiece.pixel(across.second), 3);
      std::memcpy(taps[1], lowerPiece.pixel(across.first), 3);
      std::memcpy(taps[1] + 3, lowerPiece.pixel(across.second), 3);
      blendPixel(taps[0], taps[1], across.weight, down.weight, pixel);
    }
    ++u, x += line.dx, y += line.dy;
  }
}

const std::uint8_t* StraightenedSource::rowColumns(int y, int first, int end,
                                                   std::vector<std::uint8_t>& scratch) const {
  const std::size_t rowBytes = std::size_t(width()) * 3;
  if (scratch.size() < rowBytes) scratch.resize(rowBytes);
  first = std::clamp(first, 0, width());
  end = std::clamp(end, first, width());
  if (first == end) return scratch.data();
  const RowLine line = lineOf(y);
  const ThreadPieces pieces(id_);
  findPieces(line, first, end, *pieces);
  readPieces(*pieces);
  blend(line, first, end, *pieces, scratch.data());
  return scratch.data();
}

void StraightenedSource::willRead(int first, int last) const {
  first = std::clamp(first, 0, height());
  last = std::clamp(last, first, height());
  if (first == last || width() == 0) return;
  // The map is bilinear: the rows of a band reach farthest up and down at its corners.
  const int h = scan_->height();
  int top = INT_MAX, bottom = INT_MIN;
  for (const int v : {first, last - 1}) {
    const RowLine line = lineOf(v);
    for (const std::int64_t u : {std::int64_t(0), std::int64_t(width() - 1)}) {
      const Taps down = tapsAt(std::clamp<std::int64_t>(line.y + u * line.dy, 0, h * kOne - 1), h);
      top = std::min(top, down.first);
      bottom = std::max(bottom, down.second);
    }
  }
  scan_->willRead(top, bottom + 1);
}

double distance(const FramePoint& a, const FramePoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::pair<int, int> straightenedSize(const FrameCorners& frame) {
  const double across = (distance(frame.topLeft, frame.topRight) +
                         distance(frame.bottomLeft, frame.bottomRight)) / 2;
  const double down = (distance(frame.topLeft, frame.bottomLeft) +
                       distance(frame.topRight, frame.bottomRight)) / 2;
  return {int(std::lround(across)), int(std::lround(down))};
}

bool frameOnRasterEdges(const FrameCorners& frame, int width, int height) {
  auto near = [](const FramePoint& corner, double x, double y) {
    return std::abs(corner.x - x) <= 1 && std::abs(corner.y - y) <= 1;
  };
  return near(frame.topLeft, 0, 0) && near(frame.topRight, width, 0) &&
         near(frame.bottomRight, width, height) && near(frame.bottomLeft, 0, height);
}

std::shared_ptr<const RasterSource> straightenedSource(std::shared_ptr<const RasterSource> scan,
                                                       const FrameCorners& frame) {
  // Within 2^24 pixels every position of a row fits the fixed point's 31 bits of whole pixels.
  constexpr double kReach = 1 << 24;
  for (const FramePoint& p : {frame.topLeft, frame.topRight, frame.bottomRight, frame.bottomLeft})
    if (!(std::abs(p.x) < kReach && std::abs(p.y) < kReach))
      throw std::invalid_argument("a frame corner lies too far from the scan");
  return std::make_shared<StraightenedSource>(std::move(scan), frame, straightenedSize(frame));
}

}  // namespace pelmora
