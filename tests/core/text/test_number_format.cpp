#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "text/digits.h"
#include "vantor/text/number_format.h"

namespace vantor {
namespace {

std::string Dialog(float v) { return FormatNumber(v, 6, 9, AutoTrimmed); }
std::string Lower(float v) { return FormatNumber(v, 5, 7, AutoTrimmed); }

TEST(DecimalDigits, RoundsHalfUpAndCarriesIntoTheExponent) {
  DecimalDigits d = ToDecimalDigits(0.25, 1);
  EXPECT_EQ(d.digits, "3");
  EXPECT_EQ(d.exponent, 0);
  d = ToDecimalDigits(9.99, 2);
  EXPECT_EQ(d.digits, "10");
  EXPECT_EQ(d.exponent, 2);
  d = ToDecimalDigits(-1234.5, 3);
  EXPECT_EQ(d.digits, "123");
  EXPECT_EQ(d.exponent, 4);
  EXPECT_TRUE(d.negative);
  d = ToDecimalDigits(-0.0, 4);
  EXPECT_EQ(d.digits, "0000");
  EXPECT_EQ(d.exponent, 0);
  EXPECT_FALSE(d.negative);
  // 0.1 as a double is 0.10000000000000000555...: the 18th digit 5 rounds
  // the 17th up, and digits beyond 17 are zeros.
  d = ToDecimalDigits(0.1, 20);
  EXPECT_EQ(d.digits, "10000000000000001000");
  EXPECT_EQ(d.exponent, 0);
  // Exactly 1000000000000000.25: halfway at the 18th digit, which must round
  // up (a round-half-even printf would give ...02).
  d = ToDecimalDigits(1000000000000000.25, 17);
  EXPECT_EQ(d.digits, "10000000000000003");
  EXPECT_EQ(d.exponent, 16);
  d = ToDecimalDigits(0.125, 2);  // exactly halfway at the cut: up
  EXPECT_EQ(d.digits, "13");
}

TEST(FormatNumber, DialogFieldExamples) {
  EXPECT_EQ(Dialog(0), "0");
  EXPECT_EQ(Dialog(1), "1");
  EXPECT_EQ(Dialog(0.5f), "0.5");
  EXPECT_EQ(Dialog(0.05f), "0.05");
  EXPECT_EQ(Dialog(0.001f), "1e-3");
  EXPECT_EQ(Dialog(0.000123456f), "1.2346e-4");
  EXPECT_EQ(Dialog(3.14159f), "3.14159");
  EXPECT_EQ(Dialog(-3.14159f), "-3.14159");
  EXPECT_EQ(Dialog(123.456f), "123.456");
  EXPECT_EQ(Dialog(1234.5678f), "1234.57");
  EXPECT_EQ(Dialog(1234567.0f), "1234570");
  EXPECT_EQ(Dialog(12345678.0f), "12345700");
  EXPECT_EQ(Dialog(1.0e9f), "1e9");
  EXPECT_EQ(Dialog(-60.0f), "-60");
}

TEST(FormatNumber, RangeMessageLowerBoundExamples) {
  EXPECT_EQ(Lower(0.05f), "5e-2");
  EXPECT_EQ(Lower(-0.1f), "-1e-1");  // the sign costs the plain form
  EXPECT_EQ(Lower(0.1f), "0.1");
  EXPECT_EQ(Lower(3.14159f), "3.1416");
  EXPECT_EQ(Lower(12345678.0f), "1.235e7");
}

TEST(FormatNumber, PaddedExamples) {
  EXPECT_EQ(FormatPadded(1, 4), "     1.000");
  EXPECT_EQ(FormatPadded(-3.14159f, 4), "    -3.142");
  EXPECT_EQ(FormatPadded(123.456f, 4), "     123.5");
  EXPECT_EQ(FormatPadded(1234567.0f, 4), "   1235000");
  EXPECT_EQ(FormatPadded(1.0e9f, 4), "1000000000");
  EXPECT_EQ(FormatPadded(-1.0e9f, 4), "  -1.000e9");
  EXPECT_EQ(FormatPadded(0.001f, 4), "  0.001000");
  EXPECT_EQ(FormatPadded(0.00001f, 4), "0.00001000");
  EXPECT_EQ(FormatPadded(1.5e-7f, 4), "  1.500e-7");
}

TEST(FormatNumber, ShortAndTrimmed) {
  EXPECT_EQ(FormatShort(0, 4), "0");
  EXPECT_EQ(FormatShort(-0.0f, 4), "0");
  EXPECT_EQ(FormatShort(0.001f, 4), "0.001");
  EXPECT_EQ(FormatShort(123.456f, 4), "123.5");
  EXPECT_EQ(FormatShort(100, 4), "100");
  EXPECT_EQ(FormatShort(1.5e-7f, 4), "1.500e-7");
  EXPECT_EQ(FormatTrimmed(0, 4), "0.0000");
  EXPECT_EQ(FormatTrimmed(-3.14159f, 4), "-3.142");
}

TEST(FormatNumber, CarryAsterisksAndNarrowFields) {
  EXPECT_EQ(FormatNumber(99.99996f, 6, 9, AutoTrimmed), "100");
  EXPECT_EQ(FormatNumber(1.0e9f, 6, 2, AutoTrimmed), "**");
  EXPECT_EQ(FormatNumber(5, 0, 4, AutoTrimmed), "****");
  EXPECT_EQ(FormatNumber(5, -3, 3, AutoDecimals), "***");
  // Width not above L: the field grows to L + 1 and digits are dropped until
  // the text fits.
  EXPECT_EQ(FormatNumber(1.5f, 3, 3, AutoDecimals), "1.5");
  EXPECT_EQ(FormatNumber(-1.5f, 3, 4, AutoDecimals), "-1.5");
  EXPECT_EQ(FormatNumber(12345, 3, 3, AutoDecimals), "1e4");
  // An exponent form with one digit has no point; AutoDecimals keeps zeros.
  EXPECT_EQ(FormatNumber(1.0e20f, 1, 6, AutoDecimals), "  1e20");
  EXPECT_EQ(FormatNumber(1.0e20f, 3, 7, AutoDecimals), "1.00e20");
}

TEST(FormatNumber, HostileInputStaysBounded) {
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Dialog(inf), "inf");
  EXPECT_EQ(Dialog(-inf), "-inf");
  EXPECT_EQ(Dialog(std::nanf("")), "nan");
  EXPECT_EQ(FormatPadded(inf, 4), "       inf");
  EXPECT_EQ(FormatNumber(-inf, 6, 3, AutoTrimmed), "***");
  EXPECT_EQ(FormatNumber(1.0f, 1000000, 1000000, AutoDecimals).size(), 99u);
  EXPECT_EQ(FormatPadded(1.0f, std::numeric_limits<int>::max()).size(), 99u);
  EXPECT_EQ(FormatNumber(1.0f, 4, -5, AutoDecimals), "");
  EXPECT_EQ(Dialog(std::numeric_limits<float>::max()), "3.4028e38");
  EXPECT_EQ(Dialog(std::numeric_limits<float>::denorm_min()), "1.401e-45");
}

}  // namespace
}  // namespace vantor
