#include <cmath>

#include "vantor/analysis/ramp_chirp.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"

namespace vantor {

Rheobase RheobaseFromSpikes(const Ramp& ramp, const std::vector<Spike>& spikes) {
  Rheobase r;
  r.rate = ramp.Rate();
  const double end = ramp.onset + ramp.duration;
  for (const Spike& s : spikes) {
    if (s.time < ramp.onset || s.time > end) continue;
    r.ok = true;
    r.spikeTime = s.time;
    r.current = ramp.from + r.rate * (s.time - ramp.onset);
    return r;
  }
  r.error = "no spike during the ramp";
  return r;
}

Rheobase RunRampRheobase(const ParameterSet& original, const GateTable& gates, const Ramp& ramp,
                         const SpikeRule& rule, RunFlags& flags, VmTrace* kept) {
  Rheobase r;
  if (!(ramp.duration > 0) || ramp.onset < 0 || !std::isfinite(ramp.from) ||
      !std::isfinite(ramp.to) || !std::isfinite(ramp.onset + ramp.duration)) {
    r.error = "a ramp needs a duration above 0 ms, an onset of 0 ms or more and finite levels";
    return r;
  }
  ParameterSet params = original;
  params.SetValue(param::InjectedCurrent, 0);  // the ramp alone drives the cell
  params.SetValue(param::TrialDuration, static_cast<float>(ramp.onset + ramp.duration));
  Stimulus stimulus;
  Segment s;
  s.kind = SegmentKind::Ramp;
  s.onset = ramp.onset;
  s.offset = ramp.onset + ramp.duration;
  s.from = ramp.from;
  s.level = ramp.to;
  stimulus.segments.push_back(s);
  VmRecorder recorder;
  RunTuning tuning;
  tuning.stimulus = &stimulus;
  const RunResult result = RunTrial(params, gates, recorder, flags, {}, tuning);
  if (result.outcome != RunOutcome::Completed) {
    r.error = "the run did not complete: " + result.message;
    return r;
  }
  r = RheobaseFromSpikes(ramp, FindSpikes(recorder.trace, rule));
  if (kept) *kept = std::move(recorder.trace);
  return r;
}

}  // namespace vantor
