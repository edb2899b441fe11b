// A stimulus sampled for its picture: jumps at both sides of every edge, the
// parameters' own step in current clamp only, a family's step amplitude.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "vantor/engine/stimulus_trace.h"

namespace vantor {
namespace {

// The level just before and just after t, from the points at t.
std::pair<double, double> AroundEdge(const StimulusTrace& trace, double t) {
  const auto first = std::find(trace.times.begin(), trace.times.end(), t);
  EXPECT_NE(first, trace.times.end()) << t;
  const std::size_t i = static_cast<std::size_t>(first - trace.times.begin());
  EXPECT_LT(i + 1, trace.times.size());
  EXPECT_EQ(trace.times[i + 1], t);
  return {trace.levels[i], trace.levels[i + 1]};
}

TEST(StimulusTrace, EdgesFromBothSidesAndTheParametersStepInCurrentClampOnly) {
  ParameterSet params;
  params.SetValue(param::TrialDuration, 100);
  params.SetValue(param::BaseCurrent, 0.25f);
  params.SetValue(param::StepOnset, 20);
  params.SetValue(param::StepOffset, 70);
  params.SetValue(param::InjectedCurrent, 1);
  Stimulus s;
  Segment step;
  step.onset = 33.3;
  step.offset = 50;
  step.level = 2;
  s.segments.push_back(step);

  const StimulusTrace current = SampleStimulus(s, params, std::nullopt, 101);
  ASSERT_TRUE(std::is_sorted(current.times.begin(), current.times.end()));
  EXPECT_EQ(current.times.front(), 0);
  EXPECT_EQ(current.times.back(), 100);
  EXPECT_EQ(AroundEdge(current, 20), std::make_pair(0.25, 1.25));
  EXPECT_EQ(AroundEdge(current, 33.3), std::make_pair(1.25, 3.25));  // between grid points
  EXPECT_EQ(AroundEdge(current, 50), std::make_pair(3.25, 1.25));
  EXPECT_EQ(AroundEdge(current, 70), std::make_pair(1.25, 0.25));
  // A family member's step amplitude replaces the parameters'.
  EXPECT_EQ(AroundEdge(SampleStimulus(s, params, -0.5, 101), 20), std::make_pair(0.25, -0.25));

  s.mode = ClampMode::Voltage;
  s.holding = -70;
  const StimulusTrace voltage = SampleStimulus(s, params, std::nullopt, 101);
  EXPECT_EQ(std::count(voltage.times.begin(), voltage.times.end(), 20.0), 1);  // no step of its own
  EXPECT_EQ(AroundEdge(voltage, 33.3), std::make_pair(-70.0, -68.0));
  EXPECT_EQ(*std::max_element(voltage.levels.begin(), voltage.levels.end()), -68);
}

TEST(StimulusTrace, TooManyEdgesAreLeftToTheGrid) {
  ParameterSet params;
  params.SetValue(param::TrialDuration, 100);
  params.SetValue(param::InjectedCurrent, 0);
  Stimulus s;
  Segment train;
  train.kind = SegmentKind::Train;
  train.onset = 1;
  train.count = 1000;
  train.width = 0.05;
  train.interval = 0.09;
  train.amplitude = 1;
  s.segments.push_back(train);
  EXPECT_EQ(SampleStimulus(s, params, std::nullopt, 500, 100).times.size(), 500u);
  EXPECT_GT(SampleStimulus(s, params, std::nullopt, 500, 4000).times.size(), 4000u);
}

}  // namespace
}  // namespace vantor
