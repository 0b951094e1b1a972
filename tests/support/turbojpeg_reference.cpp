#include "support/turbojpeg_reference.h"

#include <stdexcept>
#include <turbojpeg.h>

namespace pelmora::testing {

std::vector<std::uint8_t> turboJpegBytes(const std::uint8_t* pixels, int width, int height,
                                         std::ptrdiff_t stride, PixelLayout layout, int quality) {
  tjhandle handle = tjInitCompress();
  if (!handle) throw std::runtime_error("tjInitCompress failed");
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int format = layout == PixelLayout::BGR24 ? TJPF_BGR : TJPF_BGRX;
  const int result =
      tjCompress2(handle, pixels, width, int(stride), height, format, &jpeg, &size, TJSAMP_420, quality, 0);
  std::vector<std::uint8_t> bytes;
  if (result == 0) bytes.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(handle);
  if (result != 0) throw std::runtime_error("tjCompress2 failed");
  return bytes;
}

}  // namespace pelmora::testing
