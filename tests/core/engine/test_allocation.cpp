// A run allocates nothing once it has started: every step works on the
// integrator's fixed copies. Counted by replacing the global allocator of
// this test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine_fixtures.h"

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

}  // namespace
}  // namespace vantor
