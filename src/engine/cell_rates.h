// The continuous system that the stepping methods discretise, in double
// precision: V from the membrane equation, each gate relaxing to its steady
// state with its time constant, the two calcium shells, and the synaptic
// drive as decaying accumulators (Model 4).
#pragma once

#include "engine/cell_state.h"
#include "engine/run_constants.h"
#include "engine/run_sample.h"
#include "engine/synaptic_accumulators.h"
#include "params/gate_table.h"
#include "params/parameter_set.h"

namespace vantor {

constexpr int kMaxContinuousState = kCellStateSize + kMaxAccumulators;

class CellRates {
 public:
  CellRates(const ParameterSet& params, const GateTable& gates, const RunConstants& constants);

  // Cell values and then the synaptic accumulators.
  int Size() const { return kCellStateSize + synapses_.Size(); }
  SynapticAccumulators& Synapses() { return synapses_; }

  // dy/dt at time t (ms) with the injected current iInj (nA). With `sample`,
  // files I-cap and every enabled current (or its conductance) in the slots
  // as a stage evaluation does instead; dy then holds dV/dt only.
  void Evaluate(double t, double iInj, const double* y, double* dy,
                RunSample* sample = nullptr) const;

 private:
  const ParameterSet& params_;
  const GateTable& gates_;
  const RunConstants& constants_;
  SynapticAccumulators synapses_;
};

}  // namespace vantor
