// The strict reading of an index field: a finite number or nothing; and every
// number the index writer produces reads back.
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  if (const auto value = pelmora::readStrict(text); value && !std::isfinite(*value))
    __builtin_trap();

  if (size >= sizeof(double)) {
    double written;
    std::memcpy(&written, data, sizeof written);
    if (std::isfinite(written)) {
      const auto back = pelmora::readStrict(pelmora::signPositionText(written));
      if (!back || std::abs(*back - written) > std::abs(written) * 1e-14) __builtin_trap();
    }
  }
  return 0;
}
