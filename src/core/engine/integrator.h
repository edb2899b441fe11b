// The three integration methods built from stage evaluations, the
// initialisation pass, adaptive step control and landing on protocol times.
#pragma once

#include <array>

#include "engine/cell_state.h"
#include "engine/run_constants.h"
#include "engine/stimulus_drive.h"
#include "vantor/engine/run_sample.h"
#include "engine/synapses.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

constexpr float kInitialisationStep = 1e20f;  // marks the first pass of a run
constexpr float kFirstStep = 0.005f;          // ms, the step after it
constexpr float kSafetyFactor = 0.8f;
constexpr float kErrorRatioFloor = 0.001f;
constexpr float kProtocolStepDivisor = 100.0f;
// Model 4: the run continues with the error-controlled fifth-order method.
constexpr int kContinuousMethodCode = 3;

struct PassResult {
  bool initialisation = false;  // this was the initialisation pass
  bool accepted = false;        // the step was taken (t advanced)
  bool event = false;           // t sits exactly on a protocol time
  int nonFinite = -1;           // index of a candidate state value that is not finite
};

class Integrator {
 public:
  // Zeroes the six copies, puts V into c0 and the working point and the
  // calcium floor into the shells of c0, c1 and the working point; t = 0 and
  // Δt = 1e20 so that the next pass is the initialisation pass.
  void Start(float startingVm);

  // One pass: the stages, then the initialisation or the combination and
  // step control, then landing on the protocol times. Stage slots of
  // `sample` come from the last stage evaluated; slot 1 gets V when a step is
  // accepted. When the candidate holds a value that is not a finite number
  // nothing is accepted and PassResult::nonFinite names it.
  PassResult Pass(const ParameterSet& params, const GateTable& gates,
                  const RunConstants& constants, float iInj, RunSample& sample);

  // Drives the run with a stimulus too (null: the parameters' step alone):
  // its edges become landing points, and in voltage clamp V follows the
  // command (an ideal clamp) or is pulled to it through the series
  // resistance. Call before Start.
  void SetDrive(const StimulusDrive* drive) { drive_ = drive && drive->Active() ? drive : nullptr; }
  // The total ionic and synaptic current of the last stage (nA): what an
  // ideal clamp passes.
  float LastIonic() const { return lastIonic_; }

  float Time() const { return t_; }
  float Step() const { return dt_; }
  const CellState& Accepted() const { return c_[0]; }
  // 0, 1 or 2 after the initialisation pass (Model - 1), 7 during it; 3 for
  // Model 4, which this class does not step (see continuous_run.h).
  int MethodCode() const { return method_; }
  int StageBound() const { return nstage_; }

  // Sets the method directly (tests); Model - 1 truncated, as after the
  // initialisation pass.
  void SetMethodFromModel(float model);

 private:
  void FormWorkingPoint(int stage);
  void Combine();
  float Error() const;
  bool StepControl(const ParameterSet& params, RunSample& sample);
  bool LandOn(float tp);
  bool Land(const ParameterSet& params);

  std::array<CellState, 6> c_{};  // c0 start, c1 .. c4 stage results, c5 working point
  float t_ = 0;
  float dt_ = kInitialisationStep;
  int method_ = 0;
  int nstage_ = 2;
  SynapticDriveCache synapses_;
  const StimulusDrive* drive_ = nullptr;
  float lastIonic_ = 0;
};

}  // namespace vantor
