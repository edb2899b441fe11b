// The three experiments that start from a hyperpolarised membrane: the
// rebound burst (T current), the delayed first spike (A current) and the
// sag (H current). Each is checked against the same file with its channel off.
#include <gtest/gtest.h>

#include "gallery_run.h"
#include "spike_measures.h"

namespace vantor::gallery {
namespace {

TEST(Gallery, ReboundBurstIsCarriedByTheTCurrent) {
  const char* file = "rebound-burst.vt4";
  const ParameterSet p = LoadExample(file);
  const float onset = p.Value(param::StepOnset), offset = p.Value(param::StepOffset);
  ASSERT_LT(p.Value(param::InjectedCurrent), 0.0f);

  const Recording rec = RunExample(file);
  EXPECT_EQ(SpikeCount(rec.samples, 0.0f, offset), 0u);  // silent before and during the step
  const std::vector<float> burst = SpikeTimes(rec.samples, offset, offset + 60.0f);
  EXPECT_GE(burst.size(), 2u);
  // A burst, not tonic firing: its spikes come close together.
  for (float isi : Intervals(burst)) EXPECT_LT(isi, 15.0f);
  EXPECT_LT(Lowest(rec.samples, onset, offset).v, -90.0f);  // the step deinactivates T

  const Recording noT = RunExample(file, {{param::pT, 0}});
  EXPECT_EQ(SpikeCount(noT.samples), 0u);
}

TEST(Gallery, ACurrentDelaysTheFirstSpike) {
  const char* file = "a-current-delay.vt4";
  const float onset = LoadExample(file).Value(param::StepOnset);
  const std::vector<float> withA = SpikeTimes(RunExample(file).samples);
  const std::vector<float> noA = SpikeTimes(RunExample(file, {{param::gA, 0}}).samples);
  ASSERT_FALSE(withA.empty());
  ASSERT_FALSE(noA.empty());
  EXPECT_GT(noA.front(), onset);
  EXPECT_GE(withA.front() - onset, 2.0f * (noA.front() - onset));
}

TEST(Gallery, HCurrentSagsDuringTheStepAndReboundsAfterIt) {
  const char* file = "h-sag.vt4";
  const ParameterSet p = LoadExample(file);
  const float onset = p.Value(param::StepOnset), offset = p.Value(param::StepOffset);
  const float end = p.Value(param::TrialDuration);

  struct Shape {
    float recovery;  // from the lowest point of the step to its end
    float rebound;   // highest point after the step above the potential before it
  };
  auto shape = [&](const Recording& rec) {
    const Extreme low = Lowest(rec.samples, onset, offset);
    const float before = PotentialAt(rec.samples, onset - 1.0f);
    return Shape{PotentialAt(rec.samples, offset - 0.5f) - low.v,
                 Highest(rec.samples, offset, end).v - before};
  };

  const Shape withH = shape(RunExample(file));
  const Shape noH = shape(RunExample(file, {{param::gH, 0}}));
  EXPECT_GE(withH.recovery, 3.0f);
  EXPECT_GE(withH.rebound, 2.0f);
  EXPECT_LT(noH.recovery, 0.5f);
  EXPECT_LT(noH.rebound, 0.5f);
}

}  // namespace
}  // namespace vantor::gallery
