#include "engine/temperature.h"

#include <cmath>

namespace vantor {

float TemperatureFactor(double base, float celsius) {
  // The difference is formed in single precision so that 23.5 °C gives an
  // exponent of exactly 0 and a factor of exactly 1.
  const float tens = (celsius - kReferenceTemperature) / 10.0f;
  return static_cast<float>(std::pow(base, static_cast<double>(tens)));
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
