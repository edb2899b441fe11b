// One trial run only for its measures.
#pragma once

#include <string>
#include <vector>

#include "vantor/analysis/measures.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

struct MeasuredRun {
  RunOutcome outcome = RunOutcome::Completed;
  std::string message;  // why a run was refused or failed
  Measures measures;    // valid when completed
  std::vector<Spike> spikeList;  // every spike of the trial, when asked for
};

// Runs a copy of `params`, so that runs on several threads can share one
// base set, and measures it as `settings` ask. A `stimulus` (its family
// left aside) drives the run besides the parameters' step; without a window
// given, the measures then take the whole trial, latencies counted from the
// earliest of its segments and the step. With `flags`, the caller can stop
// the run (flags->stop; the outcome is then Stopped).
MeasuredRun MeasureTrial(ParameterSet params, const GateTable& gates,
                         const MeasureSettings& settings = {}, bool keepSpikes = false,
                         const Stimulus* stimulus = nullptr, RunFlags* flags = nullptr);

}  // namespace vantor
