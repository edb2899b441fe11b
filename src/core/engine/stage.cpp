#include "engine/stage.h"

#include "engine/calcium.h"
#include "engine/channels.h"
#include "engine/gate_formulas.h"
#include "engine/ions.h"
#include "engine/kinetics.h"
#include "engine/synapses.h"

namespace vantor {
namespace {

// Keeps the GHK expressions away from 0/0 at V and at V + 0.5 mV.
float GuardPotential(float v) {
  if (v == 0.0f) return 1e-4f;
  if (v == -0.5f) return -0.5001f;
  return v;
}

// Sums the currents of one stage and files each in its sample slot.
class StageSum {
 public:
  StageSum(const ParameterSet& params, RunSample& sample, float current, float conductance)
      : params_(params), sample_(sample), out_{current, conductance} {}

  // Adds a current with the conductance it contributes to G; the slot shows
  // that conductance instead when the trace's Cond flag is set.
  void Add(int s, float current, float conductance) {
    out_.iIon += current;
    out_.g += conductance;
    sample_[s] = params_.Trace(s).cond != 0 ? conductance : current;
  }
  const StageOutput& Output() const { return out_; }

 private:
  const ParameterSet& params_;
  RunSample& sample_;
  StageOutput out_;
};

}  // namespace

StageOutput EvaluateStage(const StageInput& in, const CellState& work, const CellState& start,
                          CellState& out, RunSample& sample) {
  const ParameterSet& p = in.params;
  const RunConstants& k = in.constants;
  const ReversalPotentials& e = k.e;
  const float vWork = work[cell::V];
  const float v = GuardPotential(vWork);
  const bool initialisation = in.dt > kInitialisationThreshold;

  const LeakCurrent leak = k.ohmicLeak ? OhmicLeak(p, v, e) : GhkLeak(p, v, k.frt);
  float current = leak.current - in.iInj, conductance = leak.conductance;
  if (in.clampG != 0.0f) {
    current += in.clampG * (v - in.clampV);
    conductance += in.clampG;
  }
  StageSum sum(p, sample, current, conductance);

  GateContext context{v, work[cell::CaL], p.Value(param::HShift), k.phi};
  // Advances gate `row` from the working point into `out` and returns it.
  // Inlined at each call, where the row is fixed and the dispatch folds.
  auto advance = [&](int row) __attribute__((always_inline)) -> double {
    const GateRate rate = gate_formulas::Dispatch(row, in.gates.Row(row), context);
    out[row] = AdvanceGate(work[row], rate, in.dt);
    return out[row];
  };

  // An ohmic channel of the table: its gates advanced, its current filed.
  auto ohmic = [&](auto index) __attribute__((always_inline)) {
    constexpr Channel c = kChannels[decltype(index)::value];
    if (const float gmax = p.Value(c.conductance); gmax != 0.0f) {
      const float g = static_cast<float>(gmax * OpenFraction<c>(advance));
      sum.Add(c.slot, g * (v - ReversalOf<c.drive>(e)), g);
    }
  };

  ForEachChannel<channel::Na, channel::K>(ohmic);
  if (const SynapticDrive& syn = in.synapses; syn.ipsp) {
    sum.Add(slot::IGABAa, syn.gaba.fast * (v - e.eCl), syn.gaba.fast);
    sum.Add(slot::IGABAb, syn.gaba.slow * (v - e.eK), syn.gaba.slow);
  }
  if (const SynapticDrive& syn = in.synapses; syn.epsp) {
    const float nmda =
        syn.nmdaOpen * NmdaUnblocked(in.gates.Row(gate::NMDA), v, p.Value(param::MgOut), k.frt);
    sum.Add(slot::IAMPA, syn.ampa * v, syn.ampa);  // both reverse at 0 mV
    sum.Add(slot::INMDA, nmda * v, nmda);
  }
  ForEachChannel<channel::K, channel::T>(ohmic);

  // The calcium channels see the shells as they were at the start of the step.
  const float caOut = p.Value(param::CaOut);
  constexpr Channel cT = kChannels[channel::T], cL = kChannels[channel::L];
  const float pT = p.Value(cT.conductance), pL = p.Value(cL.conductance);
  // Both channels' GHK factors share the exponentials at V and V + 0.5 mV.
  GhkPoint at, above;
  if (pL != 0.0f || (pT != 0.0f && !(p.Value(param::CaRemoval) < 0.0f))) {
    at = GhkAt(2, v, k.frt);
    above = GhkAt(2, static_cast<double>(v) + kGhkSlopeStep, k.frt);
  }
  ShellCurrents calcium;
  if (pT != 0.0f) {
    const float g = static_cast<float>(pT * OpenFraction<cT>(advance));
    if (p.Value(param::CaRemoval) < 0.0f) {
      calcium.iT = g * (v - CalciumReversal(caOut, start[cell::CaT]));
      sum.Add(cT.slot, calcium.iT, g);
    } else {
      const CalciumGhkValue ghk = CalciumGhkAt(at, above, start[cell::CaT], caOut);
      calcium.iT = g * ghk.factor;
      sum.Add(cT.slot, calcium.iT, g * ghk.slope);
    }
  }
  if (pL != 0.0f) {
    const float g = static_cast<float>(pL * OpenFraction<cL>(advance));
    const CalciumGhkValue ghk = CalciumGhkAt(at, above, start[cell::CaL], caOut);
    calcium.iL = g * ghk.factor;
    sum.Add(cL.slot, calcium.iL, g * ghk.slope);
  }

  // The shells move after the calcium currents and before mC and mAHP read
  // them, so those two gates see this stage's calcium.
  if (initialisation) {
    out[cell::CaL] = FloorCalcium(work[cell::CaL]);
    out[cell::CaT] = FloorCalcium(work[cell::CaT]);
  } else {
    AdvanceCalciumShells(p, in.gates, calcium, in.dt, work[cell::CaL], work[cell::CaT],
                         out[cell::CaL], out[cell::CaT]);
  }
  context.caL = out[cell::CaL];

  ForEachChannel<channel::H, kChannelCount>(ohmic);

  // Membrane: relax V towards V∞ = V - I/G with τ = Cm / G. With G = 0 (every
  // conductance and both leaks off) the membrane is a bare capacitor and V
  // moves by -I Δt / Cm, the limit of the same rule; the initialisation pass
  // holds it.
  const StageOutput total = sum.Output();
  float vNew = vWork;
  if (total.g != 0.0f) {
    const float vInf = v - total.iIon / total.g;
    const float tauM = k.cm / total.g;
    vNew = vWork + (vInf - vWork) * RelaxationShare(in.dt / tauM);
  } else if (!initialisation) {
    vNew = vWork - total.iIon * in.dt / k.cm;
  }
  out[cell::V] = vNew;
  sample[slot::ICap] = (vNew - vWork) / in.dt * k.cm;
  return total;
}

}  // namespace vantor
