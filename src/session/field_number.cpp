#include "session/field_number.h"

#include "base/numbers.h"
#include "base/halfwidth.h"

namespace pelmora {

double readFieldNumber(const Fields& fields, Field field) {
  return readLenient(toHalfWidth(fields.text(field)));
}

std::optional<double> readWholeFieldText(const QString& text) { return readWholeLenient(toHalfWidth(text)); }

}  // namespace pelmora
