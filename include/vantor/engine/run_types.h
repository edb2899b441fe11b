// What a run is asked (flags, tuning) and what it answers (outcome, counts):
// shared by the run loop of every method.
#pragma once

#include <string>

namespace vantor {

struct Stimulus;

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

// With a stimulus, what drives each recorded sample, handed over just before
// the sample: in current clamp the injected current (nA) twice, in voltage
// clamp the command (mV) and the clamp current (nA).
class DriveSink {
 public:
  virtual ~DriveSink() = default;
  virtual void Drive(double command, double current) = 0;
};

// What a caller may ask of a run beyond the parameters.
struct RunTuning {
  // Model 4's relative tolerance; 0 takes it from "Max %change in gates".
  double tolerance = 0;
  SpikeSink* spikes = nullptr;
  double spikeThreshold = 0;  // mV
  // Drives the run instead of the parameters' step alone (it must outlive
  // the run); null: the parameters' protocol, as always.
  const Stimulus* stimulus = nullptr;
  DriveSink* drive = nullptr;
  // The pump only reports progress or looks for an interrupt (the command
  // line, Python): no parameter or gate coefficient changes inside it, so
  // Model 4 need not look for changes after each sample.
  bool pumpKeepsParameters = false;
};

// The smallest and largest tolerance Model 4 accepts (both excluded).
constexpr double kSmallestTolerance = 1e-12;
constexpr double kLargestTolerance = 1e-2;
// The range as the front ends' messages give it.
inline constexpr char kToleranceRange[] = "between 1e-12 and 1e-2 (both excluded)";

}  // namespace vantor
