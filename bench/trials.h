// The trials the benchmark programs share.
#pragma once

#include <vector>

#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

namespace vantor::bench {

// Ten seconds of steady firing on a 2 nA base current, no current step
// (`--set 0=10000 --set 1=2 --set 4=0`).
inline void SetTonicFiring10s(ParameterSet& params) {
  params.SetValue(param::TrialDuration, 10000.0f);
  params.SetValue(param::BaseCurrent, 2.0f);
  params.SetValue(param::InjectedCurrent, 0.0f);
}

// Every sample of a run, as recorded.
class KeepSamples : public RunSink {
 public:
  void Sample(const RunSample& s) override { samples.push_back(s); }
  std::vector<RunSample> samples;
};

// The gate table the program ships.
inline GateTable ShippedGates() {
  GateTable table;
  SilentMessages quiet;
  LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", table, quiet);
  return table;
}

}  // namespace vantor::bench
