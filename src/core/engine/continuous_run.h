// Model 4: the run loop of the error-controlled fifth-order method. Steps
// land on the step onset and offset, the trial end and every synaptic event
// onset; samples follow the sampling rule on the continuous output, each at
// a later time than the one before (a landing point is recorded once, with
// what the step up to it reached).
#pragma once

#include <string>

#include "engine/cell_state.h"
#include "engine/run_constants.h"
#include "engine/stimulus_drive.h"
#include "vantor/engine/run_sample.h"
#include "vantor/engine/run_types.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// The relative tolerance that "Max %change in gates" stands for: the value
// divided by 5e7, so that the built-in 50 gives 1e-6 and smaller stays more
// accurate. Absolute tolerances are this times 1 mV for V, 1e-3 for a gate,
// 1e-8 mol/L for a calcium shell and 1e-3 for a synaptic accumulator.
double ToleranceFromMaxChange(float maxChangePercent);

// Hands over each recorded sample; false ends the run as Failed with
// `failure` as its message.
class SampleTaker {
 public:
  virtual ~SampleTaker() = default;
  // `state` is `exact` rounded; `sample` holds the currents rounded and
  // `precise` the same unrounded, the time, V and the rest to be filled in.
  virtual bool Take(double t, const CellState& state, const double* exact, RunSample& sample,
                    PreciseSample& precise) = 0;
  // Whether Take can run code that changes a parameter (a message pump);
  // the run reads them again after each sample only then.
  virtual bool MayChangeParameters() const { return true; }
  // With a stimulus, what drives the sample Take is about to be given (see
  // DriveSink).
  virtual void Drive(double /*command*/, double /*current*/) {}
  // Whether Take wants the currents (and Drive what drove the sample): when
  // not, the run does not evaluate the cell at the samples and leaves the
  // current slots 0.
  virtual bool WantsCurrents() const { return true; }
  std::string failure;
};

// Continues a run from the state the initialisation pass left (t = 0) up to
// the trial end. Counts passes (attempted steps) and rejections in `result`.
// An active `drive` adds its edges to the landing points (see CellRates for
// how it drives the cell).
RunResult RunContinuous(const ParameterSet& params, const GateTable& gates,
                        const RunConstants& constants, const CellState& start,
                        const RunTuning& tuning, SampleTaker& taker, RunFlags& flags,
                        RunResult result, const StimulusDrive& drive = {});

}  // namespace vantor
