#include "base/jpeg_quality.h"

#include "base/failure.h"
#include "base/halfwidth.h"
#include "base/messages.h"
#include "base/numbers.h"

#include <algorithm>

namespace pelmora {

QString normalisedQualityText(const QString& text) {
  double v;
  try {
    v = readLenient(toHalfWidth(text));
  } catch (const Failure&) {
    v = kHighestJpegQuality;  // a number beyond a double is above the bound
  }
  return signPositionText(std::clamp(v, kLowestJpegQuality, kHighestJpegQuality));
}

int jpegQuality(double quality) {
  const int rounded = roundHalfEven(quality);
  if (rounded < kLowestJpegQuality || rounded > kHighestJpegQuality) throw Failure(messages::qualityOutOfRange(rounded));
  return rounded;
}

}  // namespace pelmora
