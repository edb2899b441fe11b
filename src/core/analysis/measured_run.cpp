#include "vantor/analysis/measured_run.h"

namespace vantor {

MeasuredRun MeasureTrial(ParameterSet params, const GateTable& gates, double threshold) {
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
  options.threshold = threshold;
  options.window = DefaultWindow(params);
  run.measures = Measure(recorder.trace, options);
  return run;
}

}  // namespace vantor
