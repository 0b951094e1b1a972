// The lenient reading of a field's text: a number, 0, or the overflow failure;
// and whatever it reads, the plain form of it reads back as a number.
#include <QString>
#include <cmath>
#include <cstdint>

#include "base/failure.h"
#include "base/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  double value;
  try {
    value = pelmora::readLenient(text);
  } catch (const pelmora::Failure&) {
    return 0;
  }
  if (!std::isfinite(value)) __builtin_trap();
  // The fields show what the commands write; it must read back, to 15 digits.
  const double again = pelmora::readLenient(pelmora::plainText(value));
  if (std::abs(again - value) > std::abs(value) * 1e-14) __builtin_trap();
  return 0;
}
