// One stage evaluation: every current at the working point, each gate and the
// calcium shells advanced over Δt, and the membrane potential advanced over Δt.
#pragma once

#include "engine/cell_state.h"
#include "engine/run_constants.h"
#include "vantor/engine/run_sample.h"
#include "engine/synapses.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// A step longer than this is the initialisation pass (Δt = 1e20): it sets every
// gate to its steady state; the calcium shells are not advanced, only held at
// their floor.
constexpr float kInitialisationThreshold = 9.5e19f;

struct StageInput {
  const ParameterSet& params;
  const GateTable& gates;
  const RunConstants& constants;
  float dt;    // ms
  float iInj;  // injected current (nA), positive depolarises
  // Evaluated once per step at the time the step starts: the synapses are the
  // only part of a stage that depends on the time.
  const SynapticDrive& synapses;
  // A clamp through a series resistance: a conductance (µS) pulling V to
  // the command (mV); 0 without one.
  float clampG = 0;
  float clampV = 0;
};

struct StageOutput {
  float iIon = 0;  // total ionic current minus the injected current (nA)
  float g = 0;     // total slope conductance (µS)
};

// Evaluates one stage from the working point `work`; `start` is the state at
// the start of the step (its calcium feeds the GHK factors and E_Ca). Writes
// the new gates of every enabled current, both shells and V into `out`, and
// slot 2 and the slots of the enabled currents into `sample`. Gates of
// currents that are switched off are left untouched in `out`.
StageOutput EvaluateStage(const StageInput& in, const CellState& work, const CellState& start,
                          CellState& out, RunSample& sample);

}  // namespace vantor
