// An uncompressed bitmap read where it lies in its file, without decoding: its
// rows are read with pread, a stretch of 24-bit rows in one call, and rows of
// other depths are widened to 24 bits as they are read. Written here rather
// than read through GDAL, which reads everything else: a bitmap needs no
// decoding, so the run reads its rows straight from the file with no
// temporary copy, and programs cutting bitmaps never load GDAL's hundred
// libraries. Read, not mapped: the first touch of each page of a
// mapping costs every new process more than reading the same bytes from the
// page cache, and a file that shrinks under a read gives a short read to
// report rather than a fault that ends the process.
#pragma once

#include <QString>

#include <sys/stat.h>

#include "base/file_io.h"
#include "raster/bmp_header.h"
#include "raster/raster_source.h"

namespace pelmora {

class BmpFile final : public RasterSource {
 public:
  // Reads a duplicate of `fd` (left open to the caller) described by
  // `status`, whose headers gave `layout`.
  BmpFile(int fd, const struct stat& status, BmpLayout layout, const QString& path);
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;

  const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const override;
  const std::uint8_t* rowColumns(int y, int first, int end,
                                 std::vector<std::uint8_t>& scratch) const override;
  std::size_t readRowsBytes(int count) const override;
  RowBlock readRows(int first, int count, std::uint8_t* buffer) const override;
  void willRead(int first, int last) const override;
  void checkUnchanged() const override;
  int bitsPerPixel() const { return layout_.bitsPerPixel; }

 private:
  // Where row y (0 = top) starts in the file.
  std::int64_t storedOffset(int y) const;
  // Reads exactly `bytes` at `offset`, for rows from `y` on; throws Failure
  // when the file ends early or the system refuses.
  void readExactly(std::uint8_t* to, std::size_t bytes, std::int64_t offset, int y) const;

  BmpLayout layout_;
  QString path_;
  FileDescriptor fd_;
  struct stat opened_ {};
};

// True when `raster` is a bitmap of 24-bit pixels stored uncompressed, read
// where it lies: its file holds the pixels as they are, so its size says how
// many there are.
bool isUncompressed24BitBitmap(const RasterSource& raster);

}  // namespace pelmora
