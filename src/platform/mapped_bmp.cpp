#include "platform/mapped_bmp.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/failure.h"

namespace pelmora {
namespace {

std::uintptr_t pageSize() {
  static const std::uintptr_t size = std::uintptr_t(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

MappedBmp::MappedBmp(int fd, std::int64_t fileSize, BmpLayout layout, const QString& path)
    : RasterSource(layout.width, layout.height),
      layout_(std::move(layout)) {
  mappedBytes_ = std::size_t(layout_.pixelOffset + layout_.stride * layout_.height);
  if (std::int64_t(mappedBytes_) > fileSize)
    throw Failure(QStringLiteral("ビットマップの画素データがファイルに収まっていません。"), path);
  mapping_ = mmap(nullptr, mappedBytes_, PROT_READ, MAP_SHARED, fd, 0);
  if (mapping_ == MAP_FAILED) {
    mapping_ = nullptr;
    throw Failure(QStringLiteral("ファイルをメモリーに割り当てられません: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno))),
                  path);
  }
}

MappedBmp::~MappedBmp() {
  if (mapping_) munmap(mapping_, mappedBytes_);
}

const std::uint8_t* MappedBmp::storedRow(int y) const {
  const std::int64_t stored = layout_.topDown ? y : layout_.height - 1 - y;
  return static_cast<const std::uint8_t*>(mapping_) + layout_.pixelOffset + stored * layout_.stride;
}

const std::uint8_t* MappedBmp::row(int y, std::vector<std::uint8_t>& scratch) const {
  const std::uint8_t* stored = storedRow(y);
  const int bits = layout_.bitsPerPixel;
  if (bits == 24) return stored;

  const std::size_t w = std::size_t(width());
  if (scratch.size() < w * 3) scratch.resize(w * 3);
  std::uint8_t* out = scratch.data();
  if (bits == 32) {
    for (std::size_t x = 0; x < w; ++x) std::memcpy(out + 3 * x, stored + 4 * x, 3);
    return out;
  }
  const auto* palette = layout_.palette.data();
  auto put = [&](std::size_t x, unsigned index) {
    std::memcpy(out + 3 * x, palette[index].data(), 3);
  };
  if (bits == 8) {
    for (std::size_t x = 0; x < w; ++x) put(x, stored[x]);
  } else if (bits == 4) {
    for (std::size_t x = 0; x < w; ++x) put(x, (stored[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
  } else {
    for (std::size_t x = 0; x < w; ++x) put(x, (stored[x >> 3] >> (7 - (x & 7))) & 1);
  }
  return out;
}

const std::uint8_t* MappedBmp::rowInPlace(int y) const {
  return layout_.bitsPerPixel == 24 ? storedRow(y) : nullptr;
}

void MappedBmp::willRead(int first, int last) const {
  first = std::max(first, 0);
  last = std::min(last, height());
  if (first >= last) return;
  // Stored order may be bottom-up: take the byte span of both end rows.
  const std::uint8_t* a = storedRow(first);
  const std::uint8_t* b = storedRow(last - 1);
  const std::uint8_t* begin = std::min(a, b);
  const std::uint8_t* end = std::max(a, b) + layout_.stride;
  const auto start = reinterpret_cast<std::uintptr_t>(begin) & ~(pageSize() - 1);
  madvise(reinterpret_cast<void*>(start),
          std::size_t(reinterpret_cast<std::uintptr_t>(end) - start), MADV_WILLNEED);
}

}  // namespace pelmora
