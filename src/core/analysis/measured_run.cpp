#include "vantor/analysis/measured_run.h"

#include <algorithm>
#include <optional>

namespace vantor {
namespace {

MeasureWindow StimulusWindow(const ParameterSet& params, const Stimulus& stimulus) {
  MeasureWindow w;
  w.to = params.Value(param::TrialDuration);
  std::optional<double> onset;
  for (const Segment& s : stimulus.segments) onset = std::min(onset.value_or(s.onset), s.onset);
  const MeasureWindow step = DefaultWindow(params);
  if (stimulus.mode == ClampMode::Current && params.Value(param::InjectedCurrent) != 0)
    onset = std::min(onset.value_or(step.stimulus), step.stimulus);
  w.stimulus = onset.value_or(step.stimulus);
  return w;
}

}  // namespace

MeasuredRun MeasureTrial(ParameterSet params, const GateTable& gates,
                         const MeasureSettings& settings, bool keepSpikes, const Stimulus* stimulus,
                         RunFlags* stop) {
  MeasuredRun run;
  VmRecorder recorder;
  RunFlags own;
  RunFlags& flags = stop ? *stop : own;
  std::optional<Stimulus> one;
  if (stimulus != nullptr) {
    one = *stimulus;
    one->family.reset();
  }
  RunTuning tuning;
  tuning.stimulus = one ? &*one : nullptr;
  const RunResult result = RunTrial(params, gates, recorder, flags, {}, tuning);
  run.outcome = result.outcome;
  if (result.outcome != RunOutcome::Completed) {
    run.message = result.message.empty() ? "The run did not complete." : result.message;
    return run;
  }
  MeasureOptions options;
  options.rule = settings.rule;
  options.window = one && !settings.windowGiven ? StimulusWindow(params, *one) : WindowFor(params, settings);
  std::vector<Spike> spikes = FindSpikes(recorder.trace, options.rule);
  run.measures = Measure(recorder.trace, spikes, options);
  if (keepSpikes) run.spikeList = std::move(spikes);
  return run;
}

}  // namespace vantor
