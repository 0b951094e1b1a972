#include "session/quality.h"

#include "base/failure.h"
#include "base/numbers.h"
#include "base/halfwidth.h"

namespace pelmora {

void normaliseQuality(Fields& fields) {
  fields.setText(Field::Text11, toHalfWidth(fields.text(Field::Text11)));
  double v;
  try {
    v = readLenient(fields.text(Field::Text11));
  } catch (const Failure&) {
    v = 100;  // a number beyond a double is above the bound
  }
  if (v > 100) v = 100;
  if (v < 25) v = 25;
  fields.setText(Field::Text11, signPositionText(v));
}

}  // namespace pelmora
