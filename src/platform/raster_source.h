// A decoded (or memory-mapped) raster as the renderer sees it: a size and rows
// of pixels in blue-green-red order, 3 or 4 bytes per pixel, top row first.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace pelmora {

enum class PixelLayout { BGR24, BGRX32 };

inline int bytesPerPixel(PixelLayout layout) { return layout == PixelLayout::BGR24 ? 3 : 4; }

class RasterSource {
 public:
  virtual ~RasterSource() = default;

  int width() const { return width_; }
  int height() const { return height_; }
  PixelLayout layout() const { return layout_; }

  // Row y (0 = top) in layout(): width() pixels. Formats stored otherwise
  // (palettes) expand the row into `scratch`, which the caller keeps per
  // thread so that nothing is allocated per row. Thread-safe.
  virtual const std::uint8_t* row(int y, std::vector<std::uint8_t>& scratch) const = 0;

  // Row y where it lies when it is stored in layout(), else null; lets a
  // reader prefetch rows ahead without expanding them.
  virtual const std::uint8_t* rowInPlace(int /*y*/) const { return nullptr; }

  // Tells the operating system that rows [first, last) are about to be read
  // in order; a no-op for sources held in memory.
  virtual void willRead(int /*first*/, int /*last*/) const {}

 protected:
  RasterSource(int width, int height, PixelLayout layout)
      : width_(width), height_(height), layout_(layout) {}

 private:
  int width_;
  int height_;
  PixelLayout layout_;
};

// Opens the raster at `path`: uncompressed BMPs are mapped, not decoded; every
// other format goes through Qt's image reader once. Throws Failure naming the
// cause and the file when the file cannot be read as a raster.
std::shared_ptr<const RasterSource> openRaster(const QString& path);

}  // namespace pelmora
