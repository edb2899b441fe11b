#include <gtest/gtest.h>

#include <cmath>

#include "engine/integrator.h"
#include "engine/kinetics.h"
#include "engine/stage.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

class IntegratorTest : public ::testing::Test {
 protected:
  PassResult Pass(float iInj = 0.0f) {
    return integrator.Pass(params, gates, constants, iInj, sample);
  }
  void Begin() {
    constants = ComputeRunConstants(params);
    integrator.Start(params.Value(param::StartingVm));
    ASSERT_TRUE(Pass().initialisation);
  }
  // Only the ohmic leak (τ = 0.29 ms): a membrane that settles and stays quiet.
  void QuietMembrane() {
    for (int k : {param::gNa, param::gK, param::pNaleak}) params.SetValue(k, 0.0f);
    params.SetValue(param::Gate2, params.Value(param::Gate1));
    params.SetValue(param::StartingVm, -100.0f);
  }

  ParameterSet params;
  const GateTable gates = test::ShippedGates();
  RunConstants constants;
  Integrator integrator;
  RunSample sample{};
};

TEST_F(IntegratorTest, InitialisationPutsGatesOnTheirSteadyState) {
  Begin();
  EXPECT_EQ(integrator.Time(), 0.0f);
  EXPECT_EQ(integrator.Step(), kFirstStep);
  const CellState& c0 = integrator.Accepted();
  EXPECT_EQ(c0[cell::V], -65.0f);
  GateContext at;
  at.v = -65.0f;
  at.factors = constants.phi;
  for (int row : {gate::mNa, gate::hNa, gate::mK})
    EXPECT_FLOAT_EQ(c0[row], GateSteadyState(row, gates.Row(row), at).inf) << row;
  EXPECT_EQ(c0[gate::mA], 0.0f);  // switched off: never evaluated
  EXPECT_EQ(c0[cell::CaL], kCalciumFloor);
  EXPECT_EQ(c0[cell::CaT], kCalciumFloor);
}

TEST_F(IntegratorTest, MethodComesFromModel) {
  const int codes[] = {0, 1, 2};
  const int bounds[] = {2, 3, 5};
  for (int model = 1; model <= 3; ++model) {
    params.SetValue(param::Model, static_cast<float>(model));
    Begin();
    EXPECT_EQ(integrator.MethodCode(), codes[model - 1]);
    EXPECT_EQ(integrator.StageBound(), bounds[model - 1]);
  }
  params.SetValue(param::Model, 2.7f);  // truncated
  Begin();
  EXPECT_EQ(integrator.MethodCode(), 1);
}

TEST_F(IntegratorTest, LargeChangeOfVIsRejected) {
  Begin();
  // 100 nA into 0.29 nF moves V by about 1.7 mV in 0.005 ms: over 0.5 mV.
  const float t = integrator.Time();
  const float dt = integrator.Step();
  const CellState before = integrator.Accepted();
  const PassResult r = Pass(100.0f);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ(integrator.Time(), t);
  EXPECT_EQ(integrator.Accepted(), before);
  EXPECT_LT(integrator.Step(), dt * 0.8f * 0.5f / 1.5f);
  // The shorter step then passes.
  EXPECT_TRUE(Pass(100.0f).accepted);
  EXPECT_GT(integrator.Time(), t);
}

TEST_F(IntegratorTest, SmallChangeGrowsTheStepAtMostByTheMethodsBound) {
  const double bounds[] = {std::pow(800.0, 1.0 / 4), std::pow(800.0, 1.0 / 5),
                           std::pow(800.0, 1.0 / 7)};
  for (int model = 1; model <= 3; ++model) {
    QuietMembrane();
    params.SetValue(param::Model, static_cast<float>(model));
    params.SetValue(param::StartingVm, ComputeRunConstants(params).e.eK);  // already at rest
    Begin();
    const float dt = integrator.Step();
    ASSERT_TRUE(Pass().accepted);
    EXPECT_NEAR(integrator.Step() / dt, bounds[model - 1], 1e-3) << model;
  }
}

TEST_F(IntegratorTest, GatesAtZeroAreLeftOutOfTheError) {
  params.SetValue(param::gNa, 0.0f);
  Begin();
  ASSERT_EQ(integrator.Accepted()[gate::mNa], 0.0f);
  params.SetValue(param::gNa, 20.0f);  // switched on mid-run: mNa and hNa leave 0
  EXPECT_TRUE(Pass().accepted);
  EXPECT_GT(integrator.Accepted()[gate::mNa], 0.0f);
}

TEST_F(IntegratorTest, StepLandsOnProtocolTimesAndShrinksAfter) {
  QuietMembrane();
  params.SetValue(param::StepOnset, 3.0f);
  params.SetValue(param::StepOffset, 7.0f);
  params.SetValue(param::TrialDuration, 10.0f);
  Begin();
  int events = 0;
  float landedOn[3] = {};
  while (integrator.Time() < 10.0f) {
    const float dtBefore = integrator.Step();
    const PassResult r = Pass();
    if (!r.event) continue;
    ASSERT_LT(events, 3);
    landedOn[events++] = integrator.Time();
    if (integrator.Time() < 10.0f) {
      // The step that ended here grew at most by 800^(1/4), then was cut to 1/100.
      EXPECT_LE(integrator.Step(), dtBefore * 5.32f / 100.0f);
      EXPECT_GE(integrator.Step(), dtBefore / 100.0f * 0.999f);
    }
  }
  EXPECT_EQ(events, 3);
  EXPECT_EQ(landedOn[0], 3.0f);
  EXPECT_EQ(landedOn[1], 7.0f);
  EXPECT_EQ(landedOn[2], 10.0f);
  EXPECT_EQ(integrator.Time(), 10.0f);
}

TEST_F(IntegratorTest, MaximumDtForPlotCapsGrowthOnly) {
  QuietMembrane();
  params.SetValue(param::MaxDtForPlot, 0.2f);
  params.SetValue(param::TrialDuration, 1000.0f);
  params.SetValue(param::StepOnset, 1000.0f);
  params.SetValue(param::StepOffset, 1000.0f);
  Begin();
  float largest = 0.0f;
  for (int i = 0; i < 400; ++i) {
    Pass();
    largest = std::max(largest, integrator.Step());
  }
  EXPECT_GE(largest, 0.2f);  // it may pass the cap once
  EXPECT_LT(largest, 0.2f * 5.32f);
  const float settled = integrator.Step();
  for (int i = 0; i < 20; ++i) Pass();
  EXPECT_EQ(integrator.Step(), settled);
}

TEST_F(IntegratorTest, StricterLimitAboveOneMillisecond) {
  QuietMembrane();
  params.SetValue(param::MaxDtForPlot, 100.0f);
  params.SetValue(param::TrialDuration, 1e5f);
  params.SetValue(param::StepOnset, 1e5f);
  params.SetValue(param::StepOffset, 1e5f);
  Begin();
  while (integrator.Step() <= 1.0f) ASSERT_TRUE(Pass().accepted);
  // A current that would move V by about 0.2 mV: fine below 1 ms, not above.
  const float dt = integrator.Step();
  const double share = 1.0 - std::exp(-static_cast<double>(dt) / 0.29);
  const float current = static_cast<float>(0.2 / share);  // G = 1 µS
  EXPECT_FALSE(Pass(current).accepted);
}

TEST_F(IntegratorTest, StagesStartFromTheirWorkingPointsAndCombineAsWritten) {
  // With the ohmic potassium leak alone, one stage maps the working V to
  // w + (V∞ - w) r with the same r every time; the three methods must chain
  // and combine exactly those maps.
  QuietMembrane();
  params.SetValue(param::pKleak, 1.0f);
  constants = ComputeRunConstants(params);
  const float eK = constants.e.eK;
  params.SetValue(param::StartingVm, eK + 2.0f);
  auto stage = [&](float w) {
    const float iIon = 1.0f * (w - eK);
    const float vInf = w - iIon / 1.0f;
    return w + (vInf - w) * RelaxationShare(kFirstStep / (constants.cm / 1.0f));
  };
  const float c0 = eK + 2.0f;
  const float c1 = stage(c0);
  const float twice = stage(c1);
  const float c2 = stage((c0 + c1) / 2.0f);
  const float c3 = stage((c0 + c2) / 2.0f);  // not c0 + k2 / 2
  const float c4 = stage(c3);                // not c0 + k3
  const float expected[] = {
      c1, (c0 + twice) / 2.0f,
      c0 - ((c0 - c1) + 2.0f * ((c0 + c1) / 2.0f - c2) + 2.0f * ((c0 + c2) / 2.0f - c3) + c3 -
            c4) / 6.0f};
  for (int model = 1; model <= 3; ++model) {
    params.SetValue(param::Model, static_cast<float>(model));
    Begin();
    ASSERT_EQ(integrator.Step(), kFirstStep);
    ASSERT_TRUE(Pass().accepted) << model;
    EXPECT_FLOAT_EQ(integrator.Accepted()[cell::V], expected[model - 1]) << model;
  }
}

TEST_F(IntegratorTest, EveryMethodRelaxesWithoutOvershoot) {
  // A pure exponential relaxation (ohmic leak only) from -60 mV towards E_K.
  for (int model = 1; model <= 3; ++model) {
    QuietMembrane();
    params.SetValue(param::StartingVm, -60.0f);
    params.SetValue(param::Model, static_cast<float>(model));
    Begin();
    float previous = integrator.Accepted()[cell::V];
    for (int i = 0; i < 300; ++i) {
      Pass();
      const float v = integrator.Accepted()[cell::V];
      ASSERT_LE(v, previous) << model;
      ASSERT_GE(v, constants.e.eK - 1e-3f) << model;
      previous = v;
    }
    EXPECT_NEAR(previous, constants.e.eK, 0.05f) << model;
  }
}

}  // namespace
}  // namespace vantor
