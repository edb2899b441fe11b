#include "engine/integrator.h"

#include <cmath>
#include <limits>

#include "engine/stage.h"
#include "engine/synapses.h"
#include "vantor/engine/protocol.h"

namespace vantor {
namespace {

constexpr int kInitialisationCode = 7;

// The copies are combined value by value, always in single precision.
CellState Mean(const CellState& a, const CellState& b) {
  CellState m;
  for (int k = 0; k < kCellStateSize; ++k) m[k] = (a[k] + b[k]) / 2.0f;
  return m;
}

// Index of the first value that is not a finite number, -1 when all are.
int FirstNonFinite(const CellState& c) {
  for (int k = 0; k < kCellStateSize; ++k)
    if (!std::isfinite(c[k])) return k;
  return -1;
}

// ratio^(1 / root): the fourth root of method 1, taken on every accepted
// step, as two square roots (the same float, a fraction of the cost of pow).
float GrowthFactor(float ratio, int root) {
  const double r = ratio;
  return static_cast<float>(root == 4 ? std::sqrt(std::sqrt(r)) : std::pow(r, 1.0 / root));
}

// The end of the shortest step that still moves the time.
float ShortestStepEnd(float t) { return std::nextafter(t, std::numeric_limits<float>::infinity()); }

}  // namespace

void Integrator::Start(float startingVm) {
  if (drive_ && drive_->VoltageClamp()) startingVm = static_cast<float>(drive_->Level(0.0, 1e-9));
  for (CellState& c : c_) c.fill(0.0f);
  c_[0][cell::V] = startingVm;
  c_[5][cell::V] = startingVm;
  for (int i : {0, 1, 5}) {
    c_[i][cell::CaL] = kCalciumFloor;
    c_[i][cell::CaT] = kCalciumFloor;
  }
  t_ = 0.0f;
  dt_ = kInitialisationStep;
  method_ = 0;
  nstage_ = 2;
}

void Integrator::SetMethodFromModel(float model) {
  const float code = std::trunc(model - 1.0f);
  method_ = (code >= 0.0f && code <= 3.0f) ? static_cast<int>(code) : 0;
  static const int kStageBound[4] = {2, 3, 5, 2};
  nstage_ = kStageBound[method_];
}

void Integrator::FormWorkingPoint(int stage) {
  CellState& w = c_[5];
  switch (stage) {
    case 1: w = c_[0]; break;
    case 2: w = method_ == 1 ? c_[1] : Mean(c_[0], c_[1]); break;
    case 3: w = Mean(c_[0], c_[2]); break;
    default: w = c_[3]; break;
  }
}

void Integrator::Combine() {
  CellState& r = c_[5];
  const CellState &c0 = c_[0], &c1 = c_[1], &c2 = c_[2], &c3 = c_[3], &c4 = c_[4];
  switch (method_) {
    case 0: r = c1; break;  // one exponential-Euler step
    case 1:                 // the mean of the start and two full steps
      for (int k = 0; k < kCellStateSize; ++k) r[k] = (c0[k] + c2[k]) / 2.0f;
      break;
    default:  // c0 + (k1 + 2 k2 + 2 k3 + k4) / 6, in exactly this order
      for (int k = 0; k < kCellStateSize; ++k)
        r[k] = c0[k] - ((c0[k] - c1[k]) + 2.0f * ((c0[k] + c1[k]) / 2.0f - c2[k]) +
                        2.0f * ((c0[k] + c2[k]) / 2.0f - c3[k]) + c3[k] - c4[k]) /
                           6.0f;
      break;
  }
}

// Largest relative change of a gate or shell that was not 0 at the step
// start, and the absolute change of V in mV, all against the same limit.
float Integrator::Error() const {
  const CellState &c0 = c_[0], &c5 = c_[5];
  float c = std::fabs(c5[cell::V] - c0[cell::V]);
  for (int k = 1; k < kCellStateSize; ++k) {
    if (c0[k] == 0.0f) continue;
    const float change = std::fabs((c5[k] - c0[k]) / c0[k]);
    if (change > c) c = change;
  }
  return c;
}

bool Integrator::StepControl(const ParameterSet& params, RunSample& sample) {
  float limit = params.Value(param::MaxChangeInGates) / 100.0f;
  if (dt_ > 1.0f) limit /= 10.0f;
  float e = Error() / limit;
  if (e < kErrorRatioFloor) e = kErrorRatioFloor;
  const float m = e >= 1.0f ? kSafetyFactor / e : GrowthFactor(kSafetyFactor / e, nstage_ + 2);
  // No shorter step would move the time at all, so this one is taken (a
  // limit of 0 set during the run still collapses the step to 0).
  if (e >= 1.0f && !(m > 0.0f && t_ + dt_ <= ShortestStepEnd(t_))) {  // reject: shorter step
    dt_ *= m;
    c_[5][cell::V] = c_[0][cell::V];
    return false;
  }
  c_[0] = c_[5];
  sample[slot::V] = c_[0][cell::V];
  t_ += dt_;
  // Maximum dt for plot caps growth only: a shorter step may pass it once.
  if (e < kSafetyFactor && dt_ < params.Value(param::MaxDtForPlot)) dt_ *= m;
  return true;
}

// Shortens the next step so that it ends exactly on a landing point;
// sitting exactly on one is an event, and the next step is cut to a
// hundredth to resolve what changes there.
bool Integrator::LandOn(float tp) {
  if (t_ + dt_ > tp && t_ < tp) dt_ = tp - t_;
  if (t_ != tp) return false;
  dt_ /= kProtocolStepDivisor;
  return true;
}

// The landing points are the trial end, the step onset and offset, in that
// order, then the onsets of the synaptic events. However often the step is
// cut, it still moves the single-precision time by at least one unit.
bool Integrator::Land(const ParameterSet& params) {
  bool event = false;
  for (float tp : Protocol::Of(params).Landings()) event |= LandOn(tp);
  if (drive_) {
    // The first edge that is not behind the single-precision time (an edge
    // may round up to it).
    double edge = drive_->EdgeFrom(std::nextafter(t_, 0.0f));
    while (static_cast<float>(edge) < t_) edge = drive_->NextEdge(edge);
    if (edge < 3.0e38) event |= LandOn(static_cast<float>(edge));
  }
  for (const SynapticTrain& train : {IpspTrain(params), EpspTrain(params)})
    for (float tp : train.EventsAround(t_)) event |= LandOn(tp);
  if (dt_ > 0.0f && t_ + dt_ == t_) dt_ = ShortestStepEnd(t_) - t_;
  return event;
}

PassResult Integrator::Pass(const ParameterSet& params, const GateTable& gates,
                            const RunConstants& constants, float iInj, RunSample& sample) {
  PassResult result;
  result.initialisation = dt_ > kInitialisationThreshold;
  const int stages = result.initialisation ? 2 : nstage_;
  const SynapticDrive synapses = synapses_.At(params, gates, t_, constants.phi.phi);
  StageInput input{params, gates, constants, dt_, iInj, synapses};
  // Voltage clamp: the command over this step, its pieces chosen in the
  // middle of it.
  const bool clamp = drive_ && drive_->VoltageClamp() && !result.initialisation;
  const bool ideal = clamp && drive_->SeriesResistance() == 0.0;
  const double within = static_cast<double>(t_) + dt_ / 2.0;
  const float vEnd = clamp ? static_cast<float>(drive_->Level(t_ + static_cast<double>(dt_), within)) : 0.0f;
  const float vStart = c_[0][cell::V];
  if (ideal) {
    c_[0][cell::V] = static_cast<float>(drive_->Level(t_, within));
  } else if (clamp) {
    input.clampG = static_cast<float>(1.0 / drive_->SeriesResistance());
    input.clampV = static_cast<float>(drive_->Level(within, within));
  }
  for (int a = 1; a < stages; ++a) {
    FormWorkingPoint(a);
    lastIonic_ = EvaluateStage(input, c_[5], c_[0], c_[a], sample).iIon;
    if (ideal) c_[a][cell::V] = vEnd;
  }

  if (result.initialisation) {
    // Δt = 1e20 has put every enabled gate on its steady state.
    c_[0] = c_[1];
    dt_ = kFirstStep;
    const float startingVm = drive_ && drive_->VoltageClamp()
                                 ? static_cast<float>(drive_->Level(0.0, 1e-9))
                                 : params.Value(param::StartingVm);
    c_[0][cell::V] = startingVm;
    c_[5][cell::V] = startingVm;
    method_ = kInitialisationCode;
    if ((result.nonFinite = FirstNonFinite(c_[0])) >= 0) return result;
  } else {
    Combine();
    if (ideal) c_[5][cell::V] = vEnd;
    if ((result.nonFinite = FirstNonFinite(c_[5])) >= 0) return result;
    result.accepted = StepControl(params, sample);
    // A rejected step leaves V where it was (the next one sets it again).
    if (ideal && !result.accepted) c_[0][cell::V] = c_[5][cell::V] = vStart;
  }

  result.event = Land(params);
  if (result.initialisation) SetMethodFromModel(params.Value(param::Model));
  return result;
}

}  // namespace vantor
