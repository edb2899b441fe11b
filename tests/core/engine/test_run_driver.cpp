#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/cell_state.h"
#include "engine/progress_guard.h"
#include "engine/stage.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

class RunDriver : public ::testing::Test {
 protected:
  RunResult Run(const std::function<void()>& pump = {}) {
    sink.samples.clear();
    return RunTrial(params, gates, sink, flags, pump);
  }
  long SamplesAt(float t) const {
    return std::count_if(sink.samples.begin(), sink.samples.end(),
                         [t](const RunSample& s) { return s[slot::Time] == t; });
  }
  // Only the ohmic potassium leak, starting at its reversal: V never moves.
  void QuietMembrane() {
    for (int k : {param::gNa, param::gK, param::pNaleak, param::InjectedCurrent})
      params.SetValue(k, 0.0f);
    params.SetValue(param::Gate2, params.Value(param::Gate1));
    params.SetValue(param::StartingVm, ComputeRunConstants(params).e.eK);
  }
  void ExpectRefused(const char* word) {
    const RunResult r = Run();
    EXPECT_EQ(r.outcome, RunOutcome::Refused);
    EXPECT_NE(r.message.find(word), std::string::npos) << r.message;
    EXPECT_EQ(r.samples, 0);
    EXPECT_TRUE(sink.samples.empty());
    EXPECT_EQ(params.Value(param::KOut), 0.0f);  // not even the concentration floor
  }

  ParameterSet params;
  const GateTable gates = test::ShippedGates();
  test::KeepingSink sink;
  RunFlags flags;
};

TEST_F(RunDriver, FirstSampleIsTheStartAtTimeZero) {
  const RunResult r = Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed);
  ASSERT_FALSE(sink.samples.empty());
  EXPECT_EQ(sink.samples[0][slot::Time], 0.0f);
  EXPECT_EQ(sink.samples[0][slot::V], -65.0f);
  EXPECT_EQ(r.samples, static_cast<long>(sink.samples.size()));
  EXPECT_GT(r.passes, r.samples);
  // Samples in time order, the last exactly at the trial's end.
  for (std::size_t i = 1; i < sink.samples.size(); ++i)
    ASSERT_GE(sink.samples[i][slot::Time], sink.samples[i - 1][slot::Time]);
  EXPECT_EQ(sink.samples.back()[slot::Time], 80.0f);
}

TEST_F(RunDriver, FirstSampleEvenWithAHugeMaximumDv) {
  params.SetValue(param::StartingVm, 125.0f);
  params.SetValue(param::MaxDvForPlot, 1000.0f);  // |1000 - 125| is not above it
  Run();
  ASSERT_FALSE(sink.samples.empty());
  EXPECT_EQ(sink.samples[0][slot::Time], 0.0f);
  EXPECT_EQ(sink.samples[0][slot::V], 125.0f);
}

TEST_F(RunDriver, SamplesAtEveryProtocolTime) {
  Run();
  EXPECT_GE(SamplesAt(10.0f), 1);
  EXPECT_GE(SamplesAt(60.0f), 1);
  EXPECT_EQ(SamplesAt(80.0f), 1);
}

TEST_F(RunDriver, QuietMembraneWithLongPlotIntervalSamplesOnlyAtEvents) {
  QuietMembrane();
  params.SetValue(param::MaxDtForPlot, 1000.0f);
  Run();
  ASSERT_EQ(sink.samples.size(), 4u);
  EXPECT_EQ(sink.samples[0][slot::Time], 0.0f);
  EXPECT_EQ(sink.samples[1][slot::Time], 10.0f);
  EXPECT_EQ(sink.samples[2][slot::Time], 60.0f);
  EXPECT_EQ(sink.samples[3][slot::Time], 80.0f);
}

TEST_F(RunDriver, QuietMembraneIsSampledEveryMaximumDt) {
  QuietMembrane();
  params.SetValue(param::MaxDtForPlot, 3.0f);
  params.SetValue(param::StepOnset, 200.0f);
  params.SetValue(param::StepOffset, 200.0f);
  Run();
  ASSERT_GT(sink.samples.size(), 10u);
  for (std::size_t i = 1; i + 1 < sink.samples.size(); ++i) {
    const float gap = sink.samples[i][slot::Time] - sink.samples[i - 1][slot::Time];
    EXPECT_GT(gap, 3.0f) << i;
    EXPECT_LT(gap, 3.0f * 5.32f) << i;
  }
}

TEST_F(RunDriver, MovingPotentialIsSampledByMaximumDv) {
  params.SetValue(param::MaxDtForPlot, 1000.0f);
  Run();
  // During the spikes samples come whenever V has moved by more than 1 mV.
  EXPECT_GT(sink.samples.size(), 100u);
  for (std::size_t i = 1; i < sink.samples.size(); ++i) {
    const RunSample &a = sink.samples[i - 1], &b = sink.samples[i];
    const bool protocol = b[slot::Time] == 10.0f || b[slot::Time] == 60.0f ||
                          b[slot::Time] == 80.0f;
    if (!protocol) {
      EXPECT_GT(std::fabs(b[slot::V] - a[slot::V]), 1.0f) << b[slot::Time];
    }
  }
}

TEST_F(RunDriver, RejectedStepOnAProtocolTimeRecordsItAgain) {
  // The 100 nA step ends at 60 ms: the first step after it changes V fast and
  // is rejected while t still sits on the offset.
  params.SetValue(param::InjectedCurrent, 100.0f);
  const RunResult r = Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed);
  EXPECT_GE(SamplesAt(60.0f), 2);
}

TEST_F(RunDriver, PumpRunsAfterEverySampleAndChangesTakeEffect) {
  long pumped = 0;
  Run([&] {
    ++pumped;
    params.SetValue(param::gNa, 0.0f);  // as if edited in a dialog during the run
  });
  EXPECT_EQ(pumped, static_cast<long>(sink.samples.size()));
  EXPECT_TRUE(test::SpikeTimes(sink.samples).empty());
}

TEST_F(RunDriver, StopEndsTheRunAfterThePass) {
  const RunResult r = Run([&] { flags.stop = sink.samples.size() == 3; });
  EXPECT_EQ(r.outcome, RunOutcome::Stopped);
  EXPECT_EQ(sink.samples.size(), 3u);
}

TEST_F(RunDriver, WindowClosingWinsOverStop) {
  const RunResult r = Run([&] { flags.stop = flags.windowClosing = true; });
  EXPECT_EQ(r.outcome, RunOutcome::WindowClosed);
  EXPECT_EQ(sink.samples.size(), 1u);
}

TEST_F(RunDriver, RecordedSlotsComeFromTheAcceptedState) {
  params.SetValue(param::Gate1, 0.0f);   // V
  params.SetValue(param::Gate2, 2.5f);   // no such index: the slot keeps 0
  params.SetValue(param::Gate3, 15.0f);  // T-shell calcium
  Run();
  for (const RunSample& s : sink.samples) {
    EXPECT_EQ(s[slot::Gate1], s[slot::V]);
    EXPECT_EQ(s[slot::Gate2], 0.0f);
    EXPECT_EQ(s[slot::Gate3], kCalciumFloor);
    // No calcium current: the [Ca++]-i trace shows the floor, 0.05 µM.
    EXPECT_FLOAT_EQ(s[slot::Calcium], 0.05f);
  }
}

TEST_F(RunDriver, ConcentrationFloorStaysInTheParameters) {
  params.SetValue(param::MgOut, 0.0f);
  params.SetValue(param::ClIn, 0.0f);
  ASSERT_EQ(Run().outcome, RunOutcome::Completed);
  EXPECT_EQ(params.Value(param::MgOut), 1e-9f);
  EXPECT_EQ(params.Value(param::ClIn), 1e-9f);
}

TEST_F(RunDriver, NoConductanceAtAllChargesTheCapacitor) {
  for (int k : {param::gNa, param::gK, param::pKleak, param::pNaleak}) params.SetValue(k, 0.0f);
  const RunResult r = Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed);
  // V holds outside the 2 nA step and rises by 2 nA · 50 ms / 0.29 nF in it
  // (the current is felt from the first step after the onset, a hundredth of
  // the step before it later: at most 0.02 ms, 0.14 mV here).
  for (const RunSample& s : sink.samples) {
    const float t = s[slot::Time];
    const float charged = 2.0f * (std::clamp(t, 10.0f, 60.0f) - 10.0f) / 0.29f;
    ASSERT_LE(s[slot::V], -65.0f + charged + 1e-3f * charged) << t;
    ASSERT_GE(s[slot::V], -65.0f + charged - 0.15f - 1e-3f * charged) << t;
  }
  EXPECT_NEAR(sink.samples.back()[slot::V], -65.0f + 100.0f / 0.29f, 0.5f);
}

TEST_F(RunDriver, SettingsARunCannotUseAreRefused) {
  params.SetValue(param::KOut, 0.0f);  // would be floored by a run that starts
  params.SetValue(param::Model, 0.0f);
  ExpectRefused("Model");
  params.SetValue(param::Model, 5.0f);
  ExpectRefused("Model");
  params.SetValue(param::Model, 1.0f);

  params.SetValue(param::MembraneArea, 0.0f);
  ExpectRefused("Membrane area");
  params.SetValue(param::MembraneArea, 29000.0f);
  params.SetValue(param::Depth, -0.1f);
  ExpectRefused("depth");
  params.SetValue(param::Depth, 0.1f);
  params.SetValue(param::TrialDuration, 0.0f);
  ExpectRefused("Trial duration");
  params.SetValue(param::TrialDuration, std::numeric_limits<float>::infinity());
  ExpectRefused("Trial duration");
  params.SetValue(param::TrialDuration, 80.0f);
  params.SetValue(param::MaxDtForPlot, 0.0f);
  ExpectRefused("Maximum dt for plot");
  params.SetValue(param::MaxDtForPlot, 1.0f);
  params.SetValue(param::MaxChangeInGates, std::nanf(""));
  ExpectRefused("Max %change in gates");
  params.SetValue(param::MaxChangeInGates, 1e-30f);  // would crawl for minutes
  ExpectRefused("Max %change in gates");
  params.SetValue(param::MaxChangeInGates, 50.0f);
  params.SetValue(param::Temperature, -300.0f);
  ExpectRefused("temperature");
}

TEST_F(RunDriver, InfiniteConcentrationIsRefused) {
  params.SetValue(param::NaOut, std::numeric_limits<float>::infinity());
  const RunResult r = Run();
  EXPECT_EQ(r.outcome, RunOutcome::Refused);
  EXPECT_NE(r.message.find("E_Na"), std::string::npos) << r.message;
  EXPECT_TRUE(sink.samples.empty());
}

TEST_F(RunDriver, BrokenGateTableEndsTheRunWithoutWritingNaN) {
  GateTable broken = gates;
  broken.Row(gate::hNa).D = std::nanf("");
  const RunResult r = RunTrial(params, broken, sink, flags);
  EXPECT_EQ(r.outcome, RunOutcome::Failed);
  EXPECT_NE(r.message.find("hNa"), std::string::npos) << r.message;
  EXPECT_TRUE(sink.samples.empty());
}

TEST_F(RunDriver, BreakdownDuringTheRunKeepsTheGoodSamples) {
  GateTable table = gates;
  long pumped = 0;
  const RunResult r = RunTrial(params, table, sink, flags, [&] {
    if (++pumped == 5) table.Row(gate::mK).A = std::numeric_limits<float>::infinity();
  });
  EXPECT_EQ(r.outcome, RunOutcome::Failed);
  EXPECT_NE(r.message.find("t = "), std::string::npos) << r.message;
  EXPECT_GE(sink.samples.size(), 5u);
  for (const RunSample& s : sink.samples)
    for (float value : s) ASSERT_TRUE(std::isfinite(value));
}

TEST_F(RunDriver, AStepThatCollapsesEndsTheRun) {
  // Set to 0 during the run (the check at the start cannot see it): every
  // error is then infinitely over the limit and the step shrinks to 0.
  const RunResult r = Run([&] {
    if (sink.samples.size() == 3) params.SetValue(param::MaxChangeInGates, 0.0f);
  });
  EXPECT_EQ(r.outcome, RunOutcome::Failed);
  EXPECT_NE(r.message.find("time step"), std::string::npos) << r.message;
  EXPECT_EQ(sink.samples.size(), 3u);
}

TEST(ProgressGuard, EndsOnlyARunThatCannotMove) {
  ProgressGuard guard;
  EXPECT_TRUE(guard.Update(0.0f, 0.0f, 0.005f, true));  // the initialisation pass
  for (long i = 0; i < ProgressGuard::kStalledPassLimit; ++i)
    ASSERT_TRUE(guard.Update(5.0f, 5.0f, 1e-9f, false));
  EXPECT_TRUE(guard.Update(5.0f, 5.001f, 1e-3f, false));  // moving again resets it
  for (long i = 0; i < ProgressGuard::kStalledPassLimit; ++i)
    ASSERT_TRUE(guard.Update(5.001f, 5.001f, 1e-9f, false));
  EXPECT_FALSE(guard.Update(5.001f, 5.001f, 1e-9f, false));

  ProgressGuard fresh;
  EXPECT_FALSE(fresh.Update(1.0f, 1.1f, 0.0f, false));
  EXPECT_FALSE(fresh.Update(1.0f, 1.1f, std::nanf(""), false));
}

}  // namespace
}  // namespace vantor
