// What a gate's formula gives (steady state and time constant, or the drive
// and decay of dx/dt) and what it may read: shared by the formulas and the
// kinetics that call them.
#pragma once

#include "engine/temperature.h"

namespace vantor {

// Stands in for a linear term that would be exactly zero (0/0 in a rate).
constexpr float kGuardEpsilon = 1e-10f;

template <class Real>
struct BasicGateRate {
  Real inf = 0;  // steady state x∞
  Real tau = 0;  // time constant (ms), temperature already applied
  // dx/dt = drive - decay · x, i.e. x∞ / τ and 1 / τ: filled in double
  // precision only, where the rows with rate constants need no division for it.
  Real drive = 0, decay = 0;
};

// What a gate's formula may read besides its own coefficients.
template <class Real>
struct BasicGateContext {
  Real v = 0;       // working-point potential (mV), after the 0 / -0.5 mV guard
  // L-shell calcium (mol/L), read by mC and mAHP: the working point's value
  // once the stage has advanced the shells, which happens before those gates.
  Real caL = 0;
  Real hShift = 0;  // "H shift (mV)", read by mH
  TemperatureFactors factors;
};

// The stepping methods keep single precision; the continuous method reads the
// same formulas in double precision.
using GateRate = BasicGateRate<float>;
using GateContext = BasicGateContext<float>;
using GateRateD = BasicGateRate<double>;
using GateContextD = BasicGateContext<double>;

// v + b, or ε when v == -b exactly.
template <class Real>
Real GuardedSum(Real v, Real b) { return v == -b ? Real(kGuardEpsilon) : v + b; }
// b - v, or ε when v == b exactly.
template <class Real>
Real GuardedDifference(Real b, Real v) { return v == b ? Real(kGuardEpsilon) : b - v; }

// x^n with n = exponent truncated toward zero, by repeated multiplication in
// double precision; 1 for n <= 0.
double TruncatedPower(double x, float exponent);

}  // namespace vantor
