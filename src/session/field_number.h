// The number a field's text holds, as every command reads it: full-width
// digits, signs, the decimal point and the ideographic space count as their
// ASCII forms (a Japanese input method types them unless switched off), then
// the lenient reading. The field's text itself is left as typed.
#pragma once

#include "session/fields.h"

#include <QString>
#include <optional>

namespace pelmora {

// 0 for a text without a leading number; throws Failure::overflow() for a
// number beyond a double, as readLenient does.
double readFieldNumber(const Fields& fields, Field field);

// The number the whole of `text` is in the fields' syntax (blanks around it
// allowed), or nothing when the text is more or less than a number: how a
// value given outside the window (an option, a table) is checked before it
// goes to a field. Throws Failure::overflow() for a number beyond a double.
std::optional<double> readWholeFieldText(const QString& text);

}  // namespace pelmora
