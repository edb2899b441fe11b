// A run allocates nothing once it has started: every step works on the
// integrator's fixed copies. Counted by replacing the global allocator of
// this test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine_fixtures.h"
#include "vantor/engine/stimulus.h"

namespace {
long gAllocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vantor {
namespace {

class CountingSink : public RunSink {
 public:
  void Sample(const RunSample&) override { ++count; }
  long count = 0;
};

TEST(Allocation, RunAllocatesNothing) {
  const GateTable gates = test::ShippedGates();
  for (float model : {1.0f, 2.0f, 3.0f}) {
    ParameterSet params;
    params.SetValue(param::Model, model);
    // Every channel and both trains, so that every code path is taken.
    for (int k : {param::gNap, param::gH, param::gM, param::gAHP, param::gIPSP, param::gEPSP})
      params.SetValue(k, 0.02f);
    for (int k : {param::pT, param::pL, param::gC, param::gA}) params.SetValue(k, 0.5f);
    params.SetValue(param::IpscOnset, 5.0f);
    params.SetValue(param::EpscOnset, 5.0f);
    params.SetValue(param::IpspCount, 3.0f);
    params.SetValue(param::EpspCount, 3.0f);
    params.SetValue(param::EpspFrequency, 100.0f);
    CountingSink sink;
    RunFlags flags;
    const std::function<void()> pump = [] {};
    const long before = gAllocations;
    const RunResult r = RunTrial(params, gates, sink, flags, pump);
    const long allocations = gAllocations - before;
    ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
    EXPECT_GT(sink.count, 0);
    EXPECT_EQ(allocations, 0) << model;
  }
}


// A stimulus is laid out once before the run: a run four times as long
// allocates exactly as often (every edge lies in the shorter one).
TEST(Allocation, StimulusAllocatesNothingPerStep) {
  const GateTable gates = test::ShippedGates();
  Stimulus stimulus;
  stimulus.mode = ClampMode::Current;
  Segment ramp, sine, train;
  ramp.kind = SegmentKind::Ramp, ramp.onset = 5, ramp.offset = 20, ramp.level = 1;
  sine.kind = SegmentKind::Sine, sine.onset = 20, sine.offset = 30, sine.amplitude = 1;
  sine.frequency = 100;
  train.kind = SegmentKind::Train, train.onset = 30, train.count = 3, train.width = 1;
  train.interval = 3, train.amplitude = 2;
  stimulus.segments = {ramp, sine, train};
  for (float model : {1.0f, 4.0f}) {
    for (ClampMode mode : {ClampMode::Current, ClampMode::Voltage}) {
      stimulus.mode = mode;
      stimulus.holding = mode == ClampMode::Voltage ? -70 : 0;
      long counts[2] = {};
      for (int i = 0; i < 2; ++i) {
        ParameterSet params;
        params.SetValue(param::Model, model);
        params.SetValue(param::TrialDuration, i == 0 ? 50.0f : 200.0f);
        CountingSink sink;
        RunFlags flags;
        RunTuning tuning;
        tuning.stimulus = &stimulus;
        const long before = gAllocations;
        const RunResult r = RunTrial(params, gates, sink, flags, {}, tuning);
        counts[i] = gAllocations - before;
        ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
      }
      EXPECT_EQ(counts[0], counts[1]) << model;
    }
  }
}

}  // namespace
}  // namespace vantor
