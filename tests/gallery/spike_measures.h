// Measures of a recorded potential: spikes, intervals, widths and the
// potential over a stretch of time. Samples come at uneven times, so every
// crossing is interpolated between the two samples around it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

#include "vantor/analysis/spikes.h"
#include "vantor/engine/run_sample.h"

namespace vantor::gallery {

// A spike is an upward crossing of `threshold` after the potential has been
// at least `rearm` mV below it, so that a wobble on the threshold counts once.
// -20 mV catches the smaller spikes late in a burst while staying clear of
// every subthreshold event of the examples.
inline constexpr float kSpikeThreshold = -20.0f;
inline constexpr float kRearm = 5.0f;

// a and b lie on either side of `level`, so their potentials differ.
inline float Crossing(const RunSample& a, const RunSample& b, float level) {
  return CrossingTime(a[0], a[1], b[0], b[1], level);
}

// Spike times (ms) within [from, to).
inline std::vector<float> SpikeTimes(const std::vector<RunSample>& s, float from = 0.0f,
                                     float to = std::numeric_limits<float>::max(),
                                     float threshold = kSpikeThreshold) {
  std::vector<float> times;
  bool armed = !s.empty() && s.front()[1] < threshold - kRearm;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const float v = s[i][1];
    if (v < threshold - kRearm) armed = true;
    if (armed && RisesThrough(s[i - 1][1], v, threshold)) {
      armed = false;
      const float t = Crossing(s[i - 1], s[i], threshold);
      if (t >= from && t < to) times.push_back(t);
    }
  }
  return times;
}

inline std::size_t SpikeCount(const std::vector<RunSample>& s, float from = 0.0f,
                              float to = std::numeric_limits<float>::max()) {
  return SpikeTimes(s, from, to).size();
}

inline std::vector<float> Intervals(const std::vector<float>& times) {
  std::vector<float> isi;
  for (std::size_t i = 1; i < times.size(); ++i) isi.push_back(times[i] - times[i - 1]);
  return isi;
}

// Duration (ms) of each spike above `level`: from the upward to the next
// downward crossing.
inline std::vector<float> SpikeWidths(const std::vector<RunSample>& s,
                                      float level = kSpikeThreshold) {
  std::vector<float> widths;
  float up = -1.0f;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const float v0 = s[i - 1][1], v1 = s[i][1];
    if (RisesThrough(v0, v1, level)) up = Crossing(s[i - 1], s[i], level);
    if (v0 >= level && v1 < level && up >= 0.0f) {
      widths.push_back(Crossing(s[i - 1], s[i], level) - up);
      up = -1.0f;
    }
  }
  return widths;
}

struct Extreme {
  float v = 0.0f;
  float t = 0.0f;
};

// Lowest and highest potential among the samples in [from, to]; a stretch
// without samples gives NaN, which fails every comparison.
inline Extreme Lowest(const std::vector<RunSample>& s, float from, float to) {
  Extreme e{std::numeric_limits<float>::quiet_NaN(), 0.0f};
  for (const RunSample& x : s)
    if (x[0] >= from && x[0] <= to && !(x[1] >= e.v)) e = {x[1], x[0]};
  return e;
}

inline Extreme Highest(const std::vector<RunSample>& s, float from, float to) {
  Extreme e{std::numeric_limits<float>::quiet_NaN(), 0.0f};
  for (const RunSample& x : s)
    if (x[0] >= from && x[0] <= to && !(x[1] <= e.v)) e = {x[1], x[0]};
  return e;
}

// The potential at time t, interpolated; NaN outside the recording.
inline float PotentialAt(const std::vector<RunSample>& s, float t) {
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i - 1][0] <= t && t <= s[i][0]) {
      const float span = s[i][0] - s[i - 1][0];
      if (span <= 0.0f) return s[i][1];
      return s[i - 1][1] + (s[i][1] - s[i - 1][1]) * (t - s[i - 1][0]) / span;
    }
  }
  return std::numeric_limits<float>::quiet_NaN();
}

}  // namespace vantor::gallery
