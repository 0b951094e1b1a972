// A block of pixels someone else owns, as the renderer draws into it: the
// view's canvas, a band of a run's image, a test's picture.
#pragma once

#include "base/pixel_layout.h"

#include <cstddef>
#include <cstdint>

namespace pelmora {

// Rows of `width` pixels in blue-green-red order, 3 or 4 bytes each, `stride`
// bytes apart. Empty (null data) when there is nothing to draw into.
struct ImageBuffer {
  std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  PixelLayout layout = PixelLayout::BGRX32;
};

}  // namespace pelmora
