// The number a field's text holds, as every command reads it: full-width
// digits, signs, the decimal point and the ideographic space count as their
// ASCII forms (a Japanese input method types them unless switched off), then
// the lenient reading. Options and table cells given outside the window are
// read by the same rule.
#pragma once

#include <QString>
#include <optional>

namespace pelmora {

// 0 for a text without a leading number; throws Failure::overflow() for a
// number beyond a double, as readLenient does.
double readFieldText(const QString& text);

// The number the whole of `text` is in the fields' syntax (blanks around it
// allowed), or nothing when the text is more or less than a number: how a
// value given outside the window is checked. Throws Failure::overflow() for a
// number beyond a double.
std::optional<double> readWholeFieldText(const QString& text);

}  // namespace pelmora
