// Rows of an image on their way to the encoder, in memory of the run's.
#pragma once

#include "base/image_buffer.h"
#include "raster/huge_page_slots.h"

#include <QRect>
#include <cstring>

namespace pelmora {

// Rows of an image on their way to the encoder: about 256 KB, or one block
// row of a wider image; never more for a taller image. Its memory is a slot
// of the run's, taken when first drawn into and kept until released.
class ImageBand {
 public:
  ImageBand() = default;
  ImageBand(const ImageBand&) = delete;
  ImageBand& operator=(const ImageBand&) = delete;
  ~ImageBand() { release(); }

  // Rows [from, from + count) of a band `width` pixels wide, white but where
  // `destination` (in pixels of those rows) will be drawn, which the renderer
  // covers whole. Rows above `from` keep what was drawn there.
  ImageBuffer prepare(HugePageSlots& memory, int width, int from, int count,
                      const QRect& destination) {
    if (!slot_) {
      slot_ = memory.acquire();
      memory_ = &memory;
    }
    const std::ptrdiff_t stride = strideOf(width);
    const ImageBuffer buffer{slot_ + stride * from, width, count, stride, PixelLayout::BGR24};
    whiten(buffer, destination.intersected(QRect(0, 0, width, count)));
    return buffer;
  }

  void release() {
    if (slot_) memory_->release(slot_);
    slot_ = nullptr;
  }

  const std::uint8_t* data() const { return slot_; }
  static std::ptrdiff_t strideOf(int width) {
    return (std::ptrdiff_t(width) * 3 + 3) & ~std::ptrdiff_t(3);
  }

 private:
  static void whiten(const ImageBuffer& buffer, const QRect& drawn) {
    const std::size_t rowBytes = std::size_t(buffer.width) * 3;
    for (int y = 0; y < buffer.height; ++y) {
      std::uint8_t* row = buffer.data + buffer.stride * y;
      if (drawn.isEmpty() || y < drawn.top() || y > drawn.bottom()) {
        std::memset(row, 0xFF, rowBytes);
        continue;
      }
      std::memset(row, 0xFF, std::size_t(drawn.left()) * 3);
      const std::size_t right = std::size_t(drawn.right() + 1) * 3;
      std::memset(row + right, 0xFF, rowBytes - right);
    }
  }

  HugePageSlots* memory_ = nullptr;
  std::uint8_t* slot_ = nullptr;
};

}  // namespace pelmora
