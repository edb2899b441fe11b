// The current-clamp protocol of a trial: how long it lasts, where the
// membrane starts, and the injected current as a function of time (a base
// current plus one step). Everything that needs the injected current — the
// integration, the CSV and Python columns, the drawn step — asks this.
#pragma once

#include <algorithm>
#include <array>
#include <vector>

#include "vantor/params/parameter_set.h"

namespace vantor {

// A stretch of constant injected current, [from, to] in ms, nA.
struct ProtocolPiece {
  double from;
  double to;
  double current;
};

struct Protocol {
  float trialDuration = 0;  // ms
  float baseCurrent = 0;    // nA
  float onset = 0;          // ms
  float offset = 0;         // ms
  float amplitude = 0;      // nA, the step
  float startingVm = 0;     // mV

  // The protocol as the parameters hold it now.
  static Protocol Of(const ParameterSet& params) {
    Protocol p;
    p.trialDuration = params.Value(param::TrialDuration);
    p.baseCurrent = params.Value(param::BaseCurrent);
    p.onset = params.Value(param::StepOnset);
    p.offset = params.Value(param::StepOffset);
    p.amplitude = params.Value(param::InjectedCurrent);
    p.startingVm = params.Value(param::StartingVm);
    return p;
  }

  // The step is on strictly between its onset and its offset. A float time
  // compares the same way promoted.
  bool StepOn(double t) const { return onset < t && t < offset; }

  // The injected current at t summed in single precision, as methods 1 to 3
  // drive the cell and as the I-Inj column records it.
  float InjectedCurrent(double t) const {
    float current = baseCurrent;
    if (StepOn(t)) current += amplitude;
    return current;
  }

  // The same summed in double precision, as Model 4 drives the cell.
  double InjectedCurrentExact(double t) const {
    double current = baseCurrent;
    if (StepOn(t)) current += amplitude;
    return current;
  }

  // Where the current may jump or the trial ends, the trial end first: the
  // landing points of an integration that must not step across them.
  std::array<float, 3> Landings() const { return {trialDuration, onset, offset}; }

  // The first landing point after t (the trial end when none comes before).
  double NextLanding(double t) const {
    double next = trialDuration;
    for (const double tp : Landings())
      if (tp > t && tp < next) next = tp;
    return next;
  }

  // The current over the visible trial [0, trialDuration] as stretches of
  // constant current, in time order: one at the base current when the step
  // is empty or starts at or after the end, else up to three.
  std::vector<ProtocolPiece> Pieces() const {
    const double T = trialDuration, I0 = baseCurrent, dI = amplitude;
    const double t1 = std::max(0.0, static_cast<double>(onset));
    const double t2 = offset;
    if (!(t1 < T) || !(t2 > t1)) return {{0, T, I0}};
    if (t2 >= T) return {{0, t1, I0}, {t1, T, I0 + dI}};
    return {{0, t1, I0}, {t1, t2, I0 + dI}, {t2, T, I0}};
  }
};

}  // namespace vantor
