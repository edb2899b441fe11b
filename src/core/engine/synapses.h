// The two synaptic inputs: an inhibitory train (GABAa and GABAb components)
// and an excitatory train (AMPA and NMDA). There is no synaptic state: the
// conductances are closed-form functions of the time since each event.
#pragma once

#include <array>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// A train never counts more events than this; the count parameter is a float
// from the user and a huge value must not stall every stage evaluation.
constexpr int kMaxSynapticEvents = 100000;

struct SynapticConductances {
  float fast = 0;  // GABAa or AMPA (µS)
  float slow = 0;  // GABAb or NMDA (µS)
};

// True when gIPSP (gEPSP) is not 0 and t is strictly after the input's onset.
bool IpspActive(const ParameterSet& params, float t);
bool EpspActive(const ParameterSet& params, float t);

// The number of events a train parameter asks for: truncated toward zero;
// a negative or not-a-number count gives none.
int SynapticEventCount(float count);

// GABAa and GABAb conductances at time t (the time at the start of the step),
// summed over the events of the train up to t.
SynapticConductances IpspConductances(const ParameterSet& params, const GateTable& gates, float t,
                                      float phi);

// The magnesium block of NMDA: the unblocked fraction at V (mV).
float NmdaUnblocked(const GateRow& nmda, float v, float mgOutMilliMolar, float frt);

// AMPA and NMDA conductances at time t; V and FRT feed the magnesium block.
SynapticConductances EpspConductances(const ParameterSet& params, const GateTable& gates, float t,
                                      float v, float phi, float frt);

// What the synapses do in one step. Every stage of a step sees the same t,
// so the sums over the events are formed once per step; only the magnesium
// block depends on the stage's V.
struct SynapticDrive {
  bool ipsp = false;          // gIPSP is not 0 and t is after the onset of ipsc
  SynapticConductances gaba;  // GABAa and GABAb (µS)
  bool epsp = false;          // gEPSP is not 0 and t is after the onset of epsc
  float ampa = 0;             // µS
  float nmdaOpen = 0;         // NMDA before the magnesium block (µS)
};

// The events of one train, as landing points of the integration: event j
// sits at onset + j · period, j = 0 .. count - 1.
struct SynapticTrain {
  bool on = false;   // the peak conductance is not 0 and there is an event
  float onset = 0;   // ms
  float period = 0;  // ms between events; 0 for a single event
  int count = 0;

  float EventTime(int j) const;

  // The event times that can sit on t or be the next after it, in time order.
  struct Window {
    float times[4];
    int n = 0;
    const float* begin() const { return times; }
    const float* end() const { return times + n; }
  };
  Window EventsAround(float t) const;
};

SynapticTrain IpspTrain(const ParameterSet& params);
SynapticTrain EpspTrain(const ParameterSet& params);

SynapticDrive EvaluateSynapticDrive(const ParameterSet& params, const GateTable& gates, float t,
                                    float phi);

// EvaluateSynapticDrive that keeps its last sums: a step tried again after a
// rejection starts at the same time, and while every parameter, the four
// synaptic gate rows and φ are bit for bit the same the sums are too.
class SynapticDriveCache {
 public:
  SynapticDrive At(const ParameterSet& params, const GateTable& gates, float t, float phi);

 private:
  bool valid_ = false;
  float t_ = 0, phi_ = 0;
  std::array<float, kParameterCount> values_{};
  std::array<GateRow, 4> rows_{};
  SynapticDrive drive_;
};

}  // namespace vantor
