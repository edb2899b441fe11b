#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "vantor/text/number_format.h"

namespace vantor {
namespace {

struct Shown {
  std::string text;
  float value;
};

Shown Eng(const char* unit, float v, int digits = 1) {
  float shown = -12345.0f;
  std::string text = FormatEngineering(unit, v, digits, &shown);
  return {text, shown};
}

TEST(FormatEngineering, OneDigitScaleBarExamples) {
  Shown s = Eng("mV", 20);
  EXPECT_EQ(s.text, "20 mV");
  EXPECT_FLOAT_EQ(s.value, 20);
  s = Eng("mV", -50);
  EXPECT_EQ(s.text, "-50 mV");
  EXPECT_FLOAT_EQ(s.value, 50);  // the magnitude
  s = Eng("ms", 2000);
  EXPECT_EQ(s.text, "2 s");
  EXPECT_FLOAT_EQ(s.value, 2000);
  EXPECT_EQ(Eng("ms", 500).text, "500 ms");
  s = Eng("ms", 250);
  EXPECT_EQ(s.text, "300 ms");
  EXPECT_FLOAT_EQ(s.value, 300);
  s = Eng("nA", 0.5f);
  EXPECT_EQ(s.text, "500 pA");
  EXPECT_FLOAT_EQ(s.value, 0.5f);
  EXPECT_EQ(Eng("\xE6M", 0.2f).text, "200 nM");
  s = Eng("V", 0.02f);
  EXPECT_EQ(s.text, "20 mV");
  EXPECT_FLOAT_EQ(s.value, 0.02f);
  s = Eng("V", 999.9f);
  EXPECT_EQ(s.text, "1 kV");
  EXPECT_FLOAT_EQ(s.value, 1000);
  EXPECT_EQ(Eng("V", 1.0e13f).text, "10 tV");
  EXPECT_EQ(Eng("V", 1.0e15f).text, "1.e15 V");  // beyond tera
  s = Eng("V", 1.0e-16f);
  EXPECT_EQ(s.text, "1.e-16 V");
  EXPECT_FLOAT_EQ(s.value, -12345.0f);  // the exponent form leaves it alone
  s = Eng("%open", 0.5f);
  EXPECT_EQ(s.text, "50%open");
  EXPECT_FLOAT_EQ(s.value, 0.5f);
}

TEST(FormatEngineering, ThreeDigitsAndPlainUnits) {
  Shown s = Eng("V", 1234, 3);
  EXPECT_EQ(s.text, "1.23 kV");
  EXPECT_FLOAT_EQ(s.value, 1230);
  EXPECT_EQ(Eng("Hz", 1234, 3).text, "1.23 kHz");
  // The micro prefix comes out in the display code page.
  EXPECT_EQ(Eng("V", 0.000012345f, 3).text, "12.3 \xB5V");
  s = Eng(" ", 12.34f, 3);
  EXPECT_EQ(s.text, "12.3");
  EXPECT_FLOAT_EQ(s.value, 12.3f);
}

TEST(FormatEngineering, ShortUnitsKeepTheirBlank) {
  EXPECT_EQ(Eng("", 5).text, "5 ");
  EXPECT_EQ(Eng("", 5000).text, "5 k");
  EXPECT_EQ(Eng("%", 0.5f).text, "50 %");
  EXPECT_EQ(Eng("%open", 0.5f).text, "50%open");
}

TEST(FormatEngineering, ZeroAndHostileValues) {
  Shown s = Eng("mV", 0);
  EXPECT_EQ(s.text, "0 mV");
  EXPECT_FLOAT_EQ(s.value, 0);
  EXPECT_EQ(Eng("V", -0.0f).text, "0 V");
  EXPECT_EQ(Eng("\xE6S", 0).text, "0 \xB5S");
  EXPECT_EQ(Eng("", 0).text, "0 ");
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Eng("mV", inf).text, "inf mV");
  EXPECT_EQ(Eng("mV", std::nanf("")).text, "nan mV");
  // Rescaling 3e38 kV to volts overflows single precision: keep the unit.
  EXPECT_EQ(Eng("kV", 3.0e38f).text, "3e38 kV");
  EXPECT_EQ(FormatEngineering("mV", 20, 0, nullptr), "20 mV");
  EXPECT_EQ(FormatEngineering("V", 1234, 1000, nullptr).substr(0, 6), "1.2340");
}

}  // namespace
}  // namespace vantor
