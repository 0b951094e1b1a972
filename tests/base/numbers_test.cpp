#include "base/failure.h"
#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>

namespace pelmora {
namespace {

TEST(LenientReading, TakesTheLongestLeadingNumber) {
  EXPECT_EQ(readLenient("12abc"), 12);
  EXPECT_EQ(readLenient("1 000"), 1000);
  EXPECT_EQ(readLenient("  \t-2.5"), -2.5);
  EXPECT_EQ(readLenient("+7"), 7);
  EXPECT_EQ(readLenient(".5"), 0.5);
  EXPECT_EQ(readLenient("1.2.3"), 1.2);
  EXPECT_EQ(readLenient("1,5"), 1);
  EXPECT_EQ(readLenient("1\n2"), 12);
  EXPECT_EQ(readLenient("- 3"), -3);
}

TEST(LenientReading, NoLeadingNumberReadsAsZero) {
  EXPECT_EQ(readLenient(""), 0);
  EXPECT_EQ(readLenient("abc"), 0);
  EXPECT_EQ(readLenient("-"), 0);
  EXPECT_EQ(readLenient("."), 0);
  EXPECT_EQ(readLenient("$5"), 0);
  EXPECT_EQ(readLenient(QStringLiteral("５０")), 0);  // full-width digits are no number
}

TEST(LenientReading, ExponentsAfterEOrD) {
  EXPECT_EQ(readLenient("1e3"), 1000);
  EXPECT_EQ(readLenient("1D3"), 1000);
  EXPECT_EQ(readLenient("2.5E-1"), 0.25);
  EXPECT_EQ(readLenient("1e"), 1);
  EXPECT_EQ(readLenient("1e+"), 1);
  EXPECT_EQ(readLenient("1 e 2"), 100);
  EXPECT_EQ(readLenient("1e-400"), 0);
}

TEST(LenientReading, HexadecimalAndOctal) {
  EXPECT_EQ(readLenient("&H1F"), 31);
  EXPECT_EQ(readLenient("&hff"), 255);
  EXPECT_EQ(readLenient("&O17"), 15);
  EXPECT_EQ(readLenient("&O19"), 1);
  EXPECT_EQ(readLenient("&H"), 0);
  EXPECT_EQ(readLenient("&X1"), 0);
}

TEST(LenientReading, PointIsTheDecimalMarkWhateverTheLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    EXPECT_EQ(readLenient("2.5"), 2.5);
    EXPECT_EQ(plainText(2.5), "2.5");
  }
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(readLenient("2.5"), 2.5);
}

TEST(LenientReading, BeyondADoubleIsAnOverflow) {
  EXPECT_THROW(readLenient("1e400"), Failure);
  EXPECT_THROW(readLenient("-9e999"), Failure);
}

// The lenient syntax, but nothing may follow the number other than blanks.
TEST(WholeLenientReading, RefusesWhatTheLenientReadingStopsShortOf) {
  for (const auto& [text, value] : {std::pair{" 1 000\t", 1000.0}, {"-2.5", -2.5}, {"+7\n", 7.0},
                                    {"1 e 2", 100.0}, {"1D3", 1000.0}, {"&H1F ", 31.0}, {"&o17", 15.0}})
    EXPECT_EQ(readWholeLenient(text), value) << text;
  for (const char* text : {"", " ", "-", ".", "5OOO", "12abc", "1,5", "1.2.3", "1e", "1e+", "&H", "&O19", "&X1"})
    EXPECT_FALSE(readWholeLenient(text)) << text;
  EXPECT_THROW(readWholeLenient("1e400"), Failure);
  EXPECT_FALSE(readWholeLenient("1e400x"));  // the syntax decides before the range
}

TEST(StrictReading, WholeTextMustBeANumber) {
  EXPECT_EQ(readStrict(" -1234.5 "), -1234.5);
  EXPECT_EQ(readStrict(" .5"), 0.5);
  EXPECT_EQ(readStrict("-.200000000000003"), -0.200000000000003);
  EXPECT_EQ(readStrict(" 1E+15"), 1e15);
  EXPECT_EQ(readStrict("3000.7"), 3000.7);
  EXPECT_FALSE(readStrict("x"));
  EXPECT_FALSE(readStrict(""));
  EXPECT_FALSE(readStrict("12abc"));
  EXPECT_FALSE(readStrict("1,5"));
  EXPECT_FALSE(readStrict("."));
  EXPECT_FALSE(readStrict("1e"));
  EXPECT_FALSE(readStrict("inf"));
  EXPECT_FALSE(readStrict("1e999"));
}

TEST(PlainText, FifteenSignificantDigitsForADouble) {
  EXPECT_EQ(plainText(1.0), "1");
  EXPECT_EQ(plainText(0.67), "0.67");
  EXPECT_EQ(plainText(-0.5), "-0.5");
  EXPECT_EQ(plainText(1.33), "1.33");
  EXPECT_EQ(plainText(-1235.0), "-1235");
  EXPECT_EQ(plainText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(plainText(-0.0), "0");
  EXPECT_EQ(plainText(123456789012345.0), "123456789012345");
}

TEST(PlainText, SevenSignificantDigitsForAFloat) {
  EXPECT_EQ(plainText(450.0f), "450");
  EXPECT_EQ(plainText(1.0f / 3), "0.3333333");
  EXPECT_EQ(plainText(1234567.0f), "1234567");
}

TEST(PlainText, ExponentFormAtTheBoundariesOfPercentG) {
  EXPECT_EQ(plainText(999999999999999.0), "999999999999999");
  EXPECT_EQ(plainText(1e15), "1E+15");
  EXPECT_EQ(plainText(1.5e20), "1.5E+20");
  EXPECT_EQ(plainText(0.0001), "0.0001");
  EXPECT_EQ(plainText(0.00001), "1E-05");
  EXPECT_EQ(plainText(-2.5e-7), "-2.5E-07");
  EXPECT_EQ(plainText(1e100), "1E+100");
  EXPECT_EQ(plainText(9999999.0f), "9999999");
  EXPECT_EQ(plainText(1e7f), "1E+07");
  EXPECT_EQ(plainText(1e-5f), "1E-05");
}

// Found by fuzzing: the largest doubles rounded up to 15 digits lie beyond a
// double, so the index and the fields wrote texts that did not read back.
TEST(PlainText, TheLargestDoublesReadBack) {
  for (double value : {DBL_MAX, -DBL_MAX, 1.797693134862315e308, 1.79769313486231e308}) {
    EXPECT_EQ(readStrict(signPositionText(value)), std::copysign(1.79769313486231e308, value));
    EXPECT_EQ(readLenient(plainText(value)), std::copysign(1.79769313486231e308, value));
  }
  EXPECT_EQ(plainText(1.7976931348623e308), "1.7976931348623E+308");
}

TEST(SignPositionText, BlankWhereTheMinusWouldStand) {
  EXPECT_EQ(signPositionText(0.0), " 0");
  EXPECT_EQ(signPositionText(2.5), " 2.5");
  EXPECT_EQ(signPositionText(1000.0), " 1000");
  EXPECT_EQ(signPositionText(-520.0), "-520");
  EXPECT_EQ(signPositionText(0.5), " .5");
  EXPECT_EQ(signPositionText(-0.25), "-.25");
  EXPECT_EQ(signPositionText(1.0 / 3), " .333333333333333");
  EXPECT_EQ(signPositionText(100.0 - 100.2), "-.200000000000003");
  EXPECT_EQ(signPositionText(1e15), " 1E+15");
  EXPECT_EQ(signPositionText(-1e-5), "-1E-05");
  EXPECT_EQ(signPositionText(60.5), " 60.5");
  EXPECT_EQ(signPositionText(0.5f), " .5");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(12.5), 12);
  EXPECT_EQ(roundHalfEven(50.5), 50);
  EXPECT_EQ(roundHalfEven(51.5), 52);
  EXPECT_EQ(roundHalfEven(2147483647.4), 2147483647);
  EXPECT_EQ(roundHalfEven(-2147483648.5), -2147483648);
  EXPECT_THROW(roundHalfEven(2147483647.5), Failure);
  EXPECT_THROW(roundHalfEven(-2147483649.0), Failure);
  EXPECT_THROW(roundHalfEven(std::nan("")), Failure);
}

TEST(CheckedArithmetic, FloatStorageDivisionAndFloor) {
  EXPECT_EQ(toSingle(0.1), 0.1f);
  EXPECT_THROW(toSingle(1e39), Failure);
  EXPECT_EQ(divide(1, 4), 0.25);
  EXPECT_THROW(divide(1, 0), Failure);
  EXPECT_THROW(divide(1e308, 1e-308), Failure);
  EXPECT_EQ(floorInt(-12.3), -13);
  EXPECT_EQ(floorInt(12.9), 12);
}

TEST(FailureText, NamesTheCauseAndTheFile) {
  const Failure failure(QStringLiteral("読めません。"), QStringLiteral("/tmp/a.bmp"));
  EXPECT_EQ(failure.message(), messages::withFile(QStringLiteral("読めません。"), QStringLiteral("/tmp/a.bmp")));
  EXPECT_EQ(Failure::divisionByZero().message(), messages::divisionByZero());
}

}  // namespace
}  // namespace pelmora
