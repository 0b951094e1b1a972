#include "window/quality.h"

#include "base/halfwidth.h"
#include "base/jpeg_quality.h"

namespace pelmora {

void normaliseQuality(Fields& fields) {
  // The half-width text first, as the field shows it on the way.
  fields.setText(Field::Text11, toHalfWidth(fields.text(Field::Text11)));
  fields.setText(Field::Text11, normalisedQualityText(fields.text(Field::Text11)));
}

}  // namespace pelmora
