// Gating kinetics of gate-table rows 1 .. 13: each row's coefficients A .. H
// and the membrane potential give a steady state and a time constant, and a
// gating variable relaxes towards its steady state over a step.
#pragma once

#include "engine/gate_rate.h"
#include "vantor/params/gate_table.h"

namespace vantor {

// Steady state and time constant of gate row 1 .. 13 (gate::mNa .. gate::mAHP).
template <class Real>
BasicGateRate<Real> GateSteadyState(int row, const GateRow& c, const BasicGateContext<Real>& in);

// Exponentials of the continuous method's gate rates taken from mNa's
// e = exp(-(V + B) / C) (its two rates sharing centre and slope). Zero: not
// shared.
struct SharedGateExponentials {
  // exp((B_mK + B_mNa) / C) where mK's alpha has the same slope C: mK's
  // exponential is e times it.
  double mK = 0;
  // exp((B_hNa + B_mNa) / C_hNa) where hNa's alpha has three times mNa's
  // slope: then x = exp(-(V + B) / C_hNa) is taken instead, e is x³ and
  // hNa's exponential x times this.
  double hNa = 0;
};

// dx/dt = drive - decay · x of each of `count` gate rows at one working point,
// in double precision: the continuous method's evaluations make one call for
// every enabled gate instead of one per gate.
void GateDerivatives(const GateTable& gates, const int* rows, int count,
                     const GateContextD& in, const double* x, double* dxdt,
                     const SharedGateExponentials& shared = {});

// The share of the way to the steady state covered in a step of r = Δt / τ:
// r itself while r < 0.1, the exact exponential share 1 - exp(-r) above.
float RelaxationShare(float r);

// x + (x∞ - x) · RelaxationShare(Δt / τ).
inline float AdvanceGate(float x, GateRate rate, float dt) {
  return x + (rate.inf - x) * RelaxationShare(dt / rate.tau);
}

}  // namespace vantor
