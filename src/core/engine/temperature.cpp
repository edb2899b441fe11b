#include "engine/temperature.h"

#include <cmath>

namespace vantor {

float TemperatureFactor(double base, float celsius) {
  // The whole power, exponent included, is taken in double and only the
  // factor is stored in single precision; 23.5 °C still gives an exponent of
  // exactly 0 (23.5 is exact in both) and so a factor of exactly 1.
  const double tens = (static_cast<double>(celsius) - kReferenceTemperature) / 10.0;
  return static_cast<float>(std::pow(base, tens));
}

TemperatureFactors ComputeTemperatureFactors(float celsius) {
  TemperatureFactors f;
  f.phi = TemperatureFactor(3.0, celsius);
  f.phiMT = TemperatureFactor(3.55, celsius);
  f.phiHT = TemperatureFactor(2.8, celsius);
  return f;
}

float GabaBTemperatureFactor(float celsius) { return TemperatureFactor(2.3, celsius); }

}  // namespace vantor
