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

// The share of the way to the steady state covered in a step of r = Δt / τ:
// r itself while r < 0.1, the exact exponential share 1 - exp(-r) above.
float RelaxationShare(float r);

// x + (x∞ - x) · RelaxationShare(Δt / τ).
inline float AdvanceGate(float x, GateRate rate, float dt) {
  return x + (rate.inf - x) * RelaxationShare(dt / rate.tau);
}

}  // namespace vantor
