// The JPEG quality field's normalisation when it loses the focus: half-width
// characters, the number held between 25 and 100, written in sign-position form.
#pragma once

#include "window/fields.h"

namespace pelmora {

// Normalises Text11 in place: first the half-width text is written back, then
// the bounded number. Never fails.
void normaliseQuality(Fields& fields);

}  // namespace pelmora
