#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "params/text_scanner.h"

namespace vantor {
namespace {

float ReadOne(const std::string& text, bool* ok) {
  TextScanner scanner;
  scanner.OpenText(text);
  float value = -12345.0f;
  *ok = scanner.ReadFloat(value);
  return value;
}

TEST(TextScanner, ReadsDecimalNumbersAsAFormattedScanDoes) {
  struct Case {
    const char* text;
    float expected;
  } cases[] = {
      {"1e-3", 0.001f},    {"  -2.5E+2", -250.0f}, {".5", 0.5f},
      {"5.", 5.0f},        {"+7", 7.0f},           {"\n\t0.06", 0.06f},
      {"3.1", 3.1f},       {"29000", 29000.0f},    {"1e10", 1e10f},
      {"-0", -0.0f},       {"000120.50", 120.5f},  {"0.000123456", 0.000123456f},
      {"3.4e38", 3.4e38f},
  };
  for (const Case& c : cases) {
    bool ok = false;
    const float value = ReadOne(c.text, &ok);
    EXPECT_TRUE(ok) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
  bool ok = false;
  EXPECT_TRUE(std::signbit(ReadOne("-0.0", &ok)));
}

TEST(TextScanner, RefusesWhatIsNoFiniteDecimalNumber) {
  for (const char* text : {"nan", "NaN", "inf", "-inf", "1e999", "-1e999", "3.5e38", "", "   ", "-",
                           "+", ".", "-.e5", "e5", "x1", "0x10"}) {
    bool ok = true;
    ReadOne(text, &ok);
    // "0x10" reads as 0 followed by the token "x10", like a formatted scan.
    if (std::string(text) == "0x10") {
      EXPECT_TRUE(ok);
      continue;
    }
    EXPECT_FALSE(ok) << '"' << text << '"';
  }
}

TEST(TextScanner, TinyNumbersBecomeZeroAndHugeDigitRunsStayBounded) {
  bool ok = false;
  EXPECT_EQ(ReadOne("1e-999", &ok), 0.0f);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadOne("0." + std::string(100000, '0') + "1", &ok), 0.0f);
  EXPECT_TRUE(ok);
  ReadOne(std::string(100000, '1'), &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadOne("1e99999999999999999999999999-5", &ok), -12345.0f);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadOne(std::string(5000, '0') + "42", &ok), 42.0f);
  EXPECT_TRUE(ok);
}

TEST(TextScanner, RoundsLongDigitStringsCorrectly) {
  // 1 + 2^-24 lies exactly half-way between 1 and the next float; the tie
  // goes to the even neighbour 1, while any later nonzero digit, however
  // far out, tips it up.
  const std::string halfway = "1.000000059604644775390625";
  bool ok = false;
  EXPECT_EQ(ReadOne(halfway, &ok), 1.0f);
  EXPECT_EQ(ReadOne(halfway + std::string(2000, '0') + "1", &ok), std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(ReadOne(halfway + std::string(2000, '0'), &ok), 1.0f);
}

TEST(TextScanner, AnExponentWithoutDigitsIsLeftForTheNextToken) {
  TextScanner scanner;
  scanner.OpenText("1e mV 2E+ 3e-x");
  float value = 0;
  std::string token;
  ASSERT_TRUE(scanner.ReadFloat(value));
  EXPECT_EQ(value, 1.0f);
  ASSERT_TRUE(scanner.ReadToken(token, 10));
  EXPECT_EQ(token, "e");
  ASSERT_TRUE(scanner.ReadToken(token, 10));
  EXPECT_EQ(token, "mV");
  ASSERT_TRUE(scanner.ReadFloat(value));
  EXPECT_EQ(value, 2.0f);
  ASSERT_TRUE(scanner.ReadToken(token, 10));
  EXPECT_EQ(token, "E+");
  ASSERT_TRUE(scanner.ReadFloat(value));
  EXPECT_EQ(value, 3.0f);
  ASSERT_TRUE(scanner.ReadToken(token, 10));
  EXPECT_EQ(token, "e-x");
  EXPECT_TRUE(scanner.OnlySpaceLeft());
}

TEST(TextScanner, ReadsThirtyTwoBitIntegers) {
  TextScanner scanner;
  scanner.OpenText("2147483647 -2147483648 +5 1.5");
  int32_t value = 0;
  ASSERT_TRUE(scanner.ReadInt32(value));
  EXPECT_EQ(value, 2147483647);
  ASSERT_TRUE(scanner.ReadInt32(value));
  EXPECT_EQ(value, -2147483647 - 1);
  ASSERT_TRUE(scanner.ReadInt32(value));
  EXPECT_EQ(value, 5);
  ASSERT_TRUE(scanner.ReadInt32(value));
  EXPECT_EQ(value, 1);
  EXPECT_FALSE(scanner.ReadInt32(value));  // ".5"

  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999", "-", "x", ""}) {
    TextScanner other;
    other.OpenText(text);
    EXPECT_FALSE(other.ReadInt32(value)) << text;
  }
}

TEST(TextScanner, LinesKeepWhatIsAskedAndConsumeTheRest) {
  TextScanner scanner;
  scanner.OpenText("first line\r\n" + std::string(100000, 'y') + "\n" + std::string("ab\0cd\n", 6) +
                   "last");
  std::string line;
  ASSERT_TRUE(scanner.ReadLine(line, 79));
  EXPECT_EQ(line, "first line");
  ASSERT_TRUE(scanner.ReadLine(line, 5));
  EXPECT_EQ(line, "yyyyy");
  ASSERT_TRUE(scanner.ReadLine(line, 79));
  EXPECT_EQ(line, "ab");
  ASSERT_TRUE(scanner.ReadLine(line, 79));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(scanner.ReadLine(line, 79));

  TextScanner empty;
  empty.OpenText("\n");
  ASSERT_TRUE(empty.ReadLine(line, 79));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(empty.ReadLine(line, 79));

  // A kept "\r" inside the limit is text unless it ends the line.
  TextScanner carriage;
  carriage.OpenText("a\rb\r\n");
  ASSERT_TRUE(carriage.ReadLine(line, 79));
  EXPECT_EQ(line, "a\rb");
}

}  // namespace
}  // namespace vantor
