// The continuous system that the stepping methods discretise, in double
// precision: V from the membrane equation, each gate relaxing to its steady
// state with its time constant, the two calcium shells, and the synaptic
// drive as decaying accumulators (Model 4).
#pragma once

#include <array>

#include "engine/cell_state.h"
#include "engine/channels.h"
#include "engine/gate_batch.h"
#include "engine/kinetics.h"
#include "engine/run_constants.h"
#include "engine/stimulus_drive.h"
#include "vantor/engine/run_sample.h"
#include "engine/synaptic_accumulators.h"
#include "engine/vector_exp.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

constexpr int kMaxContinuousState = kCellStateSize + kMaxAccumulators;

class CellRates {
 public:
  CellRates(const ParameterSet& params, const GateTable& gates, const RunConstants& constants);

  // Cell values and then the synaptic accumulators.
  int Size() const { return kCellStateSize + synapses_.Size(); }
  SynapticAccumulators& Synapses() { return synapses_; }

  // Reads the parameters again. A run reads each parameter when it uses it,
  // and they can change only while a sample is handed over (the message pump
  // runs there), so the run calls this after each sample.
  void Refresh();
  // Counts the snapshots Refresh has taken: a change means the parameters
  // (or the gate table) changed, and with them perhaps the moving values.
  long Generation() const { return generation_; }

  // The indices of the values that can move, in increasing order: V, the
  // gates of the enabled channels, both shells and the accumulators. The
  // others have dy/dt = 0 exactly.
  const int* Active() const { return active_; }
  int ActiveCount() const { return activeCount_; }
  // One past the last of V and the gates that may move: the gates from here
  // to the shells do not.
  int GatesEnd() const { return gatesEnd_; }
  // Whether the shells stay as they are in y for good: a cell of sodium and
  // potassium alone (no calcium current, no synapses) with both on their
  // floor, where their removal holds them.
  bool ShellsStill(const double* y) const {
    return p_.plain && synapses_.Size() == 0 && y[cell::CaL] <= kCalciumFloor &&
           y[cell::CaT] <= kCalciumFloor;
  }

  // dy/dt at time t (ms) with the injected current iInj (nA); dy of the
  // values that do not move (not in Active()) is left as it was. With `sample`,
  // files I-cap and every enabled current (or its conductance) in the slots
  // as a stage evaluation does instead; dy then holds dV/dt only. With
  // `precise` as well, the same slots there unrounded.
  void Evaluate(double t, double iInj, const double* y, double* dy,
                RunSample* sample = nullptr, PreciseSample* precise = nullptr) const;

  // Adds a stimulus (null: none). In current clamp its level adds to iInj;
  // in voltage clamp iInj is not used: V follows the command (dV/dt is the
  // command's slope and the currents are taken at the command) or, with a
  // series resistance, the clamp passes (command - V) / Rs.
  void SetDrive(const StimulusDrive* drive) { drive_ = drive && drive->Active() ? drive : nullptr; }
  // A time inside the step being taken: the stimulus' pieces are chosen there.
  void Within(double t) { within_ = t; }
  // What the last evaluation's clamp passed (nA): the injected current, or
  // in an ideal voltage clamp the total ionic and synaptic current.
  double ClampCurrent() const { return clampCurrent_; }

 private:
  // kPlain: the snapshot's `plain` holds, so the other channels' tests fold away.
  // (Each kind on its own: inlined into Evaluate they crowd each other.)
  template <bool kSample, bool kPlain>
  [[gnu::noinline]] void Rates(double t, double iInj, const double* y, double* dy,
                               RunSample* sample, PreciseSample* precise) const;

  const ParameterSet& params_;
  const GateTable& gates_;
  const RunConstants& constants_;
  SynapticAccumulators synapses_;
  // The parameters an evaluation reads, as of the last Refresh.
  struct Snapshot {
    double pK = 0, pNa = 0, kIn = 0, kOut = 0, naIn = 0, naOut = 0;
    double gmax[kChannelCount] = {};  // by position in the channel table
    unsigned on = 0;                  // bit c: gmax[c] is not 0
    bool plain = false;               // no channel but Na and K, no synapses
    bool ghkLeak = false;             // the leak by GHK (not ohmic, not both 0)
    double hShift = 0;
    bool ipsp = false, epsp = false;
    double ipscOnset = 0, epscOnset = 0, mg = 0, caOut = 0;
    bool logReversal = false;  // Ca removal < 0: I-T from the 30 mV per decade reversal
    double area = 0, lInflux = 0, tInflux = 0, lRemoval = 0, tRemoval = 0;
    double perCm = 0;  // 1 / Cm
    double leakU = 0;  // the leak's GHK u per mV
  } p_;
  // The enabled gates' rates, with their exponentials taken in one batch
  // together with the leak's, the calcium channels' and the NMDA block's.
  GateBatch batch_;
  ExpBatch exp_ = ChooseExpBatch();
  bool calciumGhk_ = false;  // I-T (without the log reversal) or I-L on
  // The parameter values (and the one gate coefficient) the snapshot was
  // taken from.
  std::array<float, kParameterCount> seen_{};
  GateTable seenGates_;
  bool taken_ = false;
  long generation_ = 0;
  int active_[kMaxContinuousState] = {};
  int activeCount_ = 0;
  int gatesEnd_ = cell::CaL;
  const StimulusDrive* drive_ = nullptr;
  double within_ = 0;
  mutable double clampCurrent_ = 0;
};

}  // namespace vantor
