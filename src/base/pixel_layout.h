// How a canvas stores a pixel: 3 or 4 bytes in blue-green-red(-x) order.
#pragma once

namespace pelmora {

enum class PixelLayout { BGR24, BGRX32 };

inline int bytesPerPixel(PixelLayout layout) { return layout == PixelLayout::BGR24 ? 3 : 4; }

}  // namespace pelmora
