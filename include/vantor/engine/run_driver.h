// The run loop behind Begin and Overlay: set-up, integration passes, the
// sampling rule, Stop and the window-closing flag.
#pragma once

#include <functional>
#include <string>

#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// Plain flags set by the shell (inside the pump) and read at the end of every pass.
struct RunFlags {
  bool stop = false;
  bool windowClosing = false;
  // Model 4's relative tolerance chosen by the shell (0: none chosen); a
  // RunTuning::tolerance given to RunTrial comes first.
  double tolerance = 0;
};

enum class RunOutcome {
  Completed,     // t reached the trial duration; the caller replays the record
  Stopped,       // the Stop flag ended it; no replay
  WindowClosed,  // the window-closing flag ended it; no replay
  Refused,       // the parameters cannot be run; `message` says why, nothing was sampled
  Failed,        // the integration broke down (a value that is not a finite number, or a
                 // step that can no longer advance the time); `message` says where. The samples
                 // before that point were handed on; no replay
};

struct RunResult {
  RunOutcome outcome = RunOutcome::Completed;
  std::string message;  // for Refused and Failed
  long samples = 0;     // samples handed to the sink
  long passes = 0;      // integration passes, the initialisation pass included
  long rejected = 0;    // rejected steps
};

// Model 4 times every upward crossing of a threshold on its continuous
// output and hands it here (the stepping methods find none).
class SpikeSink {
 public:
  virtual ~SpikeSink() = default;
  virtual void Spike(double t) = 0;  // ms
};

// What a caller may ask of a run beyond the parameters.
struct RunTuning {
  // Model 4's relative tolerance; 0 takes it from "Max %change in gates".
  double tolerance = 0;
  SpikeSink* spikes = nullptr;
  double spikeThreshold = 0;  // mV
};

// The smallest and largest tolerance Model 4 accepts (both excluded).
constexpr double kSmallestTolerance = 1e-12;
constexpr double kLargestTolerance = 1e-2;
// The range as the front ends' messages give it.
inline constexpr char kToleranceRange[] = "between 1e-12 and 1e-2 (both excluded)";

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
