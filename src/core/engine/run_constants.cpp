#include "engine/run_constants.h"

#include <cmath>

#include "engine/ghk.h"
#include "vantor/text/number_text.h"

namespace vantor {
namespace {

// The parameter's message label without its trailing blanks.
std::string Label(const ParameterSet& params, int k) {
  std::string label = params.MessageLabel(k);
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

std::string Refuse(const ParameterSet& params, int k, const char* requirement) {
  return "The run cannot start: \"" + Label(params, k) + "\" must be " + requirement +
         " (it is " + FormatGeneral(params.Value(k)) + ").";
}

bool Positive(float v) { return std::isfinite(v) && v > 0.0f; }

}  // namespace

RunConstants ComputeRunConstants(const ParameterSet& params) {
  RunConstants c;
  c.frt = ComputeFrt(params.Value(param::Temperature));
  c.e = ComputeReversalPotentials(params, c.frt);
  c.phi = ComputeTemperatureFactors(params.Value(param::Temperature));
  c.ohmicLeak = params.Value(param::Gate1) == params.Value(param::Gate2);
  c.cm = params.Value(param::MembraneArea) / 100.0f / 1000.0f;
  return c;
}

std::string RunRefusal(const ParameterSet& params) {
  if (!Positive(params.Value(param::TrialDuration)))
    return Refuse(params, param::TrialDuration, "a number greater than 0");
  // The method is Model - 1 truncated toward zero: 0, 1, 2 or 3 (Model 4).
  const float model = params.Value(param::Model);
  if (!(model >= 1.0f && model < 5.0f)) return Refuse(params, param::Model, "1, 2, 3 or 4");
  if (!Positive(params.Value(param::MembraneArea)))
    return Refuse(params, param::MembraneArea, "a number greater than 0");
  if (!Positive(params.Value(param::Depth)))
    return Refuse(params, param::Depth, "a number greater than 0");
  // Below a tenth of a per cent a run needs millions of steps per millisecond.
  const float maxChange = params.Value(param::MaxChangeInGates);
  if (!(std::isfinite(maxChange) && maxChange >= kSmallestMaxChange))
    return Refuse(params, param::MaxChangeInGates, "at least 0.1");
  if (!Positive(params.Value(param::MaxDtForPlot)))
    return Refuse(params, param::MaxDtForPlot, "a number greater than 0");
  const float celsius = params.Value(param::Temperature);
  if (!(std::isfinite(celsius) && celsius > -273.0f))
    return Refuse(params, param::Temperature, "above -273");
  if (!std::isfinite(params.Value(param::StartingVm)))
    return Refuse(params, param::StartingVm, "a finite number");
  return {};
}

std::string ConstantsRefusal(const RunConstants& c) {
  struct Named {
    float value;
    const char* name;
    const char* cause;
  };
  const Named values[] = {
      {c.frt, "F/RT", "the temperature"},
      {c.e.eNa, "E_Na", "[Na]o and [Na]i"},
      {c.e.eK, "E_K", "[K]o and [K]i"},
      {c.e.eCl, "E_Cl", "[Cl]o and [Cl]i"},
      {c.e.eH, "E_H", "the Na and K concentrations"},
      {c.phi.phi, "the temperature factor", "the temperature"},
      {c.phi.phiMT, "the temperature factor of mT", "the temperature"},
      {c.phi.phiHT, "the temperature factor of hT", "the temperature"},
  };
  for (const Named& v : values)
    if (!std::isfinite(v.value))
      return std::string("The run cannot start: ") + v.name + " is not a finite number; check " +
             v.cause + ".";
  return {};
}

}  // namespace vantor
