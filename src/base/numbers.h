// Numbers as the window reads and writes them: lenient and strict reading,
// the plain and the sign-position text forms, and the checked arithmetic
// (rounding, 32-bit float storage, division) whose faults end a command.
// The lenient reading (blanks anywhere, E or D exponents, &H and &O) is a
// dialect no parsing library speaks, so it is ours; the digits themselves go
// through strtod_l and std::to_chars.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace pelmora {

// The longest leading part of `text` that forms a number: blanks, tabs and line
// feeds anywhere are ignored; sign, digits, "." (whatever the locale), an
// exponent after E or D, or &H hexadecimal / &O octal. 0 when no number leads.
// Throws Failure::overflow() when the number does not fit a double.
double readLenient(const QString& text);

// The whole text as the lenient reading reads it: nullopt unless a number
// leads it and nothing but those blanks follows ("5OOO", "abc", "1E" and ""
// are not numbers). Throws Failure::overflow() for a number beyond a double,
// once the text is known to be one.
std::optional<double> readWholeLenient(const QString& text);

// The whole text (blanks around it allowed) must be a decimal number with "."
// as the decimal mark; nullopt otherwise.
std::optional<double> readStrict(const QString& text);

// Plain form: up to 15 significant digits (7 for a float), trailing zeros
// dropped, "-" for negatives, "0" before the point below 1, exponent form
// (1E+15, 1E-05) where C's %G would use it.
QString plainText(double value);
QString plainText(float value);

// Sign-position form: the same digits, a blank where a negative value has its
// "-", and no "0" before the decimal point (" .5", "-.25", " 1E+15").
QString signPositionText(double value);
QString signPositionText(float value);

// Rounds halves to even into a signed 32-bit whole number; throws
// Failure::overflow() outside that range (or for NaN).
std::int32_t roundHalfEven(double value);

// Stores a double into a 32-bit float (nearest); throws Failure::overflow()
// when it is beyond the float range or not a number.
float toSingle(double value);

// a / b in double precision; throws divisionByZero() for b == 0 and
// overflow() for a result that is not finite.
double divide(double a, double b);

// Throws Failure::overflow() unless `value` is finite; returns it.
double checkedFinite(double value);

// Int(): the largest whole number not greater than `value` (-12.3 gives -13).
double floorInt(double value);

}  // namespace pelmora
