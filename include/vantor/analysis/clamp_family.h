// A voltage-clamp family run through an ideal clamp and measured: each
// level's peak and steady-state current (the clamp current or one
// channel's), the exponential fits of its rise and decay, the tail at a
// return potential after the step, and the Boltzmann fits over the levels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vantor/analysis/clamp_curves.h"
#include "vantor/engine/run_types.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// The sample slot of a channel's current from its name: "INa", "I-Na" or
// "Na" (any case); -1 when no channel has that name.
int ChannelSlot(const std::string& name);
// "I-Na" for slot::INa.
std::string ChannelName(int slot);

struct ClampProtocol {
  double holding = 0;           // mV
  std::vector<double> levels;   // mV, the steps (or the prepulses)
  double onset = 0, offset = 0; // ms, the (test) step
  // Inactivation: each level is a prepulse of this many ms ending at the
  // onset, followed by a step to `test`.
  std::optional<double> prepulse;
  double test = 0;
  // A return potential after the step, held for `tailLength` ms (0: to the
  // end of the trial).
  std::optional<double> tail;
  double tailLength = 0;
  int current = -1;  // a channel's slot; -1 the clamp current
};

struct ClampLevel {
  double level = 0;
  StepCurrents step;
  ExponentialFit rise;   // from the onset to the peak (activation)
  ExponentialFit decay;  // from the peak to the offset (inactivation)
  // With a tail: its currents after the offset (peak and last), its first
  // current (set by the gates the step left), the amplitude of that above
  // the last, and the fit of its relaxation from the first.
  StepCurrents tail;
  double tailStart = 0, tailStartTime = 0;
  double tailAmplitude = 0;
  ExponentialFit tailDecay;
};

struct ClampFamily {
  bool ok = false;
  std::string error;
  std::vector<ClampLevel> levels;
  BoltzmannFit fit;      // of the peaks: activation, or inactivation with prepulses
  BoltzmannFit tailFit;  // of the tails' first currents (FitTailActivation)
};

// The protocol's step (and tail) must lie inside the trial, which is run
// once per level from `params` (its own step not applied); samples every
// 0.01 ms at least. Stops early when `flags.stop` is set (ok false).
ClampFamily RunClampFamily(const ParameterSet& params, const GateTable& gates,
                           const ClampProtocol& protocol, RunFlags& flags);

}  // namespace vantor
