// Runs driven by a stimulus: a segment step is the parameters' step, edges
// are landed on, noise follows its seed, and the voltage clamp holds V
// (ideally, or through its series resistance).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/stimulus_drive.h"
#include "engine_fixtures.h"
#include "vantor/engine/stimulus.h"

namespace vantor {
namespace {

class KeepingDrive : public DriveSink {
 public:
  void Drive(double c, double i) override {
    command.push_back(c);
    current.push_back(i);
  }
  std::vector<double> command, current;
};

struct Trace {
  RunResult result;
  std::vector<RunSample> samples;
  KeepingDrive drive;
};

Trace RunWith(ParameterSet params, const Stimulus* stimulus, float model) {
  static const GateTable gates = test::ShippedGates();
  params.SetValue(param::Model, model);
  Trace run;
  test::KeepingSink sink;
  RunFlags flags;
  RunTuning tuning;
  tuning.stimulus = stimulus;
  tuning.drive = &run.drive;
  run.result = RunTrial(params, gates, sink, flags, {}, tuning);
  run.samples = std::move(sink.samples);
  return run;
}

Segment Step(double onset, double offset, double level) {
  Segment s;
  s.onset = onset, s.offset = offset, s.level = level;
  return s;
}

bool HasSampleAt(const Trace& run, double t) {
  return std::any_of(run.samples.begin(), run.samples.end(),
                     [&](const RunSample& s) { return s[slot::Time] == static_cast<float>(t); });
}

TEST(StimulusRun, SegmentStepDrivesAsTheParametersStep) {
  ParameterSet params;
  ParameterSet without = params;
  without.SetValue(param::InjectedCurrent, 0.0f);
  Stimulus stimulus;
  stimulus.segments = {Step(params.Value(param::StepOnset), params.Value(param::StepOffset),
                            params.Value(param::InjectedCurrent))};
  // Method 4 sums the same doubles at the same times: the same run exactly.
  const Trace a = RunWith(params, nullptr, 4), b = RunWith(without, &stimulus, 4);
  ASSERT_EQ(b.result.outcome, RunOutcome::Completed) << b.result.message;
  ASSERT_EQ(a.samples.size(), b.samples.size());
  EXPECT_TRUE(a.samples == b.samples);
  ASSERT_EQ(b.drive.current.size(), b.samples.size());
  EXPECT_EQ(*std::max_element(b.drive.current.begin(), b.drive.current.end()), 2.0);
  // Method 1 takes each segment's value in the middle of the step, so it
  // only differs in the step right at the onset.
  const auto spikesA = test::SpikeTimes(RunWith(params, nullptr, 1).samples);
  const auto spikesB = test::SpikeTimes(RunWith(without, &stimulus, 1).samples);
  ASSERT_EQ(spikesA.size(), spikesB.size());
  ASSERT_GT(spikesA.size(), 2u);
  for (std::size_t i = 0; i < spikesA.size(); ++i) EXPECT_NEAR(spikesA[i], spikesB[i], 0.05);
}

TEST(StimulusRun, EveryMethodLandsOnEachPulseEdge) {
  ParameterSet params;
  params.SetValue(param::InjectedCurrent, 0.0f);
  Stimulus stimulus;
  Segment train;
  train.kind = SegmentKind::Train;
  train.onset = 12.3, train.count = 4, train.width = 0.7, train.interval = 9.1;
  train.amplitude = 20;
  stimulus.segments = {train};
  for (float model : {1.0f, 3.0f, 4.0f}) {
    const Trace run = RunWith(params, &stimulus, model);
    ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
    for (int k = 0; k < 4; ++k) {
      EXPECT_TRUE(HasSampleAt(run, 12.3 + k * 9.1)) << model << " pulse " << k;
      EXPECT_TRUE(HasSampleAt(run, 12.3 + k * 9.1 + 0.7)) << model << " pulse " << k;
    }
    EXPECT_EQ(test::SpikeTimes(run.samples).size(), 4u) << model;
  }
}

TEST(StimulusRun, NoiseFollowsItsSeedAndItsSpread) {
  Segment noise;
  noise.kind = SegmentKind::Noise;
  noise.onset = 0, noise.offset = 100000, noise.mean = 0.5, noise.sd = 0.2, noise.tau = 2;
  noise.seed = 7;
  Stimulus stimulus;
  stimulus.segments = {noise};
  const StimulusDrive drive(stimulus, 100000);
  double sum = 0, squares = 0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const double v = drive.Level(0.25 + i * 0.5);
    sum += v, squares += v * v;
  }
  const double mean = sum / n, sd = std::sqrt(squares / n - mean * mean);
  EXPECT_NEAR(mean, 0.5, 0.01);
  EXPECT_NEAR(sd, 0.2, 0.01);

  ParameterSet params;
  stimulus.segments[0].offset = 80;
  const Trace a = RunWith(params, &stimulus, 4), b = RunWith(params, &stimulus, 4);
  EXPECT_TRUE(a.samples == b.samples);
  stimulus.segments[0].seed = 8;
  EXPECT_FALSE(RunWith(params, &stimulus, 4).samples == a.samples);
}

TEST(StimulusRun, IdealClampHoldsTheCommandAndPassesTheIonicCurrent) {
  ParameterSet params;
  params.SetValue(param::MaxDtForPlot, 0.05f);
  Stimulus stimulus;
  stimulus.mode = ClampMode::Voltage;
  stimulus.holding = -70;
  stimulus.segments = {Step(10, 40, 70)};  // to 0 mV
  for (float model : {1.0f, 4.0f}) {
    const Trace run = RunWith(params, &stimulus, model);
    ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
    ASSERT_EQ(run.drive.command.size(), run.samples.size());
    double peak = 0, late = 0;
    for (std::size_t i = 0; i < run.samples.size(); ++i) {
      const float t = run.samples[i][slot::Time];
      EXPECT_NEAR(run.samples[i][slot::V], run.drive.command[i], 1e-3) << model << " at " << t;
      if (t > 10 && t < 13) peak = std::min(peak, run.drive.current[i]);
      if (t > 38 && t < 40) late = run.drive.current[i];
    }
    EXPECT_LT(peak, -1.0) << model;  // sodium, inward
    EXPECT_GT(late, 1.0) << model;   // potassium, outward
    // Without sodium no inward current remains.
    ParameterSet blocked = params;
    blocked.SetValue(param::gNa, 0.0f);
    const Trace control = RunWith(blocked, &stimulus, model);
    for (std::size_t i = 0; i < control.samples.size(); ++i)
      if (control.samples[i][slot::Time] > 10 && control.samples[i][slot::Time] < 40) {
        EXPECT_GT(control.drive.current[i], -0.05);
      }
  }
}

// The time V takes to come halfway to a 20 mV step through Rs (passive cell).
double HalfTime(double rs, float model) {
  ParameterSet params;
  params.SetValue(param::gNa, 0.0f);
  params.SetValue(param::gK, 0.0f);
  Stimulus stimulus;
  stimulus.mode = ClampMode::Voltage;
  stimulus.holding = -70;
  stimulus.seriesResistance = rs;
  stimulus.segments = {Step(10, 70, 20)};
  const Trace run = RunWith(params, &stimulus, model);
  EXPECT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
  // What the leak draws through Rs stays as an error.
  EXPECT_NEAR(run.samples.back()[slot::V], -70, 0.6 * rs);
  for (std::size_t i = 1; i < run.samples.size(); ++i) {
    const auto& s = run.samples[i];
    if (s[slot::Time] > 50 && s[slot::Time] < 70) {
      EXPECT_NEAR(s[slot::V], -50, 0.6 * rs);
    }
    if (s[slot::Time] > 10 && s[slot::V] > -60) return s[slot::Time] - 10.0;
  }
  return 0;
}

TEST(StimulusRun, SeriesResistanceSlowsTheClamp) {
  for (float model : {1.0f, 4.0f}) {
    const double fast = HalfTime(2, model), slow = HalfTime(4, model);
    EXPECT_GT(fast, 0.1) << model;
    EXPECT_NEAR(slow / fast, 2.0, 0.3) << model;
  }
}


// Through a series resistance the sodium current outruns the clamp: the
// spike escapes above the command, which an ideal clamp never allows.
TEST(StimulusRun, ASpikeEscapesAClampWithSeriesResistance) {
  Stimulus stimulus;
  stimulus.mode = ClampMode::Voltage;
  stimulus.holding = -70;
  stimulus.segments = {Step(10, 60, 30)};  // to -40 mV
  for (float model : {1.0f, 4.0f}) {
    for (double rs : {0.0, 2.0}) {
      stimulus.seriesResistance = rs;
      const Trace run = RunWith(ParameterSet(), &stimulus, model);
      ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
      float highest = -1000;
      for (const RunSample& s : run.samples) highest = std::max(highest, s[slot::V]);
      if (rs == 0)
        EXPECT_NEAR(highest, -40, 1e-3) << model;
      else
        EXPECT_GT(highest, 0) << model;
    }
  }
}

}  // namespace
}  // namespace vantor
