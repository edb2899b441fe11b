// The membrane potential of a run as recorded, and the spikes in it.
#pragma once

#include <vector>

#include "vantor/engine/run_sample.h"

namespace vantor {

// Times (ms) and V-m (mV) of the recorded samples, in the order recorded.
struct VmTrace {
  std::vector<double> t;
  std::vector<double> v;
};

// A sink that keeps the V-m trace of a run and nothing else.
class VmRecorder : public RunSink {
 public:
  VmRecorder() { trace.t.reserve(4096), trace.v.reserve(4096); }
  void Sample(const RunSample& sample) override {
    trace.t.push_back(sample[slot::Time]);
    trace.v.push_back(sample[slot::V]);
  }
  VmTrace trace;
};

// Upward crossings of `threshold` (mV): a sample below it followed by one at
// or above it. The time is interpolated linearly between the two samples.
std::vector<double> SpikeTimes(const VmTrace& trace, double threshold);

}  // namespace vantor
