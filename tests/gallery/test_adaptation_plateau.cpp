// Spike-frequency adaptation by the AHP and by the M current, and the plateau
// held by the persistent sodium current; each against its channel switched off.
#include <gtest/gtest.h>

#include "gallery_run.h"
#include "spike_measures.h"

namespace vantor::gallery {
namespace {

// Last interval over first, of the spikes during the step.
float Adaptation(const Recording& rec, const ParameterSet& p) {
  const std::vector<float> isi = Intervals(
      SpikeTimes(rec.samples, p.Value(param::StepOnset), p.Value(param::StepOffset)));
  EXPECT_GE(isi.size(), 3u);
  if (isi.size() < 3) return 0.0f;
  return isi.back() / isi.front();
}

TEST(Gallery, AhpCurrentSlowsTheFiring) {
  const char* file = "ahp-adaptation.vt4";
  const ParameterSet p = LoadExample(file);
  ASSERT_NE(p.Value(param::pL), 0.0f);  // the AHP gate follows the L-channel calcium
  EXPECT_GE(Adaptation(RunExample(file), p), 1.5f);
  EXPECT_LT(Adaptation(RunExample(file, {{param::gAHP, 0}}), p), 1.1f);
}

TEST(Gallery, MCurrentSlowsTheFiring) {
  const char* file = "m-adaptation.vt4";
  const ParameterSet p = LoadExample(file);
  EXPECT_GE(Adaptation(RunExample(file), p), 1.5f);
  EXPECT_LT(Adaptation(RunExample(file, {{param::gM, 0}}), p), 1.1f);
}

TEST(Gallery, PersistentSodiumHoldsAPlateauAfterABriefStep) {
  const char* file = "nap-plateau.vt4";
  const ParameterSet p = LoadExample(file);
  const float onset = p.Value(param::StepOnset), offset = p.Value(param::StepOffset);
  const float end = p.Value(param::TrialDuration);
  ASSERT_GE(end - offset, 100.0f);

  const Recording rec = RunExample(file);
  EXPECT_LT(Highest(rec.samples, 0.0f, onset).v, -70.0f);  // at rest before the step
  // From 20 ms after the step to the end of the trial, far above rest.
  EXPECT_GT(Lowest(rec.samples, offset + 20.0f, end).v, -45.0f);

  const Recording noNap = RunExample(file, {{param::gNap, 0}});
  const float rest = PotentialAt(noNap.samples, onset - 1.0f);
  EXPECT_LT(Highest(noNap.samples, offset + 20.0f, end).v, rest + 2.0f);
}

}  // namespace
}  // namespace vantor::gallery
