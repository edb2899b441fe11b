#include "vantor/engine/ion_potentials.h"

#include <cmath>

#include "engine/calcium.h"
#include "engine/ions.h"
#include "engine/run_constants.h"

namespace vantor {

IonPotentials ComputeIonPotentials(const ParameterSet& given) {
  ParameterSet params = given;
  ApplyConcentrationFloor(params);
  const RunConstants c = ComputeRunConstants(params);
  IonPotentials p;
  p.frt = c.frt;
  p.eNa = c.e.eNa;
  p.eK = c.e.eK;
  p.eCl = c.e.eCl;
  p.eH = c.e.eH;
  const float caOut = params.Value(param::CaOut);       // mM
  const float caIn = params.Value(param::CaIn) * 1e-9f;  // nM -> mol/L
  p.eCa = NernstPotential(2, caOut / 1000.0f, caIn, c.frt);
  p.eCaRun = CalciumReversal(caOut, caIn);
  p.ohmicLeak = c.ohmicLeak;
  const double pK = params.Value(param::pKleak), pNa = params.Value(param::pNaleak);
  if (c.ohmicLeak) {
    p.leakRest = static_cast<float>((pK * c.e.eK + pNa * c.e.eNa) / (pK + pNa));
  } else {
    // Γ_K pK + Γ_Na pNa = 0 where e^u = (pK Ko + pNa Nao) / (pK Ki + pNa Nai).
    const double outside = pK * params.Value(param::KOut) + pNa * params.Value(param::NaOut);
    const double inside = pK * params.Value(param::KIn) + pNa * params.Value(param::NaIn);
    p.leakRest = static_cast<float>(1000.0 * std::log(outside / inside) / c.frt);
  }
  return p;
}

}  // namespace vantor
