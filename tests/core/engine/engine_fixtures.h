// Shared helpers of the engine tests: the shipped gate table, sinks that keep
// samples, and spike detection on a recorded run.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "vantor/analysis/spikes.h"
#include "vantor/engine/run_driver.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor::test {

// Reads data/vmodels.val with a plain stream: 17 rows of a name and eight
// numbers. Kept independent of the program's own reader on purpose.
inline GateTable ShippedGates() {
  GateTable table;
  std::ifstream in(VANTOR_SOURCE_DIR "/data/vmodels.val");
  for (int r = 1; r <= kGateRowCount; ++r) {
    std::string name;
    in >> name;
    for (int c = 0; c < kGateColumnCount; ++c) in >> table.Row(r)[c];
  }
  if (in) table.MarkLoaded();
  return table;
}

class KeepingSink : public RunSink {
 public:
  void Sample(const RunSample& s) override { samples.push_back(s); }
  std::vector<RunSample> samples;
};

// Times (ms) at which V crosses 0 mV upwards, interpolated between samples.
inline std::vector<float> SpikeTimes(const std::vector<RunSample>& samples) {
  std::vector<float> times;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const float v0 = samples[i - 1][1], v1 = samples[i][1];
    if (RisesThrough(v0, v1, 0.0f))
      times.push_back(CrossingTime(samples[i - 1][0], v0, samples[i][0], v1, 0.0f));
  }
  return times;
}

}  // namespace vantor::test
