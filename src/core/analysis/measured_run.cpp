#include "vantor/analysis/measured_run.h"

namespace vantor {

MeasuredRun MeasureTrial(ParameterSet params, const GateTable& gates,
                         const MeasureSettings& settings, bool keepSpikes) {
  MeasuredRun run;
  VmRecorder recorder;
  RunFlags flags;
  const RunResult result = RunTrial(params, gates, recorder, flags);
  run.outcome = result.outcome;
  if (result.outcome != RunOutcome::Completed) {
    run.message = result.message.empty() ? "The run did not complete." : result.message;
    return run;
  }
  MeasureOptions options;
  options.rule = settings.rule;
  options.window = WindowFor(params, settings);
  std::vector<Spike> spikes = FindSpikes(recorder.trace, options.rule);
  run.measures = Measure(recorder.trace, spikes, options);
  if (keepSpikes) run.spikeList = std::move(spikes);
  return run;
}

}  // namespace vantor
