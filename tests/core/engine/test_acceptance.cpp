// The whole cell with the built-in parameters: a train of action potentials
// during the current step, a quiet membrane outside it, the three methods in
// agreement, and a tightly controlled run against an independent solver.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/stage.h"
#include "engine_fixtures.h"
#include "reference_cell.h"

namespace vantor {
namespace {

struct Trace {
  RunResult result;
  std::vector<RunSample> samples;
  std::vector<float> spikes;
};

Trace RunWith(float model, float maxChange = 50.0f) {
  ParameterSet params;
  params.SetValue(param::Model, model);
  params.SetValue(param::MaxChangeInGates, maxChange);
  test::KeepingSink sink;
  Trace trace;
  RunFlags flags;
  trace.result = RunTrial(params, test::ShippedGates(), sink, flags);
  trace.samples = std::move(sink.samples);
  trace.spikes = test::SpikeTimes(trace.samples);
  return trace;
}

TEST(Acceptance, TrainOfActionPotentialsDuringTheStep) {
  const Trace run = RunWith(1.0f);
  ASSERT_EQ(run.result.outcome, RunOutcome::Completed);
  ASSERT_GE(run.spikes.size(), 3u);
  for (float t : run.spikes) {
    EXPECT_GT(t, 10.0f);
    EXPECT_LT(t, 60.0f);
  }
  float peak = -1000.0f;
  for (const RunSample& s : run.samples) {
    const float t = s[slot::Time], v = s[slot::V];
    peak = std::max(peak, v);
    if (t <= 10.0f) {
      EXPECT_NEAR(v, -65.0f, 1.0f) << t;  // at rest before the step
    } else if (t >= 70.0f) {
      EXPECT_NEAR(v, -65.0f, 2.0f) << t;  // and again after it
    }
    EXPECT_TRUE(v > -101.0f && v < 41.0f) << t;  // within E_K .. E_Na
  }
  EXPECT_GT(peak, 0.0f);  // overshoot
}

TEST(Acceptance, MethodsAgreeOnTheSpikes) {
  const Trace euler = RunWith(1.0f);
  for (float model : {2.0f, 3.0f}) {
    const Trace other = RunWith(model);
    ASSERT_EQ(other.result.outcome, RunOutcome::Completed);
    ASSERT_EQ(other.spikes.size(), euler.spikes.size()) << model;
    for (std::size_t i = 0; i < euler.spikes.size(); ++i)
      EXPECT_NEAR(other.spikes[i], euler.spikes[i], 0.5f) << model << " spike " << i;
  }
}

TEST(Acceptance, TightStepControlMatchesAnIndependentSolver) {
  const std::vector<double> reference = test::ReferenceCell().SpikeTimes();
  ASSERT_GE(reference.size(), 3u);
  for (float model : {1.0f, 2.0f, 3.0f}) {
    const Trace tight = RunWith(model, 0.5f);
    ASSERT_EQ(tight.spikes.size(), reference.size()) << model;
    for (std::size_t i = 0; i < reference.size(); ++i)
      EXPECT_NEAR(tight.spikes[i], reference[i], 0.1) << model << " spike " << i;
  }
}

}  // namespace
}  // namespace vantor
