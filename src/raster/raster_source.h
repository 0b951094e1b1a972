// A raster as the renderer sees it: a size and rows of 24-bit pixels in
// blue-green-red order, top row first, whatever the file stores. One row format
// means one drawing path, so the same pixels give the same image from any file.
#pragma once

#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/pixel_layout.h"

namespace pelmora {

// When a raster that is not an uncompressed bitmap is decoded.
enum class Decoding {
  // Whole, before the opening returns: the window shows the picture at once.
  beforeOpening,
  // Behind the readers, which wait for the rows not yet decoded: a run starts
  // on the first rows while the decoder goes on down the file.
  whileReading,
  // Never: the size and the placement only, and no row can be read (a dry run).
  never,
};

class RasterSource {
 public:
  virtual ~RasterSource() = default;

  int width() const { return width_; }
  int height() const { return height_; }

  // Row y (0 = top): width() pixels of 3 bytes. Sources that do not hold the
  // row in that form where it lies put it into `scratch`, which the caller
  // keeps per thread so that nothing is allocated per row. Thread-safe. May
  // throw Failure when the file can no longer be read.
  virtual const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const = 0;

  // Row y as row() gives it, of which only columns [first, end) need hold
  // the raster's pixels: a source that copies rows copies only those.
  virtual const std::uint8_t* rowColumns(int y, int /*first*/, int /*end*/,
                                         std::vector<std::uint8_t>& scratch) const {
    return row(y, scratch);
  }

  // Rows [first, first + count) read at once into `buffer`, of at least
  // readRowsBytes(count) bytes: row first + i starts at start + i * stride.
  // The stride is at least width() * 3 and negative when the rows lie
  // bottom-up. Sources that read a stretch of their file in one call should
  // say so here; the default copies row() by row. Same failures as row().
  struct RowBlock {
    const std::uint8_t* start = nullptr;
    std::ptrdiff_t stride = 0;
  };
  // Defined here, not out of line: the GDAL module derives from this class
  // without linking our libraries, so the class must have no key function.
  virtual std::size_t readRowsBytes(int count) const {
    return std::size_t(width()) * 3 * std::size_t(std::max(count, 0));
  }
  virtual RowBlock readRows(int first, int count, std::uint8_t* buffer) const {
    const std::size_t rowBytes = std::size_t(width()) * 3;
    std::vector<std::uint8_t> scratch;
    for (int i = 0; i < count; ++i)
      std::memcpy(buffer + rowBytes * std::size_t(i), row(first + i, scratch), rowBytes);
    return {buffer, std::ptrdiff_t(rowBytes)};
  }

  // Tells the operating system that rows [first, last) are about to be read
  // in order.
  virtual void willRead(int /*first*/, int /*last*/) const {}

  // Throws Failure naming the file when it changed on disk since it was
  // opened (truncated, rewritten): rows read from it may be wrong; a source
  // decoded behind its readers throws its decoder's failure as soon as it is
  // known. Readers call it after their last row; row() also throws once the
  // damage is known.
  virtual void checkUnchanged() const {}

  // Waits until a source decoded while read holds its whole raster; throws
  // the failure that stopped its decoding. A run calls it before it commits,
  // so that nothing cut from a file that fails to decode is committed.
  virtual void awaitDecoded() const {}

 protected:
  RasterSource(int width, int height) : width_(width), height_(height) {}

 private:
  int width_;
  int height_;
};

}  // namespace pelmora
