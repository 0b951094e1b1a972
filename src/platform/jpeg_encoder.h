// JPEG encoding of a canvas held in memory: baseline, 4:2:0, a quality 0-100
// (values up to 255 are clamped by the encoder).
#pragma once

#include "platform/raster_source.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace pelmora {

class JpegEncoder {
 public:
  virtual ~JpegEncoder() = default;
  // Encodes `height` rows of `width` pixels in `layout`, `stride` bytes apart.
  // The result stays valid until the next call on this encoder. One encoder
  // per thread. Throws Failure with the encoder's own reason.
  virtual std::span<const std::uint8_t> encode(const std::uint8_t* pixels, int width, int height,
                                               std::ptrdiff_t stride, PixelLayout layout,
                                               int quality) = 0;
};

using JpegEncoderFactory = std::function<std::unique_ptr<JpegEncoder>()>;

std::unique_ptr<JpegEncoder> makeTurboJpegEncoder();

}  // namespace pelmora
