// The synaptic experiments: an EPSP train summing to firing, the magnesium
// block of an NMDA-dominated EPSP, and an IPSP train silencing a firing cell.
#include <gtest/gtest.h>

#include "gallery_run.h"
#include "spike_measures.h"

namespace vantor::gallery {
namespace {

TEST(Gallery, EpspTrainSumsToFiringWhereOneEpspDoesNot) {
  const char* file = "epsp-train.vt4";
  const ParameterSet p = LoadExample(file);
  const float onset = p.Value(param::EpscOnset);
  const float period = 1000.0f / p.Value(param::EpspFrequency);
  ASSERT_GE(p.Value(param::EpspCount), 6.0f);
  ASSERT_EQ(p.Value(param::InjectedCurrent), 0.0f);  // the synapse alone drives the cell

  const std::vector<float> spikes = SpikeTimes(RunExample(file).samples);
  ASSERT_GE(spikes.size(), 2u);
  // Not before the fourth EPSP has arrived: the first ones have to sum.
  EXPECT_GT(spikes.front(), onset + 3.0f * period);

  const Recording single = RunExample(file, {{param::EpspCount, 1}});
  EXPECT_EQ(SpikeCount(single.samples), 0u);
  EXPECT_GT(Highest(single.samples, onset, onset + period).v,
            PotentialAt(single.samples, onset) + 2.0f);  // yet a visible EPSP
}

// Peak depolarisation of the EPSP above the potential at its onset.
float EpspAmplitude(const Recording& rec, float onset, float end) {
  return Highest(rec.samples, onset, end).v - PotentialAt(rec.samples, onset);
}

TEST(Gallery, MagnesiumBlocksTheNmdaEpsp) {
  const ParameterSet blocked = LoadExample("nmda-magnesium.vt4");
  const ParameterSet unblocked = LoadExample("nmda-no-magnesium.vt4");
  // The two files differ in magnesium alone (and their comments).
  for (int k = 0; k < kParameterCount; ++k) {
    if (k != param::MgOut) {
      EXPECT_EQ(blocked.Value(k), unblocked.Value(k)) << k;
    }
  }
  EXPECT_GT(blocked.Value(param::MgOut), 0.0f);
  EXPECT_EQ(unblocked.Value(param::MgOut), 0.0f);
  EXPECT_LT(blocked.Value(param::AmpaWeight), blocked.Value(param::NmdaWeight));

  const float onset = blocked.Value(param::EpscOnset);
  const float end = blocked.Value(param::TrialDuration);
  const Recording inMg = RunExample("nmda-magnesium.vt4");
  const Recording noMg = RunExample("nmda-no-magnesium.vt4");
  EXPECT_EQ(SpikeCount(inMg.samples), 0u);
  EXPECT_EQ(SpikeCount(noMg.samples), 0u);
  const float small = EpspAmplitude(inMg, onset, end);
  const float large = EpspAmplitude(noMg, onset, end);
  EXPECT_GT(small, 0.2f);
  EXPECT_GE(large, 4.0f * small);
  // NMDA is slow: 50 ms after the onset more than half of the peak is left.
  const float later = onset + 50.0f;
  EXPECT_GT(PotentialAt(noMg.samples, later) - PotentialAt(noMg.samples, onset), 0.5f * large);

  // Without the NMDA part, magnesium makes no difference, and the EPSP is
  // gone by then.
  const Changes ampaOnly = {{param::NmdaWeight, 0}, {param::AmpaWeight, 1}};
  const Recording ampaInMg = RunExample("nmda-magnesium.vt4", ampaOnly);
  const Recording ampaNoMg = RunExample("nmda-no-magnesium.vt4", ampaOnly);
  const float ampa = EpspAmplitude(ampaInMg, onset, end);
  EXPECT_GT(ampa, 1.0f);
  EXPECT_NEAR(EpspAmplitude(ampaNoMg, onset, end), ampa, 0.05f * ampa);
  EXPECT_LT(PotentialAt(ampaNoMg.samples, later) - PotentialAt(ampaNoMg.samples, onset),
            0.1f * ampa);
}

TEST(Gallery, IpspTrainSilencesAFiringCellGabaAFirstThenGabaB) {
  const char* file = "ipsp-train.vt4";
  const ParameterSet p = LoadExample(file);
  const float onset = p.Value(param::IpscOnset);
  const float trainEnd = onset + (p.Value(param::IpspCount) - 1) * 1000.0f / p.Value(param::IpspFrequency);
  const float stepEnd = p.Value(param::StepOffset);
  ASSERT_GT(stepEnd, onset + 300.0f);
  const float silentTo = onset + 300.0f;

  const Recording rec = RunExample(file);
  EXPECT_GE(SpikeCount(rec.samples, 0.0f, onset), 5u);  // firing before the train
  EXPECT_EQ(SpikeCount(rec.samples, onset + 10.0f, silentTo), 0u);
  EXPECT_GE(SpikeCount(rec.samples, silentTo, stepEnd), 1u);  // and again once GABAb wanes

  // Without inhibition the cell fires all through.
  EXPECT_GE(SpikeCount(RunExample(file, {{param::gIPSP, 0}}).samples, onset + 10.0f, silentTo), 20u);
  // GABAa alone silences the train but lets the cell fire soon after it.
  const Recording onlyA = RunExample(file, {{param::GabaBWeight, 0}});
  EXPECT_EQ(SpikeCount(onlyA.samples, onset + 10.0f, trainEnd), 0u);
  EXPECT_GE(SpikeCount(onlyA.samples, trainEnd + 50.0f, silentTo), 5u);
  // GABAb alone comes too slowly to stop the first spikes of the train.
  const Recording onlyB = RunExample(file, {{param::GabaAWeight, 0}});
  EXPECT_GE(SpikeCount(onlyB.samples, onset, trainEnd), 3u);
}

}  // namespace
}  // namespace vantor::gallery
