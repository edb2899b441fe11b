#include "vantor/text/number_text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(NumberText, EachFormIsTheTextItNames) {
  // The run messages and the JSON of measure show these exact bytes.
  EXPECT_EQ(FormatGeneral(80.0), "80");
  EXPECT_EQ(FormatGeneral(1e-5), "1e-05");
  EXPECT_EQ(FormatGeneral(12.345678), "12.3457");
  EXPECT_EQ(FormatNine(0.1f), "0.100000001");
  EXPECT_EQ(FormatNine(-1234567890.0), "-1.23456789e+09");
  EXPECT_EQ(FormatShortest(0.1f), "0.1");
  EXPECT_EQ(FormatShortest(1e20f), "1e+20");
  EXPECT_EQ(FormatShortest(-65.0f), "-65");
}

}  // namespace
}  // namespace vantor
