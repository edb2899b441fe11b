#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/calcium.h"
#include "engine/ghk.h"
#include "engine/ions.h"
#include "engine/run_constants.h"

namespace vantor {
namespace {

TEST(RunConstants, DefaultsAt35Degrees) {
  const ParameterSet params;
  const RunConstants c = ComputeRunConstants(params);
  EXPECT_NEAR(c.frt, 37.677, 0.0005);
  EXPECT_NEAR(c.e.eNa, 40.95, 0.005);
  EXPECT_NEAR(c.e.eK, -100.16, 0.005);
  EXPECT_NEAR(c.e.eCl, -75.42, 0.005);
  EXPECT_NEAR(c.e.eH, -37.37, 0.005);
  EXPECT_FLOAT_EQ(c.cm, 0.29f);
  EXPECT_FALSE(c.ohmicLeak);  // Gate #1 1, Gate #2 2
  EXPECT_TRUE(ConstantsRefusal(c).empty());
}

TEST(RunConstants, EqualGateSelectionsMakeTheLeakOhmic) {
  ParameterSet params;
  params.SetValue(param::Gate2, 1.0f);
  EXPECT_TRUE(ComputeRunConstants(params).ohmicLeak);
}

TEST(RunConstants, InfiniteConcentrationIsRefused) {
  ParameterSet params;
  params.SetValue(param::KOut, std::numeric_limits<float>::infinity());
  const std::string why = ConstantsRefusal(ComputeRunConstants(params));
  EXPECT_NE(why.find("E_K"), std::string::npos) << why;
}

TEST(ConcentrationFloor, ReplacesTinyAndNotANumberOnly) {
  ParameterSet params;
  params.SetValue(param::KOut, 0.0f);
  params.SetValue(param::NaIn, std::nanf(""));
  params.SetValue(param::MgOut, 9e-7f);
  params.SetValue(param::ClIn, 1e-6f);  // at the threshold: kept
  params.SetValue(param::gNa, 0.0f);    // not an ion parameter
  ApplyConcentrationFloor(params);
  EXPECT_EQ(params.Value(param::KOut), 1e-9f);
  EXPECT_EQ(params.Value(param::NaIn), 1e-9f);
  EXPECT_EQ(params.Value(param::MgOut), 1e-9f);
  EXPECT_EQ(params.Value(param::ClIn), 1e-6f);
  EXPECT_EQ(params.Value(param::gNa), 0.0f);
  EXPECT_EQ(params.Value(param::NaOut), 145.0f);
}

TEST(Ghk, NoCurrentAtTheNernstPotential) {
  const float frt = ComputeFrt(35.0f);
  const double ci = 0.135, co = 0.0031;
  const double eK = 1000.0 * std::log(co / ci) / frt;
  EXPECT_NEAR(GhkFactor(1, eK, ci, co, frt), 0.0, 1e-9);
  // Outward above it, inward below.
  EXPECT_GT(GhkFactor(1, eK + 10.0, ci, co, frt), 0.0);
  EXPECT_LT(GhkFactor(1, eK - 10.0, ci, co, frt), 0.0);
  // Divalent calcium with the T shell at its floor and 2 mM outside.
  const double eCa = 1000.0 * std::log(0.002 / 5e-8) / (2.0 * frt);
  EXPECT_NEAR(GhkFactor(2, eCa, 5e-8, 0.002, frt), 0.0, 1e-9);
}

TEST(Ghk, GuardedFactorAtZeroPotential) {
  const float frt = ComputeFrt(35.0f);
  const double at = GhkFactorGuarded(1, 0.0, 0.135, 0.0031, frt);
  EXPECT_TRUE(std::isfinite(at));
  // u = 1e-4 stands in: close to the limit F (ci - co) / 1000.
  EXPECT_NEAR(at, kFaraday * (0.135 - 0.0031) / 1000.0, 1e-3);
}

TEST(Leak, GhkLeakBalancesNearRest) {
  const ParameterSet params;
  const float frt = ComputeFrt(35.0f);
  EXPECT_LT(GhkLeak(params, -70.0f, frt).current, 0.0f);
  EXPECT_GT(GhkLeak(params, -60.0f, frt).current, 0.0f);
  EXPECT_GT(GhkLeak(params, -65.0f, frt).conductance, 0.0f);
}

TEST(Calcium, ShellsHoldTheirFloorWithoutInflux) {
  EXPECT_EQ(AdvanceShell(kCalciumFloor, 0.0f, 0.5f, 29000.0f, 0.1f, 1.0f), kCalciumFloor);
  EXPECT_EQ(AdvanceShell(kCalciumFloor, 0.0f, 0.5f, 29000.0f, 0.1f, 0.0f), kCalciumFloor);
  EXPECT_EQ(AdvanceShell(kCalciumFloor, 5.0f, 0.5f, 29000.0f, 0.1f, 1.0f), kCalciumFloor);
}

TEST(Calcium, InwardCurrentFillsAndRemovalUsesTheMagnitude) {
  // -1 nA into 29000 µm² × 0.1 µm for 1 ms: 0.00518 / 2900 mol/L.
  const float filled = AdvanceShell(kCalciumFloor, -1.0f, 1.0f, 29000.0f, 0.1f, 0.0f);
  EXPECT_NEAR(filled, 5e-8 + 0.00518 / 2900.0, 1e-12);
  const float a = AdvanceShell(1e-6f, 0.0f, 0.1f, 29000.0f, 0.1f, 2.0f);
  const float b = AdvanceShell(1e-6f, 0.0f, 0.1f, 29000.0f, 0.1f, -2.0f);
  EXPECT_EQ(a, b);
  EXPECT_NEAR(a, 1e-6 * (1.0 - 0.2), 1e-12);
}

TEST(Calcium, SharedGhkPointsGiveTheSameFactorAndSlope) {
  const float frt = ComputeFrt(23.5f);
  for (const float v : {-80.0f, -0.25f, 12.5f})
    for (const float ca : {5e-8f, 3e-6f}) {
      const CalciumGhkValue shared = CalciumGhkAt(
          GhkAt(2, v, frt), GhkAt(2, static_cast<double>(v) + kGhkSlopeStep, frt), ca, 2.0f);
      EXPECT_EQ(shared.factor, static_cast<float>(GhkFactor(2, v, ca, 0.002, frt)));
      EXPECT_EQ(shared.slope, static_cast<float>(GhkSlope(2, v, ca, 0.002, frt)));
    }
}

TEST(Calcium, ReversalIsThirtyMillivoltsPerDecade) {
  EXPECT_NEAR(CalciumReversal(2.0f, 5e-7f) - CalciumReversal(2.0f, 5e-8f), -30.0, 1e-3);
}

}  // namespace
}  // namespace vantor
