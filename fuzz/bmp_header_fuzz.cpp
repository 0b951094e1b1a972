// The BMP header check on any bytes, and for a header it accepts, every row
// read from a file of those same bytes, one by one and as one block: what the
// check lets through must lie inside the file.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/failure.h"
#include "raster/bmp_file.h"
#include "raster/bmp_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<pelmora::BmpLayout> layout;
  try {
    layout = pelmora::inspectBmp(data, std::min(size, pelmora::kBmpHeadBytes), std::int64_t(size));
  } catch (const pelmora::Failure&) {
    return 0;
  }
  if (!layout) return 0;

  static const int fd = memfd_create("bmp", MFD_CLOEXEC);
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) __builtin_trap();
  struct stat status {};
  fstat(fd, &status);
  try {
    const pelmora::BmpFile source(fd, status, std::move(*layout), QStringLiteral("fuzz.bmp"));
    std::vector<std::uint8_t> scratch, block(source.readRowsBytes(source.height()));
    const std::size_t rowBytes = std::size_t(source.width()) * 3;
    const auto rows = source.readRows(0, source.height(), block.data());
    for (int y = 0; y < source.height(); ++y) {
      const std::uint8_t* row = source.row(y, scratch);
      // Both reads give the same bytes.
      if (std::memcmp(row, rows.start + y * rows.stride, rowBytes) != 0) __builtin_trap();
    }
    source.checkUnchanged();
  } catch (const pelmora::Failure&) {
  }
  return 0;
}
