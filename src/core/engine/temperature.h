// Temperature scaling of the kinetics: each factor is base^((T - 23.5) / 10),
// so the gate tables describe the channels at 23.5 °C.
#pragma once

namespace vantor {

constexpr float kReferenceTemperature = 23.5f;

struct TemperatureFactors {
  float phi = 1;    // every gate except mT and hT; the synaptic time scale
  float phiMT = 1;  // mT
  float phiHT = 1;  // hT
};

// base^((celsius - 23.5) / 10), evaluated in double, returned in single precision.
float TemperatureFactor(double base, float celsius);
// The three per-run factors.
TemperatureFactors ComputeTemperatureFactors(float celsius);
// The GABAb factor; evaluated from the current temperature at every use.
float GabaBTemperatureFactor(float celsius);

}  // namespace vantor
