#include "raster/bmp_header.h"

#include <QString>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

// Compressions read in place; run-length encoded bitmaps (1, 2) go to GDAL.
constexpr std::uint32_t kRgb = 0, kBitFields = 3;

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

namespace {

// The fields of the info header that the layout needs.
struct InfoHeader {
  std::int64_t size = 0;  // 12 (OS/2 1.x), 40, 52, 56, 108 or 124
  std::int64_t width = 0, height = 0;
  int bits = 0;
  std::uint32_t compression = kRgb, colorsUsed = 0;
  bool core = false;  // the 12-byte header: 16-bit sizes, 3-byte palette entries
  bool topDown = false;
};

// The info header; nothing for one left to the decoder (OS/2 2.x).
std::optional<InfoHeader> readInfoHeader(const std::uint8_t* head, std::size_t headSize) {
  if (headSize < 18 || !looksLikeBmp(head, headSize)) throw brokenHeader();
  InfoHeader info;
  info.size = u32(head + 14);
  // OS/2 2.x headers: left to the decoder, which knows them or says why not.
  if (info.size == 16 || info.size == 64) return std::nullopt;
  info.core = info.size == 12;
  if (!info.core && info.size != 40 && info.size != 52 && info.size != 56 && info.size != 108 && info.size != 124)
    throw brokenHeader();
  if (std::int64_t(headSize) < 14 + info.size) throw brokenHeader();
  if (info.core) {
    info.width = u16(head + 18);
    info.height = std::int16_t(u16(head + 20));
    info.bits = u16(head + 24);
  } else {
    info.width = i32(head + 18);
    info.height = i32(head + 22);
    info.bits = u16(head + 28);
    info.compression = u32(head + 30);
    info.colorsUsed = u32(head + 46);
  }
  if (info.width <= 0 || info.height == 0) throw Failure(messages::bitmapBadSize(info.width, info.height));
  info.topDown = info.height < 0;
  info.height = std::abs(info.height);
  if (info.height > std::numeric_limits<std::int32_t>::max())
    throw Failure(messages::bitmapBadSize(info.width, -info.height));
  return info;
}

// Where the colour table starts for pixels read in place; nothing for those
// left to the decoder (compressed, 16-bit, masks other than plain BGR).
std::optional<std::int64_t> tableStartOfPlainPixels(const InfoHeader& info, const std::uint8_t* head,
                                                    std::size_t headSize) {
  // Colour masks follow a 40-byte header; longer headers hold them inside.
  std::int64_t tableStart = 14 + info.size;
  if (info.compression == kBitFields) {
    if (info.size == 40) tableStart += 12;
    if (std::int64_t(headSize) < 14 + 40 + 12) throw brokenHeader();
    const bool plain = u32(head + 54) == 0x00FF0000u && u32(head + 58) == 0x0000FF00u &&
                       u32(head + 62) == 0x000000FFu;
    if (info.bits != 32 || !plain) return std::nullopt;
  } else if (info.compression != kRgb) {
    return std::nullopt;  // run-length, embedded JPEG/PNG and the like: the decoder decides
  }
  if (info.bits == 16) return std::nullopt;
  if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 24 && info.bits != 32)
    throw Failure(messages::bitmapBadBitCount(info.bits));
  return tableStart;
}

// The palette of a bitmap of 8 bits or fewer, every index given a colour.
void readPalette(BmpLayout& layout, const InfoHeader& info, const std::uint8_t* head, std::size_t headSize,
                 std::int64_t fileSize, std::int64_t tableStart, const SizeArithmetic& size) {
  const std::int64_t indices = std::int64_t(1) << info.bits;
  if (info.colorsUsed > 256) throw Failure(messages::bitmapPaletteBroken());
  const std::int64_t stored = std::min<std::int64_t>(info.colorsUsed ? info.colorsUsed : indices, indices);
  const int entryBytes = info.core ? 3 : 4;
  if (size.plus(tableStart, size.times(stored, entryBytes)) > std::min<std::int64_t>(fileSize, std::int64_t(headSize)))
    throw Failure(messages::bitmapPaletteBroken());
  layout.palette.assign(std::size_t(indices), {0, 0, 0});
  for (std::int64_t i = 0; i < stored; ++i) {
    const std::uint8_t* entry = head + tableStart + i * entryBytes;
    layout.palette[std::size_t(i)] = {entry[0], entry[1], entry[2]};
  }
}

}  // namespace

std::optional<BmpLayout> inspectBmp(const std::uint8_t* head, std::size_t headSize,
                                    std::int64_t fileSize) {
  headSize = std::min<std::size_t>(headSize, std::size_t(std::max<std::int64_t>(fileSize, 0)));
  const std::optional<InfoHeader> info = readInfoHeader(head, headSize);
  if (!info) return std::nullopt;
  const std::optional<std::int64_t> tableStart = tableStartOfPlainPixels(*info, head, headSize);
  if (!tableStart) return std::nullopt;

  const SizeArithmetic size{info->width, info->height};
  BmpLayout layout;
  layout.width = int(info->width);
  layout.height = int(info->height);
  layout.bitsPerPixel = info->bits;
  layout.topDown = info->topDown;
  layout.stride = size.times(size.plus(size.times(info->width, info->bits), 31) / 32, 4);
  layout.pixelOffset = u32(head + 10);
  if (layout.pixelOffset < *tableStart) throw brokenHeader();
  const std::int64_t pixelBytes = size.times(layout.stride, info->height);
  if (size.plus(layout.pixelOffset, pixelBytes) > fileSize) throw Failure(messages::bitmapTruncated());
  if (info->bits <= 8) readPalette(layout, *info, head, headSize, fileSize, *tableStart, size);
  return layout;
}

}  // namespace pelmora
