#include "raster/bmp_header.h"

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

std::uint32_t u32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t u16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::int32_t i32(const std::uint8_t* p) { return std::int32_t(u32(p)); }

Failure brokenHeader() { return Failure(messages::bitmapHeaderBroken()); }

// Every size derived from the header goes through these two: a header may
// claim any width, height and offset, and their products must not wrap.
struct SizeArithmetic {
  std::int64_t width, height;
  Failure tooLarge() const {
    return Failure(messages::bitmapTooLarge(width, height));
  }
  std::int64_t times(std::int64_t a, std::int64_t b) const {
    std::int64_t product;
    if (__builtin_mul_overflow(a, b, &product)) throw tooLarge();
    return product;
  }
  std::int64_t plus(std::int64_t a, std::int64_t b) const {
    std::int64_t sum;
    if (__builtin_add_overflow(a, b, &sum)) throw tooLarge();
    return sum;
  }
};

}  // namespace

bool looksLikeBmp(const std::uint8_t* head, std::size_t headSize) {
  return headSize >= 2 && head[0] == 'B' && head[1] == 'M';
}

std::optional<BmpLayout> inspectBmp(const std::uint8_t* head, std::size_t headSize,
                                    std::int64_t fileSize) {
  headSize = std::min<std::size_t>(headSize, std::size_t(std::max<std::int64_t>(fileSize, 0)));
  if (headSize < 18 || !looksLikeBmp(head, headSize)) throw brokenHeader();
  const std::int64_t headerSize = u32(head + 14);
  // OS/2 2.x headers: left to the decoder, which knows them or says why not.
  if (headerSize == 16 || headerSize == 64) return std::nullopt;
  const bool core = headerSize == 12;
  if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    throw brokenHeader();
  if (std::int64_t(headSize) < 14 + headerSize) throw brokenHeader();

  std::int64_t width, height;
  int bits;
  std::uint32_t compression = kRgb, colorsUsed = 0;
  if (core) {
    width = u16(head + 18);
    height = std::int16_t(u16(head + 20));
    bits = u16(head + 24);
  } else {
    width = i32(head + 18);
    height = i32(head + 22);
    bits = u16(head + 28);
    compression = u32(head + 30);
    colorsUsed = u32(head + 46);
  }
  if (width <= 0 || height == 0)
    throw Failure(messages::bitmapBadSize(width, height));
  const bool topDown = height < 0;
  height = std::abs(height);
  if (height > std::numeric_limits<std::int32_t>::max())
    throw Failure(messages::bitmapBadSize(width, -height));

  // Colour masks follow a 40-byte header; longer headers hold them inside.
  std::int64_t tableStart = 14 + headerSize;
  if (compression == kBitFields) {
    if (headerSize == 40) tableStart += 12;
    if (std::int64_t(headSize) < 14 + 40 + 12) throw brokenHeader();
    const bool plain = u32(head + 54) == 0x00FF0000u && u32(head + 58) == 0x0000FF00u &&
                       u32(head + 62) == 0x000000FFu;
    if (bits != 32 || !plain) return std::nullopt;
  } else if (compression == kRle8 || compression == kRle4) {
    return std::nullopt;
  } else if (compression != kRgb) {
    return std::nullopt;  // embedded JPEG/PNG and the like: the decoder decides
  }
  if (bits == 16) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    throw Failure(messages::bitmapBadBitCount(bits));

  const SizeArithmetic size{width, height};
  BmpLayout layout;
  layout.width = int(width);
  layout.height = int(height);
  layout.bitsPerPixel = bits;
  layout.topDown = topDown;
  layout.stride = size.times(size.plus(size.times(width, bits), 31) / 32, 4);
  layout.pixelOffset = u32(head + 10);
  if (layout.pixelOffset < tableStart) throw brokenHeader();
  const std::int64_t pixelBytes = size.times(layout.stride, height);
  if (size.plus(layout.pixelOffset, pixelBytes) > fileSize)
    throw Failure(messages::bitmapTruncated());

  if (bits <= 8) {
    const std::int64_t indices = std::int64_t(1) << bits;
    if (colorsUsed > 256) throw Failure(messages::bitmapPaletteBroken());
    const std::int64_t stored = std::min<std::int64_t>(colorsUsed ? colorsUsed : indices, indices);
    const int entryBytes = core ? 3 : 4;
    if (size.plus(tableStart, size.times(stored, entryBytes)) >
        std::min<std::int64_t>(fileSize, std::int64_t(headSize)))
      throw Failure(messages::bitmapPaletteBroken());
    layout.palette.assign(std::size_t(indices), {0, 0, 0});
    for (std::int64_t i = 0; i < stored; ++i) {
      const std::uint8_t* entry = head + tableStart + i * entryBytes;
      layout.palette[std::size_t(i)] = {entry[0], entry[1], entry[2]};
    }
  }
  return layout;
}

}  // namespace pelmora
