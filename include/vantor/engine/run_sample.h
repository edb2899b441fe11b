// One recorded point of a run: 21 single-precision values.
#pragma once

#include <array>

namespace vantor {

constexpr int kSampleSlots = 21;
constexpr int kSampleBytes = kSampleSlots * 4;  // 84 bytes in a record file

// Slot 0 time (ms), 1 V (mV), 2 I-cap, 3 [Ca++]-i (µM), 4 .. 17 I-C .. I-GABAb
// (current or conductance), 18 .. 20 the state values chosen by Gate #1 .. #3.
using RunSample = std::array<float, kSampleSlots>;

// The same slots in double precision, as Model 4 computes them (the record
// file keeps them rounded to a RunSample).
using PreciseSample = std::array<double, kSampleSlots>;

// Sample slots of the currents (slot s is drawn as trace row s).
namespace slot {
enum Slot : int {
  Time = 0, V = 1, ICap = 2, Calcium = 3,
  IC = 4, IH, IT, IA, IL, INa, IK, IM, IAHP, INap, IAMPA, INMDA, IGABAa, IGABAb,
  Gate1 = 18, Gate2, Gate3,
};
// I-cap or one of the ionic and synaptic currents (or conductances): the
// slots a sink that reads V alone is spared (RunSink::NeedsCurrents).
constexpr bool IsCurrent(int s) { return s == ICap || (s >= IC && s <= IGABAb); }
}  // namespace slot

// Where the run loop hands each recorded sample (the record file writer, the
// live drawing, a CSV writer ...).
class RunSink {
 public:
  virtual ~RunSink() = default;
  virtual void Sample(const RunSample& sample) = 0;
  // Model 4 hands each sample here, rounded and in double precision; a sink
  // that keeps only single precision need not care.
  virtual void Precise(const RunSample& sample, const PreciseSample& precise) {
    (void)precise;
    Sample(sample);
  }
  // Whether the sink reads I-cap or the ionic and synaptic slots
  // (slot::IsCurrent). Model 4 takes the currents at its samples only for a
  // sink that does; for one that does not they are 0 after the first sample
  // (0 ms).
  virtual bool NeedsCurrents() const { return true; }
};

}  // namespace vantor
