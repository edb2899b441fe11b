// Measures of traces with known answers, and of real runs.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "vantor/analysis/measured_run.h"
#include "vantor/analysis/measures.h"
#include "analysis/trace_builder.h"
#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"

namespace vantor {
namespace {

using testing::FromIntervals;
using testing::SpikeTrain;

// The built traces cross 0 mV at the spike times; latencies count from the
// window's start.
MeasureOptions Window(double from, double to) {
  MeasureOptions o;
  o.rule.threshold = 0;
  o.window = {from, to, from};
  return o;
}

// Straight lines between samples 0.1 ms apart.
struct Ramps {
  VmTrace trace{{0}, {-65}};
  Ramps& To(double v, double ms) {
    const double t0 = trace.t.back(), v0 = trace.v.back();
    const int n = static_cast<int>(std::lround(ms / 0.1));
    for (int i = 1; i <= n; ++i) {
      trace.t.push_back(t0 + ms * i / n);
      trace.v.push_back(v0 + (v - v0) * i / n);
    }
    return *this;
  }
};

TEST(Spikes, UpstrokesThatRiseFastAndStandHighEnough) {
  Ramps r;
  r.To(-65, 5).To(30, 1).To(-70, 1).To(-65, 3);  // a spike: 95 mV/ms from -65 to 30 at 5 ms
  r.To(-10, 30).To(-65, 5);                      // slow, through the threshold: none
  r.To(-50, 0.5).To(-65, 2);                     // fast but 15 mV high: none
  r.To(-25, 0.5).To(-65, 2);                     // 40 mV high, peak below -20 mV: none
  r.To(-40, 5).To(-15, 0.5).To(-60, 2);          // small, from a high onset: a spike
  const std::vector<Spike> spikes = FindSpikes(r.trace, SpikeRule{});
  ASSERT_EQ(spikes.size(), 2u);
  const Spike& s = spikes[0];
  EXPECT_NEAR(s.time, 5 + 45.0 / 95, 1e-9);  // through -20 mV
  EXPECT_NEAR(s.onsetMv, -65, 1e-9);
  EXPECT_NEAR(s.onsetTime, 4.95 + 0.1 * 20 / 95, 1e-9);  // the slope reaches 20 mV/ms
  EXPECT_NEAR(s.peakMv, 30, 1e-9);
  EXPECT_NEAR(s.Amplitude(), 95, 1e-9);
  EXPECT_NEAR(s.maxDvdt, 95, 1e-6);
  EXPECT_NEAR(s.halfWidthMs, (6 + 47.5 / 100) - (5 + 47.5 / 95), 1e-9);
  EXPECT_NEAR(s.ahpMv, -70, 1e-9);
  EXPECT_NEAR(s.ahpTime, 1, 1e-9);
  EXPECT_NEAR(s.AhpDepth(), 5, 1e-9);
  EXPECT_NEAR(spikes[1].time, r.trace.t.back() - 2 - 0.5 + 0.4, 1e-9);
  EXPECT_NEAR(spikes[1].onsetMv, -40, 0.1);  // the rate lies between the slopes of 5 and 50
  // A lower threshold takes the spike that peaks at -25 mV; a steeper rate
  // loses the 50 mV/ms one.
  EXPECT_EQ(FindSpikes(r.trace, SpikeRule{-30, 20}).size(), 3u);
  EXPECT_EQ(FindSpikes(r.trace, SpikeRule{-20, 60}).size(), 1u);
  // dV/dt at the samples for a phase plane: central, and no division by a
  // zero interval when a time is recorded twice.
  const VmTrace twice{{0, 1, 1, 2}, {0, 10, 10, 40}};
  const std::vector<double> dvdt = Slopes(twice);
  ASSERT_EQ(dvdt.size(), 4u);
  EXPECT_DOUBLE_EQ(dvdt[0], 10);
  EXPECT_DOUBLE_EQ(dvdt[1], 20);
  EXPECT_DOUBLE_EQ(dvdt[2], 20);
  EXPECT_DOUBLE_EQ(dvdt[3], 30);
}

TEST(Measures, RegularTrainInTheWindow) {
  const std::vector<double> spikes = FromIntervals(15.4, std::vector<double>(9, 20.0));
  const Measures m = Measure(SpikeTrain(spikes, 250), Window(10, 210));
  EXPECT_EQ(m.spikes, 10);
  EXPECT_NEAR(m.rateHz, 50.0, 1e-9);
  EXPECT_NEAR(m.latencyMs, 5.4, 1e-6);
  EXPECT_NEAR(m.isiMeanMs, 20.0, 1e-6);
  EXPECT_NEAR(m.isiCv, 0.0, 1e-6);
  EXPECT_NEAR(m.adaptation, 0.0, 1e-6);
  EXPECT_NEAR(m.peakMv, 50.0, 1e-6);
  EXPECT_NEAR(m.troughMv, -70.0, 1e-6);
  EXPECT_DOUBLE_EQ(m.endMv, -65.0);
  EXPECT_EQ(m.activity, ActivityClass::Tonic);
}

TEST(Measures, SpikesOutsideTheWindowCountOnlyInTheTotal) {
  const Measures m = Measure(SpikeTrain({5, 50, 70, 150}, 200), Window(40, 100));
  EXPECT_EQ(m.spikes, 4);
  EXPECT_NEAR(m.rateHz, 2 * 1000.0 / 60, 1e-9);
  EXPECT_NEAR(m.latencyMs, 10, 1e-6);
  EXPECT_NEAR(m.isiMeanMs, 20, 1e-6);
  EXPECT_TRUE(std::isnan(m.isiCv));  // one interval has no spread
  EXPECT_TRUE(std::isnan(m.adaptation));
}

TEST(Measures, AdaptingTrainIsTonicWithPositiveIndex) {
  const Measures m = Measure(SpikeTrain(FromIntervals(20, {10, 20, 40}), 200), Window(10, 190));
  EXPECT_NEAR(m.adaptation, (10.0 / 30 + 20.0 / 60) / 2, 1e-6);
  EXPECT_GT(m.isiCv, 0.5);  // widely spread, but a steady trend
  EXPECT_EQ(m.activity, ActivityClass::Tonic);
  const Measures faster = Measure(SpikeTrain(FromIntervals(20, {40, 20, 10}), 200), Window(10, 190));
  EXPECT_NEAR(faster.adaptation, -(10.0 / 30 + 20.0 / 60) / 2, 1e-6);
}

TEST(Measures, Classes) {
  EXPECT_EQ(Measure(SpikeTrain({}, 100), Window(0, 100)).activity, ActivityClass::Silent);
  EXPECT_EQ(Measure(SpikeTrain({30}, 100), Window(0, 100)).activity, ActivityClass::SingleSpike);
  // Three bursts of three spikes 3 ms apart, 50 ms between bursts.
  const std::vector<double> bursts = {20, 23, 26, 70, 73, 76, 120, 123, 126};
  EXPECT_EQ(Measure(SpikeTrain(bursts, 200), Window(0, 200)).activity, ActivityClass::Bursting);
  // One burst and then a single spike are not a bursting cell.
  EXPECT_EQ(Measure(SpikeTrain({20, 23, 26, 29, 120}, 200), Window(0, 200)).activity,
            ActivityClass::Tonic);
  const Measures irregular = Measure(SpikeTrain(FromIntervals(10, {10, 40, 12, 35, 8}), 200),
                                     Window(0, 200));
  EXPECT_EQ(irregular.activity, ActivityClass::Irregular);
  // Spikes that stop while V-m stays high, with and without an earlier spike.
  EXPECT_EQ(Measure(SpikeTrain({15, 25, 35}, 200, -65, 40, -30), Window(10, 190)).activity,
            ActivityClass::DepolarisationBlock);
  EXPECT_EQ(Measure(SpikeTrain({}, 200, -65, 20, -20), Window(10, 190)).activity,
            ActivityClass::DepolarisationBlock);
  // High but still firing at the end of the window: tonic.
  EXPECT_EQ(Measure(SpikeTrain(FromIntervals(12, std::vector<double>(17, 10.0)), 200, -35),
                    Window(10, 190))
                .activity,
            ActivityClass::Tonic);
}

TEST(Measures, NoSpikes) {
  const Measures m = Measure(SpikeTrain({}, 100, -70), Window(10, 60));
  EXPECT_EQ(m.spikes, 0);
  EXPECT_EQ(m.rateHz, 0.0);
  EXPECT_TRUE(std::isnan(m.latencyMs));
  EXPECT_TRUE(std::isnan(m.isiMeanMs));
  EXPECT_DOUBLE_EQ(m.peakMv, -70);
  EXPECT_DOUBLE_EQ(m.endMv, -70);
  // An empty trace has no potentials at all, and an empty window no rate.
  const Measures none = Measure(VmTrace{}, Window(10, 10));
  EXPECT_TRUE(std::isnan(none.peakMv));
  EXPECT_TRUE(std::isnan(none.rateHz));
}

TEST(Measures, DefaultWindowIsTheStepWhileItIsOn) {
  ParameterSet params;  // 80 ms, step 10 .. 60
  EXPECT_EQ(DefaultWindow(params).from, 10);
  EXPECT_EQ(DefaultWindow(params).to, 60);
  params.SetValue(param::StepOffset, 500);  // cut by the end of the trial
  EXPECT_EQ(DefaultWindow(params).to, 80);
  params.SetValue(param::StepOnset, 90);  // never on
  EXPECT_EQ(DefaultWindow(params).from, 0);
  EXPECT_EQ(DefaultWindow(params).to, 80);
  params.SetValue(param::StepOnset, 600);  // offset before onset
  EXPECT_EQ(DefaultWindow(params).from, 0);
}

TEST(Measures, FindByKeyOrLabel) {
  MeasureId id{};
  ASSERT_TRUE(FindMeasure("rate_hz", id));
  EXPECT_EQ(id, MeasureId::Rate);
  ASSERT_TRUE(FindMeasure("first-spike latency", id));
  EXPECT_EQ(id, MeasureId::Latency);
  EXPECT_FALSE(FindMeasure("rate", id));
  EXPECT_EQ(MeasureTable().size(), static_cast<std::size_t>(kMeasureCount));
}

class RealRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    SilentMessages quiet;
    ASSERT_TRUE(LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, quiet));
    ReadInitFile(VANTOR_SOURCE_DIR "/data/VANTOR.mnx", params, quiet);
  }
  GateTable gates;
  ParameterSet params;
};

TEST_F(RealRuns, DefaultRunFiresFiveTonicSpikes) {
  const MeasuredRun run = MeasureTrial(params, gates);
  ASSERT_EQ(run.outcome, RunOutcome::Completed) << run.message;
  EXPECT_EQ(run.measures.spikes, 5);
  EXPECT_NEAR(run.measures.rateHz, 100.0, 1e-9);  // 5 spikes in the 50 ms step
  EXPECT_EQ(run.measures.activity, ActivityClass::Tonic);
  EXPECT_GT(run.measures.latencyMs, 0.0);
  EXPECT_LT(run.measures.latencyMs, 10.0);
  EXPECT_GT(run.measures.peakMv, 0.0);
  EXPECT_LT(run.measures.troughMv, -65.0);
  // After the step the cell returns towards rest.
  EXPECT_LT(run.measures.endMv, -55.0);
}

TEST_F(RealRuns, NoCurrentIsSilentAndRefusalsSayWhy) {
  params.SetValue(param::InjectedCurrent, 0);
  const MeasuredRun quiet = MeasureTrial(params, gates);
  ASSERT_EQ(quiet.outcome, RunOutcome::Completed);
  EXPECT_EQ(quiet.measures.spikes, 0);
  EXPECT_EQ(quiet.measures.activity, ActivityClass::Silent);
  params.SetValue(param::MembraneArea, 0);
  const MeasuredRun refused = MeasureTrial(params, gates);
  EXPECT_EQ(refused.outcome, RunOutcome::Refused);
  EXPECT_FALSE(refused.message.empty());
}

}  // namespace
}  // namespace vantor
