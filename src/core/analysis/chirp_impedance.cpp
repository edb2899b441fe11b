#include <algorithm>
#include <cmath>

#include "vantor/analysis/ramp_chirp.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"

namespace vantor {
namespace {

// Time, V and the injected current of every sample.
struct ChirpTrace : RunSink, DriveSink {
  void Drive(double, double current) override { pending = current; }
  void Sample(const RunSample& s) override { Keep(s[slot::Time], s[slot::V]); }
  void Precise(const RunSample&, const PreciseSample& p) override { Keep(p[slot::Time], p[slot::V]); }
  void Keep(double t, double mv) {
    vm.t.push_back(t);
    vm.v.push_back(mv);
    i.push_back(pending);
  }
  double pending = 0;
  VmTrace vm;
  std::vector<double> i;
};

// V less the run without the chirp, interpolated linearly at each sample's
// time (both traces rise in time).
std::vector<double> LessControl(const VmTrace& run, const VmTrace& control) {
  std::vector<double> out(run.v.size());
  std::size_t j = 0;
  for (std::size_t k = 0; k < run.v.size(); ++k) {
    const double t = run.t[k];
    while (j + 2 < control.t.size() && control.t[j + 1] <= t) ++j;
    double base = control.v.empty() ? 0 : control.v[j];
    if (j + 1 < control.t.size() && control.t[j + 1] > control.t[j]) {
      const double f = std::clamp((t - control.t[j]) / (control.t[j + 1] - control.t[j]), 0.0, 1.0);
      base += f * (control.v[j + 1] - control.v[j]);
    }
    out[k] = run.v[k] - base;
  }
  return out;
}

}  // namespace

ImpedanceProfile RunChirpImpedance(const ParameterSet& original, const GateTable& gates,
                                   const Chirp& chirp, RunFlags& flags, VmTrace* kept) {
  ImpedanceProfile z;
  if (!(chirp.duration > 0) || chirp.onset < 0 || !(chirp.f0 > 0) || !(chirp.f1 > 0) ||
      chirp.f0 == chirp.f1 || !(chirp.amplitude != 0) || !std::isfinite(chirp.amplitude) ||
      !std::isfinite(chirp.onset + chirp.duration + chirp.f0 + chirp.f1)) {
    z.error = "a chirp needs two different frequencies above 0 Hz, a duration above 0 ms, an "
              "onset of 0 ms or more and an amplitude";
    return z;
  }
  ParameterSet params = original;
  params.SetValue(param::InjectedCurrent, 0);  // the chirp alone drives the cell
  params.SetValue(param::TrialDuration, static_cast<float>(chirp.onset + chirp.duration));
  // Twenty samples in the fastest period at least.
  const float sampling = static_cast<float>(50.0 / std::max(chirp.f0, chirp.f1));
  if (params.Value(param::MaxDtForPlot) > sampling) params.SetValue(param::MaxDtForPlot, sampling);
  Stimulus stimulus;
  Segment s;
  s.kind = SegmentKind::Chirp;
  s.onset = chirp.onset;
  s.offset = chirp.onset + chirp.duration;
  s.amplitude = chirp.amplitude;
  s.f0 = chirp.f0;
  s.f1 = chirp.f1;
  s.logSweep = chirp.logSweep;
  stimulus.segments.push_back(s);
  // The same trial without the chirp: the cell's own relaxation from its
  // starting state (a changed conductance moves the rest) is not the
  // chirp's response, and is taken away from V before the transform.
  ChirpTrace control;
  {
    ParameterSet still = params;
    RunTuning tuning;
    tuning.drive = &control;
    const RunResult result = RunTrial(still, gates, control, flags, {}, tuning);
    if (result.outcome != RunOutcome::Completed) {
      z.error = "the run did not complete: " + result.message;
      return z;
    }
  }
  ChirpTrace trace;
  RunTuning tuning;
  tuning.stimulus = &stimulus;
  tuning.drive = &trace;
  const RunResult result = RunTrial(params, gates, trace, flags, {}, tuning);
  if (result.outcome != RunOutcome::Completed) {
    z.error = "the run did not complete: " + result.message;
    return z;
  }
  z = ImpedanceFrom(trace.vm.t, LessControl(trace.vm, control.vm), trace.i, s.onset, s.offset,
                    chirp.f0, chirp.f1);
  z.spikes = static_cast<int>(FindSpikes(trace.vm, SpikeRule{}).size());
  if (kept) *kept = std::move(trace.vm);
  return z;
}

}  // namespace vantor
