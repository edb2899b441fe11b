// The membrane potential of a run as recorded, and the spikes in it.
#pragma once

#include <limits>
#include <span>
#include <vector>

#include "vantor/engine/run_sample.h"

namespace vantor {

// Times (ms) and V-m (mV) of the recorded samples, in the order recorded.
struct VmTrace {
  std::vector<double> t;
  std::vector<double> v;
};

// The sample times of a trace to measure: kept by their owner, or the grid
// 0, step, 2 step, ... (the k-th time is k · step, as the resampled rows have it).
class TraceTimes {
 public:
  TraceTimes(std::span<const double> times) : given_(times), n_(times.size()) {}  // kept elsewhere
  static TraceTimes Grid(double step, std::size_t n) {
    TraceTimes t(std::span<const double>{});
    t.step_ = step;
    t.n_ = n;
    return t;
  }
  double operator[](std::size_t i) const {
    return step_ > 0 ? static_cast<double>(i) * step_ : given_[i];
  }
  std::size_t size() const { return n_; }

 private:
  std::span<const double> given_;
  double step_ = 0;
  std::size_t n_ = 0;
};

// A trace to measure, kept by its owner: a VmTrace, or times and potentials
// stored elsewhere (of equal length).
struct VmView {
  TraceTimes t;
  std::span<const double> v;
  VmView(const VmTrace& trace) : t(trace.t), v(trace.v) {}  // a view of it
  VmView(TraceTimes times, std::span<const double> potentials) : t(times), v(potentials) {}
};

// A sink that keeps the V-m trace of a run and nothing else.
class VmRecorder : public RunSink {
 public:
  VmRecorder() { trace.t.reserve(4096), trace.v.reserve(4096); }
  void Sample(const RunSample& sample) override {
    trace.t.push_back(sample[slot::Time]);
    trace.v.push_back(sample[slot::V]);
  }
  void Precise(const RunSample&, const PreciseSample& precise) override {
    trace.t.push_back(precise[slot::Time]);
    trace.v.push_back(precise[slot::V]);
  }
  bool NeedsCurrents() const override { return false; }
  VmTrace trace;
};

// The potential goes from below `threshold` to at or above it: between two
// samples, or across one integration step.
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

// A spike is an upstroke: it starts (its onset) where dV/dt reaches `dvdt`,
// rises to its peak (the potential rises until it falls again), and counts
// when that peak reaches `threshold` and stands kSpikeHeight above the onset.
// A slow depolarisation through the threshold, an EPSP or a plateau is no
// spike; the small spikes late in a burst or before a block are.
struct SpikeRule {
  double threshold = -20;  // mV
  double dvdt = 20;        // mV/ms
};
inline constexpr double kSpikeHeight = 20;  // mV from onset to peak

inline constexpr double kNoFeature = std::numeric_limits<double>::quiet_NaN();

// One spike and its shape. Not-a-number where the trace ends too early.
struct Spike {
  double time = 0;       // where the upstroke rises through the threshold (its onset when that
                         // lies above the threshold)
  double onsetTime = 0;  // where dV/dt reaches the rule's rate, interpolated
  double onsetMv = 0;
  double peakTime = 0;
  double peakMv = 0;
  double maxDvdt = 0;              // mV/ms, the steepest rise between two samples
  double halfWidthMs = kNoFeature; // time above the level half-way from onset to peak
  double ahpTime = kNoFeature;     // the lowest point of the fall after the peak (until V rises again)
  double ahpMv = kNoFeature;
  double Amplitude() const { return peakMv - onsetMv; }
  double AhpDepth() const { return onsetMv - ahpMv; }  // mV below the onset
};

// The spikes of a recorded trace, in time order; crossings interpolated
// linearly between the two samples around them.
std::vector<Spike> FindSpikes(VmView trace, const SpikeRule& rule);

// Their times.
std::vector<double> SpikeTimes(const std::vector<Spike>& spikes);

// dV/dt (mV/ms) at every sample: the slope between its neighbours (one-sided
// at the ends). Samples that share a time (a landing point recorded twice)
// take the slope of the nearest interval with a length.
std::vector<double> Slopes(VmView trace);

}  // namespace vantor
