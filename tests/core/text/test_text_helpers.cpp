#include <gtest/gtest.h>

#include <string>

#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

std::string Stripped(std::string s) {
  StripTrailingZeros(s);
  return s;
}

std::string Trimmed(std::string s) {
  TrimBlanks(s);
  return s;
}

TEST(TextHelpers, StripTrailingZerosOnlyOnPlainDecimals) {
  EXPECT_EQ(Stripped("2.500"), "2.5");
  EXPECT_EQ(Stripped("3.000"), "3");
  EXPECT_EQ(Stripped("100"), "100");
  EXPECT_EQ(Stripped("1.0e-3"), "1.0e-3");
  EXPECT_EQ(Stripped("0.0"), "0");
}

TEST(TextHelpers, TrimBlanks) {
  EXPECT_EQ(Trimmed("  1.5  "), "1.5");
  EXPECT_EQ(Trimmed("    "), "");
  EXPECT_EQ(Trimmed(""), "");
  EXPECT_EQ(Trimmed("a b"), "a b");
}

TEST(TextHelpers, InsertAndDelete) {
  std::string s = "abc";
  InsertChar(s, 1, 'X');
  EXPECT_EQ(s, "aXbc");
  DeleteChar(s, 0);
  EXPECT_EQ(s, "Xbc");
  DeleteChar(s, 10);  // beyond the end: nothing
  EXPECT_EQ(s, "Xbc");

  std::string msg = "Could not find initialization file: ";
  EXPECT_TRUE(InsertText(msg, msg.size(), "VANTOR.mnx"));
  EXPECT_EQ(msg, "Could not find initialization file: VANTOR.mnx");
  std::string t = "ab";
  EXPECT_FALSE(InsertText(t, 3, "zz"));  // refused, t untouched
  EXPECT_EQ(t, "ab");
  EXPECT_TRUE(InsertText(t, 0, "zz"));
  EXPECT_EQ(t, "zzab");

  std::string label = "V: V-m";
  DeleteChars(label, 0, 3);
  EXPECT_EQ(label, "V-m");
  DeleteChars(label, 1, 100);  // fewer follow: cut at pos
  EXPECT_EQ(label, "V");
  DeleteChars(label, 5, 1);
  EXPECT_EQ(label, "V");
}

TEST(TextHelpers, CodePage437RoundTrip) {
  EXPECT_EQ(Cp437ToUtf8("\xE6S"), "\xC2\xB5S");   // OEM micro
  EXPECT_EQ(Cp437ToUtf8("12 \xB5V"), "12 \xC2\xB5V");  // the formatter's micro
  EXPECT_EQ(Cp437ToUtf8("37\xF8" "C"), "37\xC2\xB0" "C");
  EXPECT_EQ(Cp437ToUtf8("Stra\xE1" "e"), "Stra\xC3\x9F" "e");
  EXPECT_EQ(Cp437ToUtf8("\xC4"), "\xE2\x94\x80");  // box drawing
  EXPECT_EQ(Utf8ToCp437("\xC2\xB5S"), "\xE6S");
  EXPECT_EQ(Utf8ToCp437("\xCE\xBCM"), "\xE6M");  // Greek mu typed for micro
  EXPECT_EQ(Utf8ToCp437("37\xC2\xB0" "C Stra\xC3\x9F" "e"), "37\xF8" "C Stra\xE1" "e");
  EXPECT_EQ(Utf8ToCp437("\xE2\x82\xAC"), "?");  // the euro sign has no byte
  // Malformed and truncated sequences and overlong ASCII become "?".
  EXPECT_EQ(Utf8ToCp437("a\xFF" "b\xC3"), "a?b?");
  EXPECT_EQ(Utf8ToCp437("\xC0\xAF"), "?");
  for (int b = 0x80; b < 0x100; ++b) {
    if (b == 0xB5) continue;  // read as the formatter's micro
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp437(Cp437ToUtf8(one)), one) << b;
  }
}

}  // namespace
}  // namespace vantor
