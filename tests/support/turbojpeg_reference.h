// TurboJPEG's own encoding of a whole canvas (tjCompress2, 4:2:0, no flags):
// the reference our band-wise encoder must match byte for byte.
#pragma once

#include "raster/raster_source.h"

#include <cstdint>
#include <vector>

namespace pelmora::testing {

std::vector<std::uint8_t> turboJpegBytes(const std::uint8_t* pixels, int width, int height,
                                         std::ptrdiff_t stride, PixelLayout layout, int quality);

}  // namespace pelmora::testing
