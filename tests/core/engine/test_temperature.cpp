#include <gtest/gtest.h>

#include <cmath>

#include "engine/temperature.h"

namespace vantor {
namespace {

TEST(Temperature, ReferenceTemperatureGivesExactlyOne) {
  const TemperatureFactors f = ComputeTemperatureFactors(23.5f);
  EXPECT_EQ(f.phi, 1.0f);
  EXPECT_EQ(f.phiMT, 1.0f);
  EXPECT_EQ(f.phiHT, 1.0f);
  EXPECT_EQ(GabaBTemperatureFactor(23.5f), 1.0f);
}

TEST(Temperature, TenDegreesMultiplyByTheBase) {
  const TemperatureFactors f = ComputeTemperatureFactors(33.5f);
  EXPECT_FLOAT_EQ(f.phi, 3.0f);
  EXPECT_FLOAT_EQ(f.phiMT, 3.55f);
  EXPECT_FLOAT_EQ(f.phiHT, 2.8f);
  EXPECT_FLOAT_EQ(GabaBTemperatureFactor(33.5f), 2.3f);
  // Ten degrees below divide by it.
  EXPECT_FLOAT_EQ(ComputeTemperatureFactors(13.5f).phi, 1.0f / 3.0f);
}

TEST(Temperature, DefaultTemperature) {
  // 35 °C: 3^1.15.
  EXPECT_NEAR(ComputeTemperatureFactors(35.0f).phi, 3.5374, 1e-4);
}

TEST(Temperature, ExponentIsTakenInDoublePrecision) {
  // An exponent rounded to single precision first moves some factors by an
  // ulp (2.8 at 35 °C, 3 at 6.3 °C, 2.3 at 37 °C among them).
  for (float celsius : {35.0f, 6.3f, 37.0f, -50.0f}) {
    const double tens = (static_cast<double>(celsius) - 23.5) / 10.0;
    const TemperatureFactors f = ComputeTemperatureFactors(celsius);
    EXPECT_EQ(f.phi, static_cast<float>(std::pow(3.0, tens))) << celsius;
    EXPECT_EQ(f.phiMT, static_cast<float>(std::pow(3.55, tens))) << celsius;
    EXPECT_EQ(f.phiHT, static_cast<float>(std::pow(2.8, tens))) << celsius;
    EXPECT_EQ(GabaBTemperatureFactor(celsius), static_cast<float>(std::pow(2.3, tens)))
        << celsius;
  }
}

}  // namespace
}  // namespace vantor
