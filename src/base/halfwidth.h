// Full-width characters to their half-width forms (digits, Latin letters,
// signs, the ideographic space; katakana to half-width katakana), through ICU.
#pragma once

#include <QString>

namespace pelmora {

QString toHalfWidth(const QString& text);

}  // namespace pelmora
