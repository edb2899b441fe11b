// Landing on protocol times and synaptic onsets, and runs that must finish
// however the protocol times fall on the spikes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/integrator.h"
#include "engine/stage.h"
#include "engine/synapses.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

class Landing : public ::testing::Test {
 protected:
  RunResult Run() {
    sink.samples.clear();
    RunFlags flags;
    ParameterSet copy = params;
    return RunTrial(copy, gates, sink, flags);
  }
  long SamplesAt(float t) const {
    return std::count_if(sink.samples.begin(), sink.samples.end(),
                         [t](const RunSample& s) { return s[slot::Time] == t; });
  }

  ParameterSet params;
  const GateTable gates = test::ShippedGates();
  test::KeepingSink sink;
};

// Both stopped with "the time step became too small": the step offset falls
// where single-precision time cannot take a hundredth of the step.
TEST_F(Landing, ProtocolTimesLateInALongRunAreReached) {
  params.SetValue(param::TrialDuration, 10000.0f);
  params.SetValue(param::StepOffset, 9000.0f);
  RunResult r = Run();
  EXPECT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  EXPECT_GE(SamplesAt(9000.0f), 1);
  EXPECT_EQ(sink.samples.back()[slot::Time], 10000.0f);

  params = ParameterSet();
  params.SetValue(param::TrialDuration, 300.0f);
  params.SetValue(param::StepOnset, 20.0f);
  params.SetValue(param::StepOffset, 270.0f);
  params.SetValue(param::MaxChangeInGates, 5.0f);
  r = Run();
  EXPECT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  EXPECT_GE(SamplesAt(270.0f), 1);
}

// Step times on and off spikes, late in the trial, every "Max %change in
// gates" from 0.5 to 50: each run reaches its end, with time never going back.
TEST_F(Landing, ThirtyVariedProtocolsComplete) {
  const float changes[] = {0.5f, 1.0f, 2.0f, 3.0f, 5.0f, 10.0f, 20.0f, 35.0f, 50.0f};
  for (int i = 0; i < 30; ++i) {
    params = ParameterSet();
    const float change = changes[i % 9];
    // A quiet membrane up to a late step; its offset sweeps across the phases
    // of the spikes it fires, the long trial ends a little after it.
    const float onset = 2000.0f + 731.0f * static_cast<float>(i % 10);
    const float offset = onset + 12.0f + 1.37f * static_cast<float>(i);
    params.SetValue(param::StepOnset, onset);
    params.SetValue(param::StepOffset, offset);
    params.SetValue(param::TrialDuration, offset + 3.0f + 0.61f * static_cast<float>(i % 7));
    params.SetValue(param::InjectedCurrent, 1.5f + 0.25f * static_cast<float>(i % 5));
    params.SetValue(param::MaxChangeInGates, change);
    const RunResult r = Run();
    ASSERT_EQ(r.outcome, RunOutcome::Completed)
        << "protocol " << i << " (Max %change " << change << "): " << r.message;
    EXPECT_GE(SamplesAt(onset), 1) << i;
    EXPECT_GE(SamplesAt(offset), 1) << i;
    EXPECT_EQ(sink.samples.back()[slot::Time], params.Value(param::TrialDuration)) << i;
    for (std::size_t k = 1; k < sink.samples.size(); ++k)
      ASSERT_GE(sink.samples[k][slot::Time], sink.samples[k - 1][slot::Time]) << i;
  }
}

TEST_F(Landing, EverySynapticEventOnsetIsALandingPoint) {
  // A quiet membrane (the ohmic potassium leak alone, at its reversal) so
  // that the steps grow long between the events.
  for (int k : {param::gNa, param::gK, param::pNaleak, param::InjectedCurrent})
    params.SetValue(k, 0.0f);
  params.SetValue(param::Gate2, params.Value(param::Gate1));
  params.SetValue(param::StartingVm, ComputeRunConstants(params).e.eK);
  params.SetValue(param::MaxDtForPlot, 5.0f);
  params.SetValue(param::TrialDuration, 200.0f);
  params.SetValue(param::gEPSP, 0.01f);
  params.SetValue(param::EpscOnset, 40.3f);
  params.SetValue(param::EpspFrequency, 30.0f);
  params.SetValue(param::EpspCount, 4.0f);
  params.SetValue(param::gIPSP, 0.01f);
  params.SetValue(param::IpscOnset, 151.7f);
  params.SetValue(param::IpspCount, 1.0f);
  const RunResult r = Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  const SynapticTrain epsp = EpspTrain(params);
  ASSERT_EQ(epsp.count, 4);
  for (int j = 0; j < 4; ++j) EXPECT_GE(SamplesAt(epsp.EventTime(j)), 1) << j;
  // The first EPSP is felt from the step after its onset, a hundredth of the
  // step before it (at most 26 ms / 100 here), not up to a whole step late.
  const RunConstants constants = ComputeRunConstants(params);
  Integrator integrator;
  integrator.Start(params.Value(param::StartingVm));
  RunSample stage{};
  float felt = -1.0f;
  while (felt < 0.0f && integrator.Time() < 100.0f) {
    const float t = integrator.Time();
    integrator.Pass(params, gates, constants, 0.0f, stage);
    if (stage[slot::IAMPA] != 0.0f) felt = t;
  }
  EXPECT_GT(felt, 40.3f);
  EXPECT_LT(felt, 40.6f);
  EXPECT_GE(SamplesAt(151.7f), 1);
  // No landing on the events that follow the last one.
  EXPECT_EQ(SamplesAt(epsp.EventTime(4)), 0);
}

TEST(SynapticTrain, EventsAroundATime) {
  ParameterSet params;
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::EpscOnset, 10.0f);
  params.SetValue(param::EpspFrequency, 100.0f);  // every 10 ms
  params.SetValue(param::EpspCount, 3.0f);
  const SynapticTrain train = EpspTrain(params);
  ASSERT_TRUE(train.on);
  EXPECT_EQ(train.EventTime(2), 30.0f);
  auto next = [&](float t) {
    float first = INFINITY;
    for (float e : train.EventsAround(t))
      if (e >= t) first = std::min(first, e);
    return first;
  };
  EXPECT_EQ(next(0.0f), 10.0f);
  EXPECT_EQ(next(10.0f), 10.0f);
  EXPECT_EQ(next(10.5f), 20.0f);
  EXPECT_EQ(next(29.9f), 30.0f);
  EXPECT_EQ(next(30.5f), INFINITY);  // three events only

  params.SetValue(param::EpspFrequency, 0.0f);  // a single event
  EXPECT_EQ(EpspTrain(params).count, 1);
  params.SetValue(param::EpspFrequency, -5.0f);
  EXPECT_EQ(EpspTrain(params).count, 1);
  params.SetValue(param::gEPSP, 0.0f);
  EXPECT_FALSE(EpspTrain(params).on);
  EXPECT_EQ(EpspTrain(params).EventsAround(10.0f).n, 0);
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::EpspCount, 0.0f);
  EXPECT_FALSE(EpspTrain(params).on);
  params.SetValue(param::EpspCount, 1e9f);  // bounded, never a runaway loop
  params.SetValue(param::EpspFrequency, 1000.0f);
  EXPECT_LE(EpspTrain(params).EventsAround(1e6f).n, 4);
}

}  // namespace
}  // namespace vantor
