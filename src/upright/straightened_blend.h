// The blend of an upright row's pixels from the two scan rows about their
// points: bilinear, in fixed point, one pixel at a time, and runs of eight
// at a time with AVX2 that give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pelmora::straightening {

// Points of the scan in fixed point, 32 bits of fraction: the pixels of a row
// are its first point plus whole multiples of its step, so where a pixel falls
// is integer arithmetic, the same whoever works it out.
constexpr int kFractionBits = 32;
constexpr std::int64_t kOne = std::int64_t(1) << kFractionBits;
// Blending weights in 256ths of a pixel.
constexpr int kWeightBits = 8;
constexpr int kWeightOne = 1 << kWeightBits;
constexpr int kWeightShift = kFractionBits - kWeightBits;


// A piece of one scan row kept by a thread: columns [from, to) of row y.
struct KeptPiece {
  int y = -1, from = 0, to = 0;
  std::vector<std::uint8_t> bytes;
  bool holds(int row, int first, int end) const { return y == row && from <= first && end <= to; }
  const std::uint8_t* pixel(int x) const { return bytes.data() + std::ptrdiff_t(x - from) * 3; }
};

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

// As many pixels of the run between scan rows `above` and `above` + 1, from
// the point (`x`, `y`) by (`dx`, `dy`) (fixed point, `bias` added before the
// weights' shift as tapsAt() adds it), as are blended eight at a time, up to
// `count`, into `out`: how many. 0 where the processor has no AVX2; the
// caller blends the others with blendPixel().
int blendRun(const KeptPiece& top, const KeptPiece& bottom, int above, int w, std::int64_t x, std::int64_t y,
             std::int64_t dx, std::int64_t dy, std::int64_t bias, int count, std::uint8_t* out);

}  // namespace pelmora::straightening
