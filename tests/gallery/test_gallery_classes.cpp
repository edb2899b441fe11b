// The measures of every gallery example read as its text in docs/gallery.md
// says: the class, and the window a rate is taken over.
#include <gtest/gtest.h>

#include "gallery_run.h"
#include "vantor/analysis/measured_run.h"

namespace vantor::gallery {
namespace {

struct Expected {
  const char* file;
  ActivityClass activity;
  int spikes;  // over the whole trial
};

TEST(GalleryMeasures, EachExampleHasTheClassItsTextGives) {
  const Expected examples[] = {
      {"default.vt4", ActivityClass::Tonic, 5},
      {"rebound-burst.vt4", ActivityClass::Bursting, 4},  // four sodium spikes on the calcium spike
      {"a-current-delay.vt4", ActivityClass::Tonic, 6},
      {"h-sag.vt4", ActivityClass::Silent, 0},
      {"ahp-adaptation.vt4", ActivityClass::Tonic, 11},
      {"m-adaptation.vt4", ActivityClass::Tonic, 15},
      {"nap-plateau.vt4", ActivityClass::DepolarisationBlock, 1},  // one spike, then the plateau
      {"epsp-train.vt4", ActivityClass::Tonic, 5},      // the last five EPSPs fire
      {"nmda-magnesium.vt4", ActivityClass::Silent, 0},
      {"nmda-no-magnesium.vt4", ActivityClass::Silent, 0},
      {"ipsp-train.vt4", ActivityClass::Tonic, 12},     // a firing cell, silenced for a while
      {"synaptic-trains.vt4", ActivityClass::Tonic, 4},
      {"temperature-22.vt4", ActivityClass::Tonic, 2},
      {"temperature-35.vt4", ActivityClass::Tonic, 4},
  };
  for (const Expected& e : examples) {
    const MeasuredRun run = MeasureTrial(LoadExample(e.file), ShippedGates());
    ASSERT_EQ(run.outcome, RunOutcome::Completed) << e.file << ": " << run.message;
    EXPECT_EQ(ActivityClassName(run.measures.activity), std::string(ActivityClassName(e.activity)))
        << e.file;
    EXPECT_EQ(run.measures.spikes, e.spikes) << e.file;
  }
}

TEST(GalleryMeasures, TheWindowIsTheStepThatIsOnElseTheTrial) {
  // No step: the whole trial, and latency from the first EPSP (at 20 ms).
  const Measures epsp = MeasureTrial(LoadExample("epsp-train.vt4"), ShippedGates()).measures;
  EXPECT_EQ(epsp.window.from, 0);
  EXPECT_EQ(epsp.window.to, 200);
  EXPECT_NEAR(epsp.rateHz, 25, 1e-9);
  EXPECT_NEAR(epsp.latencyMs + 20, 75.2, 0.1);  // the first spike through -20 mV
  // A hyperpolarising step: from its onset to the end, where its rebound comes.
  const Measures rebound = MeasureTrial(LoadExample("rebound-burst.vt4"), ShippedGates()).measures;
  EXPECT_EQ(rebound.window.from, 40);
  EXPECT_EQ(rebound.window.to, 250);
  // A window given replaces it; the latency still counts from the step's onset.
  MeasureSettings given;
  given.windowGiven = true, given.from = 30, given.to = 60;
  const Measures late = MeasureTrial(LoadExample("default.vt4"), ShippedGates(), given).measures;
  EXPECT_EQ(late.window.from, 30);
  EXPECT_NEAR(late.rateHz, 3 * 1000.0 / 30, 1e-9);
  EXPECT_GT(late.latencyMs, 20);
}

TEST(GalleryMeasures, SpikeShapesOfTheBuiltInTrain) {
  const MeasuredRun run = MeasureTrial(LoadExample("default.vt4"), ShippedGates(), {}, true);
  ASSERT_EQ(run.spikeList.size(), 5u);
  for (const Spike& s : run.spikeList) {
    EXPECT_LT(s.onsetMv, -35);
    EXPECT_GT(s.onsetMv, -50);
    EXPECT_GT(s.Amplitude(), 30);
    EXPECT_GT(s.halfWidthMs, 0.3);
    EXPECT_LT(s.halfWidthMs, 1.5);
    EXPECT_GT(s.maxDvdt, 100);
    EXPECT_GT(s.AhpDepth(), 10);  // the reset to about -55 mV
    EXPECT_GT(s.ahpTime, 0.5);
  }
  EXPECT_NEAR(run.measures.amplitudeMv,
              (run.spikeList[0].Amplitude() + run.spikeList[1].Amplitude() + run.spikeList[2].Amplitude() +
               run.spikeList[3].Amplitude() + run.spikeList[4].Amplitude()) / 5, 1e-9);
}

}  // namespace
}  // namespace vantor::gallery
