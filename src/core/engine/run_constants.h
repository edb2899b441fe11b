// What a run computes once at its start, and the settings without which a
// run cannot be made at all.
#pragma once

#include <string>

#include "engine/ions.h"
#include "engine/temperature.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct RunConstants {
  float cm = 0;     // membrane capacitance (nF): area (µm²) / 100 / 1000
  float frt = 0;    // F / (R T) in 1/V
  ReversalPotentials e;
  TemperatureFactors phi;
  bool ohmicLeak = false;  // Gate #1 == Gate #2 switches the leak to the ohmic form
};

// Reads the constants from the parameters (after the concentration floor).
RunConstants ComputeRunConstants(const ParameterSet& params);

// The smallest "Max %change in gates" a run accepts.
constexpr float kSmallestMaxChange = 0.1f;

// Empty when the parameters can be run; otherwise the message that says why
// not. Checks the settings the integration divides by or loops on: trial
// duration, Model, Membrane area, depth, Max %change in gates, Maximum dt for
// plot, temperature and Starting Vm.
std::string RunRefusal(const ParameterSet& params);

// Empty when every constant is a finite number; otherwise the message (a
// concentration of infinity makes a reversal potential infinite, say).
std::string ConstantsRefusal(const RunConstants& constants);

}  // namespace vantor
