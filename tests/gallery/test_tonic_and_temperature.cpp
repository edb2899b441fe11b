// Tonic firing under the built-in step, and the same step at two temperatures.
#include <gtest/gtest.h>

#include <numeric>

#include "gallery_run.h"
#include "spike_measures.h"

namespace vantor::gallery {
namespace {

float Mean(const std::vector<float>& x) {
  return x.empty() ? 0.0f : std::accumulate(x.begin(), x.end(), 0.0f) / x.size();
}

TEST(Gallery, TonicFiringWhoseRateFollowsTheStep) {
  const Recording rec = RunExample("default.vt4");  // step of 2 nA from 10 to 60 ms
  const std::vector<float> spikes = SpikeTimes(rec.samples);
  ASSERT_GE(spikes.size(), 4u);
  EXPECT_GT(spikes.front(), 10.0f);
  EXPECT_LT(spikes.back(), 60.0f);
  // Regular: after the first, every interval within 5 % of the last.
  const std::vector<float> isi = Intervals(spikes);
  for (std::size_t i = 1; i < isi.size(); ++i) EXPECT_NEAR(isi[i], isi.back(), 0.05f * isi.back());

  // A larger step fires faster; half the step stays below threshold.
  const std::size_t atHalf = SpikeCount(RunExample("default.vt4", {{param::InjectedCurrent, 1}}).samples);
  const std::size_t at3 = SpikeCount(RunExample("default.vt4", {{param::InjectedCurrent, 3}}).samples);
  const std::size_t at4 = SpikeCount(RunExample("default.vt4", {{param::InjectedCurrent, 4}}).samples);
  EXPECT_EQ(atHalf, 0u);
  EXPECT_GE(at3, spikes.size() + 2);
  EXPECT_GT(at4, at3);
}

TEST(Gallery, TheSameStepAtLowTemperatureGivesFewerWiderSpikes) {
  const Recording warm = RunExample("temperature-35.vt4");
  const Recording cool = RunExample("temperature-22.vt4");
  const std::vector<float> warmWidths = SpikeWidths(warm.samples);
  const std::vector<float> coolWidths = SpikeWidths(cool.samples);
  ASSERT_GE(warmWidths.size(), 3u);
  ASSERT_GE(coolWidths.size(), 1u);
  // Every gate is about 3.5 times slower at 22 than at 35 degrees.
  EXPECT_GE(Mean(coolWidths), 2.0f * Mean(warmWidths));
  EXPECT_GE(2 * warmWidths.size(), 3 * coolWidths.size());  // at least 1.5 times the rate
}

}  // namespace
}  // namespace vantor::gallery
