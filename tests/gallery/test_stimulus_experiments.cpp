// The stimulus and voltage-clamp experiments of the gallery, each against a
// control: the I-V families with the other channel blocked, inactivation by
// prepulses, H tails, ramp rheobase, chirp resonance, noise, pulse trains and
// a played-back waveform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "gallery_run.h"
#include "spike_measures.h"
#include "vantor/analysis/clamp_family.h"
#include "vantor/analysis/ramp_chirp.h"
#include "vantor/engine/stimulus_file.h"

namespace vantor::gallery {
namespace {

ParameterSet Default(Changes changes = {}) {
  ParameterSet p = LoadExample("default.vt4");
  p.SetValue(param::Model, 4);
  for (const auto& [index, value] : changes) p.SetValue(index, value);
  return p;
}

ClampFamily Family(const ParameterSet& p, ClampProtocol protocol) {
  RunFlags flags;
  ClampFamily f = RunClampFamily(p, ShippedGates(), protocol, flags);
  EXPECT_TRUE(f.ok) << f.error;
  return f;
}

std::vector<double> Peaks(const ClampFamily& f) {
  std::vector<double> v;
  for (const ClampLevel& c : f.levels) v.push_back(c.step.peak);
  return v;
}

ClampProtocol Steps(double hold, double from, double to, int count, double onset, double offset) {
  ClampProtocol p;
  p.holding = hold;
  for (int i = 0; i < count; ++i) p.levels.push_back(from + (to - from) * i / (count - 1));
  p.onset = onset;
  p.offset = offset;
  return p;
}

TEST(StimulusGallery, SodiumAndPotassiumFamiliesEachWithTheOtherBlocked) {
  const ClampProtocol steps = Steps(-80, -70, 50, 13, 10, 60);
  const ClampFamily sodium = Family(Default({{param::gK, 0}}), steps);
  const auto na = Peaks(sodium);
  EXPECT_LT(*std::min_element(na.begin(), na.end()), -300);  // inward, hundreds of nA
  ASSERT_TRUE(sodium.fit.ok) << sodium.fit.error;
  EXPECT_NEAR(sodium.fit.reversal, 40, 6);  // E-Na near 41 mV, shifted by the leaks
  const auto blocked = Peaks(Family(Default({{param::gK, 0}, {param::gNa, 0}}), steps));
  EXPECT_GT(*std::min_element(blocked.begin(), blocked.end()), -5);

  const ClampFamily potassium = Family(Default({{param::gNa, 0}}), steps);
  const ClampFamily leakOnly = Family(Default({{param::gNa, 0}, {param::gK, 0}}), steps);
  EXPECT_GT(potassium.levels.back().step.steady, 250);  // outward, sustained at +50 mV
  EXPECT_LT(leakOnly.levels.back().step.steady, 40);
  for (std::size_t i = 4; i < potassium.levels.size(); ++i)  // grows from -30 mV on
    EXPECT_GT(potassium.levels[i].step.steady, potassium.levels[i - 1].step.steady);
}

// The fits of the clamp give back the half-inactivation and slope of the
// shipped gate table's T, A and H gates.
TEST(StimulusGallery, PrepulsesAndTailsGiveBackTheGates) {
  ClampProtocol t = Steps(-60, -120, -50, 15, 350, 450);
  t.prepulse = 300;
  t.test = -40;
  t.current = slot::IT;
  const ClampFamily tType = Family(Default({{param::pT, 20}, {param::TrialDuration, 500},
                                            {param::StepOnset, 350}, {param::StepOffset, 450}}), t);
  ASSERT_TRUE(tType.fit.ok) << tType.fit.error;
  EXPECT_NEAR(tType.fit.vHalf, -81, 1.5);
  EXPECT_NEAR(tType.fit.slope, 4, 0.5);
  for (double peak : Peaks(Family(Default({{param::TrialDuration, 500}}), t))) EXPECT_EQ(peak, 0);

  ClampProtocol a = Steps(-60, -120, -40, 9, 250, 300);
  a.prepulse = 200;
  a.test = 0;
  a.current = slot::IA;
  const ClampFamily aType = Family(Default({{param::gA, 2}, {param::TrialDuration, 400}}), a);
  ASSERT_TRUE(aType.fit.ok) << aType.fit.error;
  EXPECT_NEAR(aType.fit.vHalf, -78, 1.5);
  EXPECT_NEAR(aType.fit.slope, 6, 0.5);
  for (double peak : Peaks(Family(Default({{param::TrialDuration, 400}}), a))) EXPECT_EQ(peak, 0);

  ClampProtocol h = Steps(-50, -130, -50, 9, 50, 1050);  // H is slow: a second to settle
  h.tail = -70;
  const ParameterSet withH = Default({{param::gH, 0.05f}, {param::TrialDuration, 1150}});
  h.current = slot::IH;
  const ClampFamily hTails = Family(withH, h);
  ASSERT_TRUE(hTails.tailFit.ok) << hTails.tailFit.error;
  EXPECT_NEAR(hTails.tailFit.vHalf, -75, 1.5);
  EXPECT_NEAR(hTails.tailFit.slope, -5.5, 0.5);  // opens on hyperpolarisation
  // In the clamp current: tails after -130 and -80 mV differ by the H
  // current alone, so they all but coincide without it.
  auto spread = [&](const ParameterSet& p) {
    ClampProtocol two = h;
    two.current = -1;
    two.levels = {-130, -80};
    const ClampFamily f = Family(p, two);
    return f.levels.size() == 2 ? f.levels[1].tailStart - f.levels[0].tailStart : 0.0;
  };
  EXPECT_GT(spread(withH), 0.4);
  EXPECT_LT(std::fabs(spread(Default({{param::TrialDuration, 1150}}))), 0.04);
}

TEST(StimulusGallery, RampRheobaseAndChirpResonance) {
  RunFlags flags;
  const Ramp ramp{0, 4, 10, 200};
  const Rheobase r = RunRampRheobase(Default(), ShippedGates(), ramp, SpikeRule{}, flags);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_GT(r.current, 1.5);  // the tonic-firing page: 1.5 nA steps stay silent, 2 nA fire
  EXPECT_LT(r.current, 2.2);
  EXPECT_FALSE(RunRampRheobase(Default({{param::gNa, 0}}), ShippedGates(), ramp, SpikeRule{}, flags).ok);

  const Chirp chirp{0.5, 30, 3000, 4000, 0.05, false};
  const ImpedanceProfile h = RunChirpImpedance(Default({{param::gH, 0.2f}}), ShippedGates(), chirp, flags);
  const ImpedanceProfile none = RunChirpImpedance(Default(), ShippedGates(), chirp, flags);
  ASSERT_TRUE(h.ok && none.ok) << h.error << none.error;
  EXPECT_EQ(h.spikes + none.spikes, 0);
  EXPECT_GT(h.peakFrequency, 5);    // a resonance of several Hz
  EXPECT_LT(none.peakFrequency, 1);  // the passive membrane peaks at the band's low end
  EXPECT_LT(h.peakMagnitude, none.peakMagnitude);  // the open H channels lower the resistance
  // A chirp from 10 ms, while the cell still relaxes to its new rest, finds
  // the same resonance: the relaxation is not taken for the response.
  const Chirp early{0.5, 30, 10, 4000, 0.05, false};
  const ImpedanceProfile soon = RunChirpImpedance(Default({{param::gH, 0.2f}}), ShippedGates(), early, flags);
  ASSERT_TRUE(soon.ok) << soon.error;
  EXPECT_NEAR(soon.peakFrequency, h.peakFrequency, 1.5);
  EXPECT_NEAR(soon.peakMagnitude, h.peakMagnitude, 0.05 * h.peakMagnitude);
}

// The example's companion stimulus, `change` applied to it.
std::vector<RunSample> RunWithCompanion(const std::string& name,
                                        void (*change)(Stimulus&, double) = nullptr,
                                        double value = 0) {
  const StimulusRead read = ReadStimulusFile(ExamplePath(name + ".vtp"));
  EXPECT_TRUE(read.stimulus) << read.error;
  Stimulus stimulus = read.stimulus.value_or(Stimulus{});
  if (change) change(stimulus, value);
  ParameterSet params = LoadExample(name + ".vt4");
  params.SetValue(param::Model, 4);
  KeepingSink sink;
  RunFlags flags;
  RunTuning tuning;
  tuning.stimulus = &stimulus;
  EXPECT_EQ(RunTrial(params, ShippedGates(), sink, flags, {}, tuning).outcome, RunOutcome::Completed);
  return sink.samples;
}

double IsiCv(const std::vector<RunSample>& s) {
  const std::vector<float> t = SpikeTimes(s, 100);  // past the first spike's onset transient
  std::vector<double> isi;
  for (std::size_t i = 1; i < t.size(); ++i) isi.push_back(t[i] - t[i - 1]);
  if (isi.size() < 10) return std::nan("");
  const double mean = std::accumulate(isi.begin(), isi.end(), 0.0) / isi.size();
  double var = 0;
  for (double x : isi) var += (x - mean) * (x - mean);
  return std::sqrt(var / (isi.size() - 1)) / mean;
}

TEST(StimulusGallery, NoiseSpreadsTheIntervals) {
  auto sd = [](Stimulus& s, double v) { s.segments.at(0).sd = v; };
  auto quiet = [](Stimulus& s, double) { s.segments.clear(); };
  const double cv0 = IsiCv(RunWithCompanion("stimuli/noise-firing", quiet));
  const double cvHalf = IsiCv(RunWithCompanion("stimuli/noise-firing"));
  const double cv1 = IsiCv(RunWithCompanion("stimuli/noise-firing", sd, 1.0));
  EXPECT_LT(cv0, 0.02);  // the step alone fires regularly
  EXPECT_GT(cvHalf, 3 * cv0 + 0.1);
  EXPECT_GT(cv1, cvHalf);
}

TEST(StimulusGallery, TheCellFollowsSlowTrainsAndFailsAtFastOnes) {
  const auto s = RunWithCompanion("stimuli/train-following");
  // Full spikes, overshooting 0 mV.
  EXPECT_EQ(SpikeTimes(s, 20, 300, 0).size(), 5u);    // 20 Hz: a spike per pulse
  EXPECT_EQ(SpikeTimes(s, 300, 420, 0).size(), 10u);  // 100 Hz: still
  EXPECT_LE(SpikeTimes(s, 550, 600, 0).size(), 2u);   // 500 Hz: it fails after the first
  auto weaker = [](Stimulus& st, double v) {
    for (Segment& g : st.segments) g.amplitude = v;
  };
  EXPECT_TRUE(SpikeTimes(RunWithCompanion("stimuli/train-following", weaker, 1.0)).empty());
}

TEST(StimulusGallery, APlayedBackWaveformFiresOnItsLargerBumps) {
  auto scaled = [](Stimulus& s, double v) { s.segments.at(0).scale = v; };
  const auto full = SpikeTimes(RunWithCompanion("stimuli/waveform-playback"));
  ASSERT_GE(full.size(), 5u);
  // Each spike follows one of the bumps of 2 nA or more (at 50, 80, 120, 185
  // and 230 ms); the bumps of 1 and 1.5 nA (20 and 150 ms) fire none.
  for (float t : full) {
    bool after = false;
    for (double onset : {50.0, 80.0, 120.0, 185.0, 230.0}) after |= t > onset && t < onset + 25;
    EXPECT_TRUE(after) << t;
  }
  EXPECT_LT(SpikeTimes(RunWithCompanion("stimuli/waveform-playback", scaled, 0.5)).size(), full.size());
  EXPECT_TRUE(SpikeTimes(RunWithCompanion("stimuli/waveform-playback", scaled, 0)).empty());
}

}  // namespace
}  // namespace vantor::gallery
