// V-m traces whose measures are known: straight-line spikes that cross 0 mV
// exactly at the given times, on a flat baseline.
#pragma once

#include <algorithm>
#include <vector>

#include "vantor/analysis/spikes.h"

namespace vantor::testing {

// Samples every 0.1 ms from 0 to `duration`. Each spike rises from -50 mV at
// s - 0.5 to +50 mV at s + 0.5 (crossing 0 at s) and falls to -70 mV at
// s + 1.5; elsewhere V is `baseline`, or `after` from `afterFrom` on.
inline VmTrace SpikeTrain(const std::vector<double>& spikes, double duration,
                          double baseline = -65, double afterFrom = 1e9, double after = -65) {
  VmTrace trace;
  for (int i = 0; i * 0.1 <= duration + 1e-9; ++i) {
    const double t = i * 0.1;
    double v = t >= afterFrom ? after : baseline;
    for (double s : spikes) {
      if (t >= s - 0.5 && t <= s + 0.5) v = std::max(v, 100 * (t - s));
      else if (t > s + 0.5 && t <= s + 1.5 + 1e-9) v = 50 - 120 * (t - s - 0.5);
    }
    trace.t.push_back(t);
    trace.v.push_back(v);
  }
  return trace;
}

// Spike times from `first` on, separated by the given intervals.
inline std::vector<double> FromIntervals(double first, const std::vector<double>& intervals) {
  std::vector<double> spikes{first};
  for (double d : intervals) spikes.push_back(spikes.back() + d);
  return spikes;
}

}  // namespace vantor::testing
