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

// A spike starts where the potential goes from below the threshold to at or
// above it: between two samples, or across one integration step.
template <class T>
constexpr bool RisesThrough(T before, T after, T threshold) {
  return before < threshold && after >= threshold;
}

// When the straight line from (t0, v0) to (t1, v1) reaches `level`; in the
// caller's precision, so float records give float times.
template <class T>
constexpr T CrossingTime(T t0, T v0, T t1, T v1, T level) {
  return t0 + (level - v0) * (t1 - t0) / (v1 - v0);
}

// Upward crossings of `threshold` (mV) between recorded samples, each time
// interpolated linearly between the two samples.
std::vector<double> SpikeTimes(const VmTrace& trace, double threshold);

}  // namespace vantor
