#include "vantor/analysis/spikes.h"

namespace vantor {

std::vector<double> SpikeTimes(const VmTrace& trace, double threshold) {
  std::vector<double> times;
  const std::size_t n = trace.v.size() < trace.t.size() ? trace.v.size() : trace.t.size();
  for (std::size_t i = 1; i < n; ++i) {
    const double v0 = trace.v[i - 1];
    const double v1 = trace.v[i];
    if (RisesThrough(v0, v1, threshold))
      times.push_back(CrossingTime(trace.t[i - 1], v0, trace.t[i], v1, threshold));
  }
  return times;
}

}  // namespace vantor
