// The rheobase of a ramp, the impedance profile of known signals, channel
// names and the family's refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "vantor/analysis/clamp_family.h"
#include "vantor/analysis/ramp_chirp.h"
#include "vantor/engine/run_sample.h"

namespace vantor {
namespace {

TEST(RampChirp, RheobaseIsTheRampsCurrentAtTheFirstSpikeInsideIt) {
  const Ramp ramp{0.5, 2.5, 100, 400};  // 0.005 nA/ms
  Spike before, first, later;
  before.time = 50;  // a spike before the ramp does not count
  first.time = 300;
  later.time = 320;
  const Rheobase r = RheobaseFromSpikes(ramp, {before, first, later});
  ASSERT_TRUE(r.ok);
  EXPECT_DOUBLE_EQ(r.rate, 0.005);
  EXPECT_DOUBLE_EQ(r.spikeTime, 300);
  EXPECT_DOUBLE_EQ(r.current, 1.5);
  const Rheobase none = RheobaseFromSpikes(ramp, {before});
  EXPECT_FALSE(none.ok);
  EXPECT_FALSE(none.error.empty());
}

// A membrane with a slow negative feedback (as an H current gives):
// C dV/dt = I - g V - w, tau dw/dt = gw V - w, driven by a chirp, sampled
// unevenly. Its impedance 1 / (i w C + g + gw / (1 + i w tau)) is known.
double Analytic(double fHz) {
  const double w = 2 * 3.14159265358979 * fHz / 1000;  // rad/ms
  const double c = 0.3, g = 0.05, gw = 0.1, tau = 80;
  const double re = g + gw / (1 + w * w * tau * tau), im = w * c - gw * w * tau / (1 + w * w * tau * tau);
  return 1 / std::hypot(re, im);
}

TEST(RampChirp, ImpedanceOfAResonantMembraneFromAChirp) {
  std::vector<double> t, v, i;
  const double c = 0.3, g = 0.05, gw = 0.1, tau = 80, dt = 0.01, f0 = 1, f1 = 30, T = 4000;
  double mv = 0, w = 0;
  auto drive = [&](double at) {  // a linear chirp of 0.1 nA
    const double s = at / 1000;
    return 0.1 * std::sin(2 * 3.14159265358979 * (f0 * s + (f1 - f0) * s * s / (2 * T / 1000)));
  };
  for (int k = 0; k * dt <= T; ++k) {
    const double at = k * dt;
    if (k % 3 != 1) {  // an uneven sampling
      t.push_back(at);
      v.push_back(mv - 65);
      i.push_back(drive(at) + 0.2);
    }
    const double dv = (drive(at) - g * mv - w) / c, dw = (gw * mv - w) / tau;  // Euler is enough at 0.01 ms
    mv += dt * dv;
    w += dt * dw;
  }
  const ImpedanceProfile z = ImpedanceFrom(t, v, i, 0, T, f0, f1);
  ASSERT_TRUE(z.ok) << z.error;
  EXPECT_DOUBLE_EQ(z.frequency.front(), 1);  // steps of 0.25 Hz over 4 s
  EXPECT_LE(z.frequency.back(), 30);
  double best = 0, bestF = 0;
  for (double f = 1; f <= 30; f += 0.01)
    if (Analytic(f) > best) best = Analytic(f), bestF = f;
  ASSERT_GT(bestF, 2);  // the membrane resonates
  for (std::size_t k = 0; k < z.frequency.size(); k += 8)
    EXPECT_NEAR(z.magnitude[k], Analytic(z.frequency[k]), 0.08 * Analytic(z.frequency[k]))
        << z.frequency[k] << " Hz";
  EXPECT_NEAR(z.peakFrequency, bestF, 1.0);
  EXPECT_NEAR(z.peakMagnitude, best, 0.05 * best);
  EXPECT_FALSE(ImpedanceFrom(t, v, i, 0, T, 0, 20).ok);
  EXPECT_FALSE(ImpedanceFrom(t, v, i, 0, 1, 3, 20).ok);  // 1 ms resolves nothing below 1 kHz
  std::vector<double> broken = v;
  broken[10] = std::nan("");
  EXPECT_FALSE(ImpedanceFrom(t, broken, i, 0, T, 3, 20).ok);
}

TEST(RampChirp, ChannelNamesAndRefusedFamilies) {
  EXPECT_EQ(ChannelSlot("INa"), slot::INa);
  EXPECT_EQ(ChannelSlot("I-Na"), slot::INa);
  EXPECT_EQ(ChannelSlot("nap"), slot::INap);
  EXPECT_EQ(ChannelSlot("GABAb"), slot::IGABAb);
  EXPECT_EQ(ChannelSlot("Nax"), -1);
  EXPECT_EQ(ChannelSlot("I-"), -1);
  EXPECT_EQ(ChannelName(slot::IH), "I-H");
  ParameterSet params;
  RunFlags flags;
  ClampProtocol p;
  p.levels = {-60, 0};
  p.onset = params.Value(param::StepOnset);
  p.offset = params.Value(param::StepOffset);
  p.tail = -50;
  p.tailLength = params.Value(param::TrialDuration);  // runs past the trial's end
  EXPECT_FALSE(RunClampFamily(params, GateTable(), p, flags).ok);
  p.tail.reset();
  p.prepulse = p.onset + 1;  // would start before 0 ms
  EXPECT_FALSE(RunClampFamily(params, GateTable(), p, flags).ok);
}

}  // namespace
}  // namespace vantor
