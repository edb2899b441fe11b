// The measuring helpers on hand-made recordings, where the right answer is
// known exactly.
#include <gtest/gtest.h>

#include <cmath>

#include "spike_measures.h"

namespace vantor::gallery {
namespace {

std::vector<RunSample> Recording(std::initializer_list<std::pair<float, float>> points) {
  std::vector<RunSample> s;
  for (const auto& [t, v] : points) {
    RunSample x{};
    x[0] = t;
    x[1] = v;
    s.push_back(x);
  }
  return s;
}

TEST(SpikeMeasures, CountsEachCrossingOnceAndInterpolatesItsTime) {
  // Two spikes; between them a wobble around the threshold that never falls
  // 5 mV below it must not count as a third.
  const auto s = Recording({{0, -60}, {1, -40}, {2, 0}, {3, -60}, {4, -30}, {5, 10},
                            {6, -22}, {7, -18}, {8, -60}});
  const std::vector<float> t = SpikeTimes(s);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_FLOAT_EQ(t[0], 1.5f);   // -40 -> 0 crosses -20 half-way
  EXPECT_FLOAT_EQ(t[1], 4.25f);  // -30 -> 10 crosses -20 a quarter of the way
  EXPECT_EQ(SpikeCount(s, 2.0f, 10.0f), 1u);
  EXPECT_EQ(SpikeCount(s, 0.0f, 1.5f), 0u);  // the window's end is open
  const std::vector<float> isi = Intervals(t);
  ASSERT_EQ(isi.size(), 1u);
  EXPECT_FLOAT_EQ(isi[0], 2.75f);
}

TEST(SpikeMeasures, ARecordingThatStartsAboveThresholdDoesNotCountItsStart) {
  const auto s = Recording({{0, -10}, {1, 0}, {2, -50}, {3, 5}, {4, -60}});
  const std::vector<float> t = SpikeTimes(s);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_GT(t[0], 2.0f);
}

TEST(SpikeMeasures, WidthsExtremesAndInterpolatedPotential) {
  const auto s = Recording({{0, -60}, {1, -20}, {2, 20}, {3, -20}, {5, -60}, {6, -70}});
  const std::vector<float> w = SpikeWidths(s);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_FLOAT_EQ(w[0], 2.0f);
  EXPECT_FLOAT_EQ(Highest(s, 0, 6).v, 20.0f);
  EXPECT_FLOAT_EQ(Highest(s, 0, 6).t, 2.0f);
  EXPECT_FLOAT_EQ(Lowest(s, 0, 6).v, -70.0f);
  EXPECT_FLOAT_EQ(Lowest(s, 0, 4).v, -60.0f);
  EXPECT_TRUE(std::isnan(Lowest(s, 7, 9).v));  // no samples there
  EXPECT_FLOAT_EQ(PotentialAt(s, 4.0f), -40.0f);
  EXPECT_TRUE(std::isnan(PotentialAt(s, 6.5f)));
}

}  // namespace
}  // namespace vantor::gallery
