// The run loop behind Begin and Overlay: set-up, integration passes, the
// sampling rule, Stop and the window-closing flag.
#pragma once

#include <functional>
#include <string>

#include "vantor/engine/run_sample.h"
#include "vantor/engine/run_types.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// Runs one trial from the current parameters. The run reads each parameter at
// the moment it is used, so a change made inside `pump` takes effect at the
// next stage that uses it. Every recorded sample goes to `sink`, then `pump`
// is called once (the GUI lets one event through there; it may set flags).
// The ion-concentration floor is written back into `params`, as a run does.
// Settings no run can use are refused before anything changes; a value that
// stops being a finite number ends the run as Failed before it is handed on.
RunResult RunTrial(ParameterSet& params, const GateTable& gates, RunSink& sink,
                   RunFlags& flags, const std::function<void()>& pump = {},
                   const RunTuning& tuning = {});

}  // namespace vantor
