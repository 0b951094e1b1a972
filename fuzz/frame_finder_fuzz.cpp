// Rasters of any bytes into the frame finder: it must never crash, read
// outside the raster or take unbounded time, and corners it finds lie on
// the raster.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frame/frame_finder.h"

namespace {

class BytesRaster final : public pelmora::RasterSource {
 public:
  BytesRaster(int width, int height, const std::uint8_t* data, std::size_t size)
      : RasterSource(width, height), pixels_(std::size_t(width) * std::size_t(height) * 3) {
    for (std::size_t i = 0; i < pixels_.size() && size > 0; ++i) pixels_[i] = data[i % size];
  }
  const std::uint8_t* row(int y, std::vector<std::uint8_t>&) const override {
    if (y < 0 || y >= height()) std::abort();
    return pixels_.data() + std::size_t(y) * std::size_t(width()) * 3;
  }

 private:
  std::vector<std::uint8_t> pixels_;
};

bool onRaster(const pelmora::FramePoint& p, int width, int height) {
  return p.x >= -1 && p.x <= width + 1 && p.y >= -1 && p.y <= height + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int width = 1 + data[0], height = 1 + data[1];
  const BytesRaster raster(width, height, data + 2, size - 2);
  const pelmora::FrameFound found = pelmora::findFrame(raster);
  if (found.corners) {
    const auto& c = *found.corners;
    if (!onRaster(c.topLeft, width, height) || !onRaster(c.topRight, width, height) ||
        !onRaster(c.bottomRight, width, height) || !onRaster(c.bottomLeft, width, height))
      std::abort();
  } else if (found.whyNot.isEmpty()) {
    std::abort();
  }
  return 0;
}
