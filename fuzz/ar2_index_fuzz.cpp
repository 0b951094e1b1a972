// The index reader on any file: the first record's four numbers, or a failure.
#include <unistd.h>
#include <sys/mman.h>

#include <QString>
#include <cstdint>

#include "base/failure.h"
#include "output/ar2_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("ar2", MFD_CLOEXEC);
  static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) __builtin_trap();
  try {
    const pelmora::IndexFirstRecord record(path);
    for (int field = 2; field <= 5; ++field) {
      try {
        record.number(field);
      } catch (const pelmora::Failure&) {
      }
    }
  } catch (const pelmora::Failure&) {
  }
  return 0;
}
