// The number a field holds, read by the fields' rule (base/field_text.h); the
// field's text itself is left as typed.
#pragma once

#include "base/field_text.h"
#include "window/fields.h"

namespace pelmora {

inline double readFieldNumber(const Fields& fields, Field field) { return readFieldText(fields.text(field)); }

}  // namespace pelmora
