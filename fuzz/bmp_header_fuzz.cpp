// The BMP header check on any bytes, and for a header it accepts, every row
// read through the mapping of those same bytes: what the check lets through
// must lie inside the file.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "base/failure.h"
#include "platform/bmp_header.h"
#include "platform/mapped_bmp.h"

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
    const pelmora::MappedBmp source(fd, status, std::move(*layout), QStringLiteral("fuzz.bmp"));
    std::vector<std::uint8_t> scratch;
    const std::size_t rowBytes = std::size_t(source.width()) * 3;
    volatile std::uint8_t sink = 0;
    for (int y = 0; y < source.height(); ++y) {
      const std::uint8_t* row = source.row(y, scratch);
      for (std::size_t i = 0; i < rowBytes; ++i) sink = sink ^ row[i];
    }
    source.checkUnchanged();
  } catch (const pelmora::Failure&) {
  }
  return 0;
}
