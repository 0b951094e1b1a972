// Opening any file as a raster through the same path as the load: GDAL for
// every format but the uncompressed bitmap, then every row read. A refusal is
// a Failure; anything else must not reach past the rows it was given.
#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "raster/raster_opening.h"
#include "base/failure.h"
#include "raster/raster_source.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("PELMORA_GDAL_MODULE", PELMORA_GDAL_MODULE, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("raster", MFD_CLOEXEC);
  static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) __builtin_trap();
  try {
    const auto source = pelmora::openRaster(path).source;
    if (!source) return 0;
    std::vector<std::uint8_t> scratch;
    volatile std::uint8_t sink = 0;
    for (int y = 0; y < source->height(); ++y) {
      const std::uint8_t* row = source->row(y, scratch);
      for (int i = 0; i < source->width() * 3; ++i) sink = sink ^ row[i];
    }
  } catch (const pelmora::Failure&) {
  }
  return 0;
}
