// JPEG encoding band by band: baseline, 4:2:0, with the settings TurboJPEG's
// tjCompress2 uses for a quality, so that an image fed in bands of rows is
// byte for byte what TurboJPEG makes of the whole canvas, while no whole
// canvas is ever needed.
#pragma once

#include "base/pixel_layout.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace pelmora {

class JpegEncoder {
 public:
  // One block row at 4:2:0: bands of this many rows (or a multiple) pass
  // straight through without the encoder holding rows back.
  static constexpr int kBandRows = 16;

  virtual ~JpegEncoder() = default;
  // Begins an image of width × height pixels in `layout` at `quality` (values
  // beyond 1-100 are clamped). An image begun earlier and not finished is
  // abandoned.
  virtual void start(int width, int height, PixelLayout layout, int quality) = 0;
  // The next `count` rows, `stride` bytes apart. Returns the compressed bytes
  // made so far, valid until the next call on this encoder.
  virtual std::span<const std::uint8_t> writeRows(const std::uint8_t* rows, int count,
                                                  std::ptrdiff_t stride) = 0;
  // Ends the image once every row was written; returns the last bytes.
  virtual std::span<const std::uint8_t> finish() = 0;
  // One encoder per thread. Every call throws Failure with the library's own
  // reason; the encoder stays usable for the next start().
};

using JpegEncoderFactory = std::function<std::unique_ptr<JpegEncoder>()>;

std::unique_ptr<JpegEncoder> makeJpegEncoder();


}  // namespace pelmora
