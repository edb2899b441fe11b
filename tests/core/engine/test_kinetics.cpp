#include <gtest/gtest.h>

#include <cmath>

#include "engine/kinetics.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

class Kinetics : public ::testing::Test {
 protected:
  GateRate At(int row, float v, float caL = 5e-8f) const {
    GateContext in;
    in.v = v;
    in.caL = caL;
    return GateSteadyState(row, gates.Row(row), in);  // 23.5 °C: every factor 1
  }
  const GateTable gates = test::ShippedGates();
};

TEST_F(Kinetics, GuardedLinearTermsStayFiniteAtTheirZero) {
  // At V = -B the linear term would make 0/0; ε gives the limit A·C.
  const GateRate na = At(gate::mNa, -38.0f);  // -mNa.B and -mNa.E at once
  const double alpha = 0.091 * 5.0, beta = 0.062 * 5.0;
  EXPECT_NEAR(na.inf, alpha / (alpha + beta), 1e-4);
  EXPECT_NEAR(na.tau, 1.0 / (alpha + beta), 1e-3);
  // And it joins its neighbours smoothly.
  EXPECT_NEAR(At(gate::mNa, -38.001f).inf, na.inf, 1e-3);
  EXPECT_NEAR(At(gate::mNa, -37.999f).inf, na.inf, 1e-3);

  const GateRate k = At(gate::mK, -45.0f);  // V = mK.B
  EXPECT_TRUE(std::isfinite(k.inf) && std::isfinite(k.tau));
  EXPECT_NEAR(k.inf, At(gate::mK, -45.001f).inf, 1e-3);

  const GateRate nap = At(gate::mNap, -48.0f);  // -mNap.B and -mNap.E
  EXPECT_TRUE(std::isfinite(nap.tau));
  EXPECT_NEAR(nap.tau, At(gate::mNap, -48.001f).tau, 1e-3 * nap.tau);

  const GateRate l = At(gate::mL, 1.31f);  // -mL.E
  EXPECT_TRUE(std::isfinite(l.tau));
  EXPECT_NEAR(l.tau, At(gate::mL, 1.311f).tau, 1e-3 * l.tau);
}

TEST(GuardedTerms, OnlyTheExactZeroIsReplaced) {
  EXPECT_EQ(GuardedSum(-38.0f, 38.0f), kGuardEpsilon);
  EXPECT_EQ(GuardedSum(-38.5f, 38.0f), -0.5f);
  EXPECT_EQ(GuardedDifference(-45.0f, -45.0f), kGuardEpsilon);
  EXPECT_EQ(GuardedDifference(-45.0f, -44.0f), -1.0f);
}

TEST_F(Kinetics, HABranchesAtE) {
  // hA: A -46, B 5, C -238, D -37.5, E -63, F 19.
  EXPECT_FLOAT_EQ(At(gate::hA, -63.0f).tau, 19.0f);  // V = E takes the constant
  const float below = std::nextafter(-63.0f, -100.0f);
  const double bell = 1.0 / (std::exp((below + 46.0) / 5.0) + std::exp((below + 238.0) / -37.5));
  EXPECT_NEAR(At(gate::hA, below).tau, bell, 1e-3 * bell);
}

TEST_F(Kinetics, HTBranchesAtA) {
  // hT: A -80, B 467, C 66.6, D 22, E -10.5, F 28.
  const double upper = std::exp((-80.0 + 22.0) / -10.5) + 28.0;
  EXPECT_NEAR(At(gate::hT, -80.0f).tau, upper, 1e-3);
  const float below = std::nextafter(-80.0f, -100.0f);
  EXPECT_NEAR(At(gate::hT, below).tau, std::exp((below + 467.0) / 66.6), 1e-2);
}

TEST(MAHP, ExponentIsBTruncated) {
  GateRow row;
  row.A = 1.0f;  // α = 1e9 · Ca^n
  row.C = 1.0f;  // β = 1
  GateContext in;
  in.caL = 1e-5f;
  row.B = 2.7f;
  const GateRate truncated = GateSteadyState(gate::mAHP, row, in);
  row.B = 2.0f;
  const GateRate two = GateSteadyState(gate::mAHP, row, in);
  EXPECT_EQ(truncated.inf, two.inf);
  EXPECT_NEAR(two.inf, 0.1 / 1.1, 1e-5);  // α = 1e9 · 1e-10
  row.B = -3.0f;                           // no power at all: α = A · 1e9
  EXPECT_NEAR(GateSteadyState(gate::mAHP, row, in).inf, 1e9 / (1e9 + 1.0), 1e-9);
}

TEST(MAHP, LargeExponentsAgreeWithPow) {
  EXPECT_DOUBLE_EQ(TruncatedPower(0.5, 3.9f), 0.125);
  EXPECT_DOUBLE_EQ(TruncatedPower(2.0, 0.5f), 1.0);
  EXPECT_DOUBLE_EQ(TruncatedPower(0.99, 1e9f), std::pow(0.99, 1e9));
  EXPECT_DOUBLE_EQ(TruncatedPower(3.0, std::nanf("")), 1.0);
}

TEST_F(Kinetics, HShiftMovesMH) {
  GateContext shifted;
  shifted.v = -65.0f;
  shifted.hShift = 10.0f;
  GateContext plain;
  plain.v = -75.0f;
  const GateRate a = GateSteadyState(gate::mH, gates.Row(gate::mH), shifted);
  const GateRate b = GateSteadyState(gate::mH, gates.Row(gate::mH), plain);
  EXPECT_FLOAT_EQ(a.inf, b.inf);
  EXPECT_FLOAT_EQ(a.tau, b.tau);
}

TEST_F(Kinetics, TemperatureScalesTimeConstants) {
  GateContext warm;
  warm.v = -50.0f;
  warm.factors = ComputeTemperatureFactors(33.5f);
  GateContext cold;
  cold.v = -50.0f;
  for (int row : {gate::mNa, gate::hNa, gate::mK, gate::mA, gate::mM}) {
    SCOPED_TRACE(row);
    const GateRate w = GateSteadyState(row, gates.Row(row), warm);
    const GateRate c = GateSteadyState(row, gates.Row(row), cold);
    EXPECT_FLOAT_EQ(w.inf, c.inf);
    EXPECT_NEAR(w.tau * 3.0f, c.tau, 1e-5f * c.tau);
  }
  const GateRate wT = GateSteadyState(gate::mT, gates.Row(gate::mT), warm);
  const GateRate cT = GateSteadyState(gate::mT, gates.Row(gate::mT), cold);
  EXPECT_NEAR(wT.tau * 3.55f, cT.tau, 1e-5f * cT.tau);
}

TEST(AdvanceGate, FirstOrderBelowATenthExponentialAbove) {
  const GateRate rate{1.0f, 10.0f};
  EXPECT_FLOAT_EQ(AdvanceGate(0.0f, rate, 0.5f), 0.05f);  // r = 0.05 kept
  EXPECT_NEAR(AdvanceGate(0.0f, rate, 1.0f), 1.0 - std::exp(-0.1), 1e-7);  // r = 0.1 switches
  EXPECT_NEAR(AdvanceGate(0.2f, rate, 20.0f), 0.2 + 0.8 * (1.0 - std::exp(-2.0)), 1e-6);
  // The initialisation step lands exactly on the steady state.
  EXPECT_EQ(AdvanceGate(0.0f, {0.3f, 2.0f}, 1e20f), 0.3f);
}

}  // namespace
}  // namespace vantor
