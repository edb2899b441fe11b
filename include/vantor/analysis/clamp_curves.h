// What a voltage-clamp family gives: the peak and steady-state current of
// each run during its test step, and Boltzmann fits of the activation (an
// I-V curve) and of the steady-state inactivation (a prepulse family).
#pragma once

#include <string>
#include <vector>

namespace vantor {

struct StepCurrents {
  double peak = 0;    // nA, the current of largest size in the step, its sign kept
  double peakTime = 0;  // ms
  double steady = 0;  // nA, the last sample of the step
};

// From a run's samples (time in ms, current in nA) and the step's onset and
// offset: the samples strictly after the onset up to the offset count.
// False when none lies there.
bool MeasureStep(const std::vector<double>& times, const std::vector<double>& currents,
                 double onset, double offset, StepCurrents& out);

struct BoltzmannFit {
  bool ok = false;
  std::string error;  // why not, when !ok
  double vHalf = 0;   // mV
  double slope = 0;   // mV, the slope factor k
  double scale = 0;   // activation: gmax (µS); inactivation: Imax (nA)
  double reversal = 0;  // mV, activation only
  double offset = 0;    // nA, tail activation only: the current with the channel closed
  double residual = 0;  // root mean square of the residuals (nA)
};

// I(V) = gmax (V - E) / (1 + exp((V1/2 - V) / k)), by nonlinear least
// squares (GSL's trust-region Levenberg-Marquardt). Needs four levels.
BoltzmannFit FitActivation(const std::vector<double>& levels, const std::vector<double>& currents);
// I(V) = Imax / (1 + exp((V - V1/2) / k)), the peak test current after each
// prepulse level. Needs three levels.
BoltzmannFit FitInactivation(const std::vector<double>& levels,
                             const std::vector<double>& currents);

// I(V) = C + Imax / (1 + exp((V1/2 - V) / k)), the first current of each
// tail after a step to V: C the tail with the channel closed (the end of the
// smaller currents), k < 0 for a channel that opens on hyperpolarisation.
// Needs four levels.
BoltzmannFit FitTailActivation(const std::vector<double>& levels,
                               const std::vector<double>& currents);

struct ExponentialFit {
  bool ok = false;
  std::string error;
  double amplitude = 0;  // nA at the first sample fitted
  double tau = 0;        // ms
  double offset = 0;     // nA, what it decays to
  double residual = 0;   // root mean square of the residuals (nA)
};

// I(t) = A exp(-(t - t0) / tau) + C over the samples from `from` to `to`
// (t0 the first of them), by GSL's nonlinear least squares: the decay of a
// current after its peak (inactivation), or a tail after a step. Needs four
// samples.
ExponentialFit FitExponential(const std::vector<double>& times, const std::vector<double>& currents,
                              double from, double to);

}  // namespace vantor
