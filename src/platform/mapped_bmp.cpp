#include "platform/mapped_bmp.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/messages.h"

namespace pelmora {
namespace {

std::uintptr_t pageSize() {
  static const std::uintptr_t size = std::uintptr_t(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

MappedBmp::MappedBmp(int fd, const struct stat& status, BmpLayout layout, const QString& path)
    : RasterSource(layout.width, layout.height),
      layout_(std::move(layout)),
      path_(path),
      opened_(status) {
  mappedBytes_ = std::size_t(layout_.pixelOffset + layout_.stride * layout_.height);
  if (std::int64_t(mappedBytes_) > status.st_size)
    throw Failure(messages::bitmapTruncated(), path);
  mapping_ = mmap(nullptr, mappedBytes_, PROT_READ, MAP_SHARED, fd, 0);
  if (mapping_ == MAP_FAILED) {
    mapping_ = nullptr;
    throw Failure(messages::cannotMapFile(QString::fromLocal8Bit(std::strerror(errno))), path);
  }
  guard_ = std::make_unique<MappingGuard>(mapping_, mappedBytes_);
  fd_ = fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

MappedBmp::~MappedBmp() {
  guard_.reset();
  if (mapping_) munmap(mapping_, mappedBytes_);
  if (fd_ >= 0) close(fd_);
}

void MappedBmp::throwChanged() const {
  throw Failure(messages::rasterChangedWhileReading(), path_);
}

void MappedBmp::checkUnchanged() const {
  if (guard_->damaged()) throwChanged();
  struct stat now {};
  if (fd_ < 0 || fstat(fd_, &now) != 0) return;  // nothing to compare with: the guard alone
  if (now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
      now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec)
    throwChanged();
}

const std::uint8_t* MappedBmp::storedRow(int y) const {
  const std::int64_t stored = layout_.topDown ? y : layout_.height - 1 - y;
  return static_cast<const std::uint8_t*>(mapping_) + layout_.pixelOffset + stored * layout_.stride;
}

const std::uint8_t* MappedBmp::row(int y, std::vector<std::uint8_t>& scratch) const {
  // A fault in an earlier row stops every reader at its next row.
  if (guard_->damaged()) throwChanged();
  const std::uint8_t* stored = storedRow(y);
  const int bits = layout_.bitsPerPixel;
  if (bits == 24) return stored;

  const std::size_t w = std::size_t(width());
  if (scratch.size() < w * 3) scratch.resize(w * 3);
  std::uint8_t* out = scratch.data();
  if (bits == 32) {
    for (std::size_t x = 0; x < w; ++x) std::memcpy(out + 3 * x, stored + 4 * x, 3);
    if (guard_->damaged()) throwChanged();
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
  if (guard_->damaged()) throwChanged();
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
