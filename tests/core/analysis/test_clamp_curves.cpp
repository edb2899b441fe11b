// The curves of a clamp family: the peak and steady-state current of a step,
// and the Boltzmann fits recovering known parameters.
#include <gtest/gtest.h>

#include <cmath>

#include "vantor/analysis/clamp_curves.h"

namespace vantor {
namespace {

TEST(ClampCurves, PeakKeepsItsSignAndSteadyIsTheLastSampleOfTheStep) {
  const std::vector<double> t{0, 10, 10.5, 11, 20, 30, 31};
  const std::vector<double> i{-9, -9, -40, 5, 3, 2, 99};  // the edges themselves do not count
  StepCurrents c;
  ASSERT_TRUE(MeasureStep(t, i, 10, 30, c));
  EXPECT_EQ(c.peak, -40);
  EXPECT_EQ(c.peakTime, 10.5);
  EXPECT_EQ(c.steady, 2);
  EXPECT_FALSE(MeasureStep(t, i, 31, 40, c));
}

TEST(ClampCurves, FitsRecoverTheBoltzmannParameters) {
  std::vector<double> v, activation, inactivation;
  for (double level = -80; level <= 40; level += 10) {
    v.push_back(level);
    activation.push_back(2.0 * (level - 50) / (1 + std::exp((-30 - level) / 6)));
    inactivation.push_back(-300 / (1 + std::exp((level + 65) / 7)));
  }
  const BoltzmannFit a = FitActivation(v, activation);
  ASSERT_TRUE(a.ok) << a.error;
  EXPECT_NEAR(a.vHalf, -30, 1e-4);
  EXPECT_NEAR(a.slope, 6, 1e-4);
  EXPECT_NEAR(a.scale, 2, 1e-5);
  EXPECT_NEAR(a.reversal, 50, 1e-4);
  EXPECT_LT(a.residual, 1e-6);
  const BoltzmannFit h = FitInactivation(v, inactivation);
  ASSERT_TRUE(h.ok) << h.error;
  EXPECT_NEAR(h.vHalf, -65, 1e-4);
  EXPECT_NEAR(h.slope, 7, 1e-4);
  EXPECT_NEAR(h.scale, -300, 1e-3);
  // Too few levels, or a value that is not a number, are refused by name.
  EXPECT_EQ(FitActivation({1, 2, 3}, {1, 2, 3}).error, "needs at least 4 levels");
  EXPECT_FALSE(FitInactivation({1, 2, NAN}, {1, 2, 3}).ok);
}

TEST(ClampCurves, ExponentialFitRecoversADecayAndRefusesTooFewSamples) {
  std::vector<double> t, i;
  for (double s = 0; s <= 30; s += 0.25) {
    t.push_back(s);
    i.push_back(s < 5 ? 0.0 : -40 * std::exp(-(s - 5) / 2.5) + 3);
  }
  const ExponentialFit fit = FitExponential(t, i, 5, 30);
  ASSERT_TRUE(fit.ok) << fit.error;
  EXPECT_NEAR(fit.tau, 2.5, 1e-6);
  EXPECT_NEAR(fit.amplitude, -40, 1e-5);
  EXPECT_NEAR(fit.offset, 3, 1e-6);
  EXPECT_LT(fit.residual, 1e-6);
  EXPECT_FALSE(FitExponential(t, i, 5, 5.5).ok);  // three samples
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// The tail fit keeps C where the channel is closed: for an H-like channel
// (open at the hyperpolarised end) k comes out below 0, for a K-like one
// above, whichever of the two equal forms the search ends in.
TEST(ClampCurves, TailFitRecoversTheGateAndItsDirection) {
  std::vector<double> v, h, k;
  for (double level = -130; level <= -30; level += 10) {
    v.push_back(level);
    h.push_back(0.1 + -1.6 / (1 + std::exp((-75 - level) / -5.5)));
    k.push_back(0.3 + 2.0 / (1 + std::exp((-60 - level) / 8)));
  }
  const BoltzmannFit fh = FitTailActivation(v, h);
  ASSERT_TRUE(fh.ok) << fh.error;
  EXPECT_NEAR(fh.vHalf, -75, 1e-3);
  EXPECT_NEAR(fh.slope, -5.5, 1e-3);
  EXPECT_NEAR(fh.scale, -1.6, 1e-4);
  EXPECT_NEAR(fh.offset, 0.1, 1e-4);
  const BoltzmannFit fk = FitTailActivation(v, k);
  ASSERT_TRUE(fk.ok) << fk.error;
  EXPECT_NEAR(fk.vHalf, -60, 1e-3);
  EXPECT_NEAR(fk.slope, 8, 1e-3);
  EXPECT_NEAR(fk.offset, 0.3, 1e-4);
  EXPECT_FALSE(FitTailActivation({-80, -70, -60}, {1, 2, 3}).ok);
}

}  // namespace
}  // namespace vantor
