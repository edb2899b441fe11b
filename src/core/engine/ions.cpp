#include "engine/ions.h"

#include <cmath>

#include "engine/ghk.h"

namespace vantor {
namespace {

constexpr int kIonParameters[] = {param::MgOut, param::CaOut, param::CaIn, param::KOut, param::KIn,
                                  param::NaOut, param::NaIn,  param::ClOut, param::ClIn};

}  // namespace

float NernstPotential(int z, float outside, float inside, float frt) {
  const float ratio = outside / inside;  // formed in single precision
  return static_cast<float>(1000.0 * std::log(static_cast<double>(ratio)) /
                            (z * static_cast<double>(frt)));
}

void ApplyConcentrationFloor(ParameterSet& params) {
  for (int k : kIonParameters) {
    const float c = params.Value(k);
    if (!(c >= kConcentrationMinimum)) params.SetValue(k, kConcentrationReplacement);
  }
}

ReversalPotentials ComputeReversalPotentials(const ParameterSet& params, float frt) {
  ReversalPotentials e;
  e.eCl = NernstPotential(1, params.Value(param::ClIn), params.Value(param::ClOut), frt);
  e.eNa = NernstPotential(1, params.Value(param::NaOut), params.Value(param::NaIn), frt);
  e.eK = NernstPotential(1, params.Value(param::KOut), params.Value(param::KIn), frt);
  e.eH = 0.445f * e.eNa + 0.555f * e.eK;
  return e;
}

LeakCurrent GhkLeak(const ParameterSet& params, float v, float frt) {
  const float pK = params.Value(param::pKleak);
  const float pNa = params.Value(param::pNaleak);
  const double kIn = params.Value(param::KIn) / 1000.0, kOut = params.Value(param::KOut) / 1000.0;
  const double naIn = params.Value(param::NaIn) / 1000.0,
               naOut = params.Value(param::NaOut) / 1000.0;
  const GhkPoint at = GhkAt(1, v, frt, true);
  const GhkPoint above = GhkAt(1, static_cast<double>(v) + kGhkSlopeStep, frt);  // not guarded
  const double gammaK = GhkFactor(at, kIn, kOut);
  const double gammaNa = GhkFactor(at, naIn, naOut);
  const double slopeK = (GhkFactor(above, kIn, kOut) - gammaK) / kGhkSlopeStep;
  const double slopeNa = (GhkFactor(above, naIn, naOut) - gammaNa) / kGhkSlopeStep;
  LeakCurrent leak;
  leak.current = static_cast<float>(pK * gammaK + pNa * gammaNa);
  leak.conductance = static_cast<float>(pK * slopeK + pNa * slopeNa);
  return leak;
}

LeakCurrent OhmicLeak(const ParameterSet& params, float v, const ReversalPotentials& e) {
  const float pK = params.Value(param::pKleak);
  const float pNa = params.Value(param::pNaleak);
  return {pK * (v - e.eK) + pNa * (v - e.eNa), pK + pNa};
}

}  // namespace vantor
