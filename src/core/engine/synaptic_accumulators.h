// The synaptic drive of the continuous method as state: every component is a
// sum of decaying exponentials, one accumulator per rate. An event adds to
// the accumulators of its train; between events they only decay, so the
// integrator carries them along with the cell instead of summing every past
// event at every evaluation.
#pragma once

#include <array>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

namespace synapse {
enum Component : int { AMPA = 0, NMDA, GABAa, GABAb, Count };
}

constexpr int kMaxAccumulators = 24;

struct AccumulatorTerm {
  int component = 0;
  double coefficient = 0;  // µS per unit of the accumulator
  double rate = 0;         // 1/ms
  double onEvent = 1;      // what an event adds
};

// One train's events at onset + j · period (double precision), j < count.
struct ContinuousTrain {
  bool on = false;
  double onset = 0, period = 0;  // period 0: a single event
  long count = 0;
  double EventTime(long j) const { return onset + static_cast<double>(j) * period; }
};

class SynapticAccumulators {
 public:
  // Reads the trains, weights, kinetics factors and the rows AMPA .. GABAb.
  void Build(const ParameterSet& params, const GateTable& gates, float phi);

  int Size() const { return size_; }
  const AccumulatorTerm& Term(int i) const { return terms_[i]; }

  // Conductances (µS) of the four components from the accumulator values;
  // NMDA before the magnesium block. A GABAb rise power that is not a small
  // whole number has no such expansion and is summed over the events at t.
  std::array<double, synapse::Count> Conductances(const double* acc, double t) const;

  // Adds every event not yet added whose time is at or before `t`; then the
  // time of the next one (infinity when there is none). The integrator lands
  // on each of these times.
  void AddEventsUpTo(double t, double* acc);
  double NextEvent() const;

 private:
  void AddTerm(int component, double coefficient, double rate, double onEvent, int group);
  const ContinuousTrain& Train(int group) const { return group == 0 ? ipsp_ : epsp_; }
  double GroupTime(int group, long j) const {
    return Train(group).EventTime(j) + (group == 2 && nmdaDelay_ > 0.0 ? nmdaDelay_ : 0.0);
  }
  double DirectGabaB(double t) const;

  std::array<AccumulatorTerm, kMaxAccumulators> terms_{};
  std::array<int, kMaxAccumulators> group_{};
  // The terms of each component, in the order they were added.
  std::array<std::array<int, kMaxAccumulators>, synapse::Count> byComponent_{};
  std::array<int, synapse::Count> componentSize_{};  // 0 IPSP events, 1 EPSP events, 2 NMDA (delayed)
  int size_ = 0;
  ContinuousTrain ipsp_, epsp_;
  double nmdaDelay_ = 0;
  std::array<long, 3> next_{};  // per group, the first event not yet added
  bool directGabaB_ = false;
  double gabaBScale_ = 0, gabaBPhi_ = 1;
  GateRow gabaB_{};
};

}  // namespace vantor
