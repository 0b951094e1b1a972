#include "base/field_text.h"

#include "base/halfwidth.h"
#include "base/numbers.h"

namespace pelmora {

double readFieldText(const QString& text) { return readLenient(toHalfWidth(text)); }

std::optional<double> readWholeFieldText(const QString& text) { return readWholeLenient(toHalfWidth(text)); }

}  // namespace pelmora
