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

// dx/dt = drive - decay · x of each of `count` gate rows at one working point,
// in double precision: the continuous method's evaluations make one call for
// every enabled gate instead of one per gate. A nonzero `mKFromMNa` is
// exp((B_mK + B_mNa) / C) of rows whose alpha share the slope C (and mNa's
// rates their centre and slope): mK's exponential is then mNa's times it.
void GateDerivatives(const GateTable& gates, const int* rows, int count,
                     const GateContextD& in, const double* x, double* dxdt,
                     double mKFromMNa = 0.0);

// The share of the way to the steady state covered in a step of r = Δt / τ:
// r itself while r < 0.1, the exact exponential share 1 - exp(-r) above.
float RelaxationShare(float r);

// x + (x∞ - x) · RelaxationShare(Δt / τ).
inline float AdvanceGate(float x, GateRate rate, float dt) {
  return x + (rate.inf - x) * RelaxationShare(dt / rate.tau);
}

}  // namespace vantor
