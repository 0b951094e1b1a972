// The JPEG quality's one rule: the field holds it between 25 and 100 (typed
// text is brought into the bounds when it is left), and the encoder receives
// it rounded half to even.
#pragma once

#include <QString>

namespace pelmora {

constexpr double kLowestJpegQuality = 25;
constexpr double kHighestJpegQuality = 100;

// The quality text as the field shows it once left: half-width, the number
// held within the bounds (one beyond a double above them), in sign-position
// form.
QString normalisedQualityText(const QString& text);

// The whole-number quality the encoder receives; throws Failure naming the
// value for one outside the bounds.
int jpegQuality(double quality);

}  // namespace pelmora
