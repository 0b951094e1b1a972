#include "base/numbers.h"

#include "base/failure.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace pelmora {
namespace {

bool isIgnoredBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// strtod in the "C" locale: Qt sets the process locale from the environment,
// and the decimal mark must stay "." whatever it is.
double parseCDouble(const std::string& text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
  errno = 0;
  const double value = strtod_l(text.c_str(), nullptr, cLocale);
  if (errno == ERANGE && std::isinf(value)) throw Failure::overflow();
  return value;
}

// The number that leads a text, as far as the lenient reading takes it; its
// value is worked out only when asked for, so that where it ends is known
// even for a number beyond a double.
struct LeadingNumber {
  bool found = false;       // a digit was read: else the text reads as 0
  qsizetype end = 0;        // just past the number's last character
  bool radix = false;       // &H or &O: `radixValue`, else `decimal` for strtod
  double radixValue = 0;    // infinite when the digits overflow
  std::string decimal;

  double value() const {
    if (!found) return 0;
    return radix ? checkedFinite(radixValue) : parseCDouble(decimal);
  }
};

void scanRadix(const QString& text, qsizetype pos, int radix, LeadingNumber& number) {
  number.radix = true;
  for (; pos < text.size(); ++pos) {
    const QChar c = text[pos];
    if (isIgnoredBlank(c)) continue;
    const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                      : radix == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                          ? c.toLower().unicode() - 'a' + 10
                          : -1;
    if (digit < 0 || digit >= radix) break;
    number.radixValue = number.radixValue * radix + digit;
    number.found = true;
    number.end = pos + 1;
  }
}

// The sign, digits and point of a decimal number from `pos`, blanks
// ignored; returns where the scan stopped.
qsizetype scanMantissa(const QString& text, qsizetype pos, LeadingNumber& number) {
  bool point = false;
  bool signAllowed = true;
  for (; pos < text.size(); ++pos) {
    const QChar c = text[pos];
    if (isIgnoredBlank(c)) continue;
    if (signAllowed && (c == u'+' || c == u'-')) {
      if (c == u'-') number.decimal += '-';
      signAllowed = false;
    } else if (isDigit(c)) {
      number.decimal += char(c.unicode());
      number.found = true;
      signAllowed = false;
    } else if (c == u'.' && !point) {
      number.decimal += '.';
      point = true;
      signAllowed = false;
    } else {
      break;
    }
    number.end = pos + 1;
  }
  return pos;
}

// An exponent at `pos` (E or D, a sign, digits, blanks ignored); it counts
// only when at least one digit follows its letter.
void scanExponent(const QString& text, qsizetype pos, LeadingNumber& number) {
  if (pos >= text.size()) return;
  const QChar letter = text[pos].toUpper();
  if (letter != u'E' && letter != u'D') return;
  std::string exponent = "e";
  bool exponentDigits = false;
  bool exponentSignAllowed = true;
  qsizetype exponentEnd = pos + 1;
  for (++pos; pos < text.size(); ++pos) {
    const QChar c = text[pos];
    if (isIgnoredBlank(c)) continue;
    if (exponentSignAllowed && (c == u'+' || c == u'-')) {
      exponent += char(c.unicode());
      exponentSignAllowed = false;
    } else if (isDigit(c)) {
      exponent += char(c.unicode());
      exponentDigits = true;
      exponentSignAllowed = false;
    } else {
      break;
    }
    exponentEnd = pos + 1;
  }
  if (exponentDigits) {
    number.decimal += exponent;
    number.end = exponentEnd;
  }
}

LeadingNumber scanLenient(const QString& text) {
  LeadingNumber number;
  qsizetype pos = 0;
  while (pos < text.size() && isIgnoredBlank(text[pos])) ++pos;
  if (pos < text.size() && text[pos] == u'&') {
    ++pos;
    while (pos < text.size() && isIgnoredBlank(text[pos])) ++pos;
    if (pos < text.size()) {
      const QChar kind = text[pos].toUpper();
      if (kind == u'H') scanRadix(text, pos + 1, 16, number);
      if (kind == u'O') scanRadix(text, pos + 1, 8, number);
    }
    return number;
  }
  pos = scanMantissa(text, pos, number);
  if (number.found) scanExponent(text, pos, number);
  return number;
}

QString fromChars(double value, int significantDigits) {
  if (value == 0) value = 0;  // no "-0"
  // The largest doubles round up past the double range at 15 digits, and such
  // a text would not read back: they are written rounded towards zero.
  constexpr double kLargestAt15 = 1.79769313486231e308;
  if (significantDigits == 15 && std::abs(value) > kLargestAt15)
    value = std::copysign(kLargestAt15, value);
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, significantDigits);
  QString text = QString::fromLatin1(buffer, result.ptr - buffer);
  return text.replace(u'e', u'E');
}

QString toSignPosition(QString plain) {
  if (plain.startsWith(u'-')) {
    if (plain.startsWith(QStringLiteral("-0."))) plain.remove(1, 1);
    return plain;
  }
  if (plain.startsWith(QStringLiteral("0."))) plain.remove(0, 1);
  return u' ' + plain;
}

}  // namespace

double readLenient(const QString& text) { return scanLenient(text).value(); }

std::optional<double> readWholeLenient(const QString& text) {
  const LeadingNumber number = scanLenient(text);
  if (!number.found) return std::nullopt;
  for (qsizetype pos = number.end; pos < text.size(); ++pos)
    if (!isIgnoredBlank(text[pos])) return std::nullopt;
  return number.value();
}

std::optional<double> readStrict(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  // sign, digits with an optional point (a digit on at least one side), optional exponent
  qsizetype pos = 0;
  const auto digitsFrom = [&](qsizetype& p) {
    const qsizetype start = p;
    while (p < trimmed.size() && isDigit(trimmed[p])) ++p;
    return p - start;
  };
  if (trimmed[pos] == u'+' || trimmed[pos] == u'-') ++pos;
  qsizetype digits = digitsFrom(pos);
  if (pos < trimmed.size() && trimmed[pos] == u'.') {
    ++pos;
    digits += digitsFrom(pos);
  }
  if (digits == 0) return std::nullopt;
  if (pos < trimmed.size() && (trimmed[pos] == u'E' || trimmed[pos] == u'e')) {
    ++pos;
    if (pos < trimmed.size() && (trimmed[pos] == u'+' || trimmed[pos] == u'-')) ++pos;
    if (digitsFrom(pos) == 0) return std::nullopt;
  }
  if (pos != trimmed.size()) return std::nullopt;
  try {
    return parseCDouble(trimmed.toStdString());
  } catch (const Failure&) {
    return std::nullopt;
  }
}

QString plainText(double value) { return fromChars(value, 15); }
QString plainText(float value) { return fromChars(double(value), 7); }
QString signPositionText(double value) { return toSignPosition(plainText(value)); }
QString signPositionText(float value) { return toSignPosition(plainText(value)); }

std::int32_t roundHalfEven(double value) {
  const double rounded = std::nearbyint(value);  // the default mode rounds halves to even
  if (!(rounded >= double(std::numeric_limits<std::int32_t>::min()) &&
        rounded <= double(std::numeric_limits<std::int32_t>::max())))
    throw Failure::overflow();
  return std::int32_t(rounded);
}

float toSingle(double value) {
  const float stored = static_cast<float>(value);
  if (!std::isfinite(stored)) throw Failure::overflow();
  return stored;
}

double divide(double a, double b) {
  if (b == 0) throw Failure::divisionByZero();
  return checkedFinite(a / b);
}

double checkedFinite(double value) {
  if (!std::isfinite(value)) throw Failure::overflow();
  return value;
}

double floorInt(double value) { return std::floor(value); }

}  // namespace pelmora
