#include "vantor/analysis/spikes.h"

namespace vantor {

std::vector<double> SpikeTimes(const VmTrace& trace, double threshold) {
  std::vector<double> times;
  const std::size_t n = trace.v.size() < trace.t.size() ? trace.v.size() : trace.t.size();
  for (std::size_t i = 1; i < n; ++i) {
    const double v0 = trace.v[i - 1];
    const double v1 = trace.v[i];
    if (!(v0 < threshold && v1 >= threshold)) continue;
    const double t0 = trace.t[i - 1];
    const double t1 = trace.t[i];
    times.push_back(t0 + (threshold - v0) * (t1 - t0) / (v1 - v0));
  }
  return times;
}

}  // namespace vantor
