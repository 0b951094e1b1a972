#include "raster/bmp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/messages.h"
#include "base/file_io.h"
#include "base/system_errors.h"

namespace pelmora {
namespace {


// The stored bytes [begin, end) of a row that hold columns [first, last).
struct ByteSpan {
  std::size_t begin = 0, end = 0;
};
ByteSpan bytesOf(int bits, int first, int last) {
  return {std::size_t(first) * std::size_t(bits) / 8,
          (std::size_t(last) * std::size_t(bits) + 7) / 8};
}

// Columns [first, last) of a stored row of 32, 8, 4 or 1 bits a pixel as 24-bit
// pixels at out + 3 * first; `stored` holds the row's bytes from `base` on.
void widen(const BmpLayout& layout, const std::uint8_t* stored, std::size_t base, int first,
           int last, std::uint8_t* out) {
  const std::size_t from = std::size_t(first), to = std::size_t(last);
  const int bits = layout.bitsPerPixel;
  if (bits == 32) {
    for (std::size_t x = from; x < to; ++x) std::memcpy(out + 3 * x, stored + 4 * x - base, 3);
    return;
  }
  const auto* palette = layout.palette.data();
  auto put = [&](std::size_t x, unsigned index) {
    std::memcpy(out + 3 * x, palette[index].data(), 3);
  };
  if (bits == 8) {
    for (std::size_t x = from; x < to; ++x) put(x, stored[x - base]);
  } else if (bits == 4) {
    for (std::size_t x = from; x < to; ++x)
      put(x, (stored[(x >> 1) - base] >> ((x & 1) ? 0 : 4)) & 15);
  } else {
    for (std::size_t x = from; x < to; ++x)
      put(x, (stored[(x >> 3) - base] >> (7 - (x & 7))) & 1);
  }
}

}  // namespace

BmpFile::BmpFile(int fd, const struct stat& status, BmpLayout layout, const QString& path)
    : RasterSource(layout.width, layout.height),
      layout_(std::move(layout)),
      path_(path),
      opened_(status) {
  if (layout_.pixelOffset + layout_.stride * layout_.height > status.st_size)
    throw Failure(messages::bitmapTruncated(), path);
  fd_ = FileDescriptor(fcntl(fd, F_DUPFD_CLOEXEC, 0));
  if (!fd_.isOpen()) throw Failure(messages::cannotOpenFile(systemErrorText(errno)), path);
}

void BmpFile::checkUnchanged() const {
  struct stat now {};
  if (fstat(fd_.get(), &now) != 0) return;  // nothing to compare with: the reads alone tell
  if (now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
      now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec)
    throw Failure(messages::rasterChangedWhileReading(), path_);
}

std::int64_t BmpFile::storedOffset(int y) const {
  const std::int64_t stored = layout_.topDown ? y : layout_.height - 1 - y;
  return layout_.pixelOffset + stored * layout_.stride;
}

void BmpFile::readExactly(std::uint8_t* to, std::size_t bytes, std::int64_t offset, int y) const {
  const int error = preadAll(fd_.get(), to, bytes, offset);
  // The headers were checked against the file's size: at its end, it has shrunk since.
  if (error == kEndOfFile) throw Failure(messages::rasterChangedWhileReading(), path_);
  if (error != 0)
    throw Failure(messages::cannotReadRaster(systemErrorText(error), width(), height(), y + 1), path_);
}

const std::uint8_t* BmpFile::row(int y, std::vector<std::uint8_t>& scratch) const {
  return rowColumns(y, 0, width(), scratch);
}

const std::uint8_t* BmpFile::rowColumns(int y, int first, int end,
                                        std::vector<std::uint8_t>& scratch) const {
  const std::size_t rowBytes = std::size_t(width()) * 3;
  first = std::clamp(first, 0, width());
  end = std::clamp(end, first, width());
  const int bits = layout_.bitsPerPixel;
  const ByteSpan span = bytesOf(bits, first, end);
  const std::size_t stored = first < end ? span.end - span.begin : 0;
  // Other depths are read past the row in `scratch` and widened into it.
  const std::size_t needed = bits == 24 ? rowBytes : rowBytes + stored;
  if (scratch.size() < needed) scratch.resize(needed);
  std::uint8_t* out = scratch.data();
  std::uint8_t* into = bits == 24 ? out + span.begin : out + rowBytes;
  readExactly(into, stored, storedOffset(y) + std::int64_t(span.begin), y);
  if (bits != 24) widen(layout_, into, span.begin, first, end, out);
  return out;
}

std::size_t BmpFile::readRowsBytes(int count) const {
  const std::size_t stored = std::size_t(layout_.stride) * std::size_t(std::max(count, 0));
  // Other depths are read past the rows they widen into.
  if (layout_.bitsPerPixel == 24) return stored;
  return stored + std::size_t(width()) * 3 * std::size_t(std::max(count, 0));
}

RasterSource::RowBlock BmpFile::readRows(int first, int count, std::uint8_t* buffer) const {
  const std::size_t rowBytes = std::size_t(width()) * 3;
  const std::size_t stride = std::size_t(layout_.stride);
  count = std::max(count, 0);
  const std::size_t storedBytes = stride * std::size_t(count);
  // The rows lie one after the other in the file, in reverse when bottom-up.
  const std::int64_t offset = storedOffset(layout_.topDown ? first : first + count - 1);
  const int bits = layout_.bitsPerPixel;
  if (bits == 24) {
    readExactly(buffer, storedBytes, offset, first);
    if (layout_.topDown || count == 0) return {buffer, std::ptrdiff_t(stride)};
    return {buffer + stride * std::size_t(count - 1), -std::ptrdiff_t(stride)};
  }
  // Other depths: the stored rows read at once past the widened ones.
  std::uint8_t* in = buffer + rowBytes * std::size_t(count);
  readExactly(in, storedBytes, offset, first);
  for (int i = 0; i < count; ++i) {
    const int stored = layout_.topDown ? i : count - 1 - i;
    widen(layout_, in + stride * std::size_t(stored), 0, 0, width(),
          buffer + rowBytes * std::size_t(i));
  }
  return {buffer, std::ptrdiff_t(rowBytes)};
}

void BmpFile::willRead(int first, int last) const {
  first = std::max(first, 0);
  last = std::min(last, height());
  if (first >= last) return;
  // Stored order may be bottom-up: the byte span of both end rows.
  const std::int64_t a = storedOffset(first), b = storedOffset(last - 1);
  posix_fadvise(fd_.get(), std::min(a, b), std::max(a, b) - std::min(a, b) + layout_.stride,
                POSIX_FADV_WILLNEED);
}

bool isUncompressed24BitBitmap(const RasterSource& raster) {
  const auto* bitmap = dynamic_cast<const BmpFile*>(&raster);
  return bitmap && bitmap->bitsPerPixel() == 24;
}

}  // namespace pelmora
