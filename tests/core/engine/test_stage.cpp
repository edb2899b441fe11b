#include <gtest/gtest.h>

#include <cmath>

#include "engine/calcium.h"
#include "engine/kinetics.h"
#include "engine/stage.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

// One stage from a state at rest with every gate half open.
class Stage : public ::testing::Test {
 protected:
  void SetUp() override {
    work.fill(0.5f);
    work[cell::V] = -60.0f;
    work[cell::CaL] = work[cell::CaT] = kCalciumFloor;
    start = work;
    out.fill(-7.0f);  // marks what the stage does not write
    sample.fill(-9.0f);
  }
  StageOutput Evaluate(float dt = 0.01f, float iInj = 0.0f, float t = 5.0f) {
    constants = ComputeRunConstants(params);
    const SynapticDrive synapses = EvaluateSynapticDrive(params, gates, t, constants.phi.phi);
    const StageInput in{params, gates, constants, dt, iInj, synapses};
    return EvaluateStage(in, work, start, out, sample);
  }
  void SwitchAllOff() {
    for (int k : {param::gNa, param::gK, param::pKleak, param::pNaleak}) params.SetValue(k, 0.0f);
  }

  ParameterSet params;
  const GateTable gates = test::ShippedGates();
  RunConstants constants;
  CellState work{}, start{}, out{};
  RunSample sample{};
};

TEST_F(Stage, SwitchedOffCurrentsAreSkipped) {
  Evaluate();
  // Built-ins: Na and K on, everything else off.
  EXPECT_NE(out[gate::mNa], -7.0f);
  EXPECT_NE(out[gate::hNa], -7.0f);
  EXPECT_NE(out[gate::mK], -7.0f);
  for (int row : {gate::mA, gate::hA, gate::mT, gate::hT, gate::mC, gate::mL, gate::mH, gate::mM,
                  gate::mNap, gate::mAHP})
    EXPECT_EQ(out[row], -7.0f) << row;
  for (int s : {slot::IC, slot::IH, slot::IT, slot::IA, slot::IL, slot::IM, slot::IAHP,
                slot::INap, slot::IAMPA, slot::INMDA, slot::IGABAa, slot::IGABAb})
    EXPECT_EQ(sample[s], -9.0f) << s;
  EXPECT_NE(sample[slot::INa], -9.0f);
  EXPECT_NE(sample[slot::IK], -9.0f);
}

TEST_F(Stage, CondFlagRecordsTheConductance) {
  params.Trace(slot::INa).cond = 1;  // built-in
  params.Trace(slot::IK).cond = 0;
  Evaluate();
  const double m = out[gate::mNa], h = out[gate::hNa], n = out[gate::mK];
  const float gNa = static_cast<float>(20.0 * m * m * m * h);
  const float gK = static_cast<float>(2.0 * n * n * n * n);
  EXPECT_FLOAT_EQ(sample[slot::INa], gNa);
  EXPECT_FLOAT_EQ(sample[slot::IK], gK * (-60.0f - constants.e.eK));
}

TEST_F(Stage, PotentialOfExactlyZeroIsEvaluatedAtATenThousandthMillivolt) {
  work[cell::V] = 0.0f;
  Evaluate();
  const RunSample atZero = sample;
  work[cell::V] = 1e-4f;
  Evaluate();
  EXPECT_EQ(atZero[slot::INa], sample[slot::INa]);
  EXPECT_EQ(atZero[slot::IK], sample[slot::IK]);
  EXPECT_TRUE(std::isfinite(atZero[slot::ICap]));
  work[cell::V] = -0.5f;
  Evaluate();
  EXPECT_TRUE(std::isfinite(out[cell::V]));
}

TEST_F(Stage, OhmicLeakWhenGateSelectionsAreEqual) {
  SwitchAllOff();
  params.SetValue(param::pKleak, 1.0f);
  params.SetValue(param::pNaleak, 0.06f);
  params.SetValue(param::Gate2, params.Value(param::Gate1));
  const StageOutput r = Evaluate(0.01f, 0.5f);
  EXPECT_FLOAT_EQ(r.g, 1.06f);
  EXPECT_FLOAT_EQ(r.iIon,
                  1.0f * (-60.0f - constants.e.eK) + 0.06f * (-60.0f - constants.e.eNa) - 0.5f);
}

TEST_F(Stage, MembraneRelaxesTowardsTheLinearisedRest) {
  SwitchAllOff();
  params.SetValue(param::pKleak, 1.0f);
  params.SetValue(param::Gate2, params.Value(param::Gate1));  // ohmic: G = 1 µS, τ = 0.29 ms
  Evaluate(0.01f);  // r = 0.0345 stays first order
  const float vInf = constants.e.eK;
  EXPECT_NEAR(out[cell::V], -60.0f + (vInf + 60.0f) * (0.01f / 0.29f), 1e-4f);
  EXPECT_NEAR(sample[slot::ICap], (out[cell::V] + 60.0f) / 0.01f * 0.29f, 1e-3f);
  Evaluate(1.0f);  // r = 3.45: exact exponential share
  EXPECT_NEAR(out[cell::V], -60.0f + (vInf + 60.0f) * (1.0 - std::exp(-1.0 / 0.29)), 1e-3);
}

TEST_F(Stage, NoConductanceLeavesABareCapacitor) {
  SwitchAllOff();
  const StageOutput r = Evaluate(0.01f, 2.0f);
  EXPECT_EQ(r.g, 0.0f);
  // 2 nA into 0.29 nF for 0.01 ms: V rises by I Δt / C.
  EXPECT_NEAR(out[cell::V], -60.0f + 2.0f * 0.01f / 0.29f, 1e-5f);
  EXPECT_NEAR(sample[slot::ICap], 2.0f, 1e-3f);
  Evaluate(0.01f, 0.0f);  // no current, no change
  EXPECT_EQ(out[cell::V], -60.0f);
}

TEST_F(Stage, CalciumEntersThroughTheLChannel) {
  params.SetValue(param::pL, 10.0f);
  Evaluate(0.1f);
  EXPECT_LT(sample[slot::IL], 0.0f);  // inward
  EXPECT_GT(out[cell::CaL], kCalciumFloor);
  EXPECT_EQ(out[cell::CaT], kCalciumFloor);
  // What the trace shows does not change what enters the cell.
  const float filled = out[cell::CaL];
  params.Trace(slot::IL).cond = 1;
  Evaluate(0.1f);
  EXPECT_EQ(out[cell::CaL], filled);
  EXPECT_GT(sample[slot::IL], 0.0f);  // the slope conductance
}

TEST_F(Stage, InitialisationLeavesTheShellsAlone) {
  params.SetValue(param::pL, 10.0f);
  Evaluate(1e20f);
  EXPECT_EQ(out[cell::CaL], kCalciumFloor);
  EXPECT_EQ(out[cell::CaT], kCalciumFloor);
}

TEST_F(Stage, CalciumGatesReadThisStagesCalcium) {
  params.SetValue(param::pL, 50.0f);
  params.SetValue(param::gC, 1.0f);
  params.SetValue(param::gAHP, 0.1f);
  Evaluate(0.5f);
  ASSERT_GT(out[cell::CaL], work[cell::CaL]);
  GateContext context;
  context.v = -60.0f;
  context.caL = out[cell::CaL];
  context.factors = constants.phi;
  for (int row : {gate::mC, gate::mAHP}) {
    const GateRate rate = GateSteadyState(row, gates.Row(row), context);
    EXPECT_FLOAT_EQ(out[row], AdvanceGate(work[row], rate, 0.5f)) << row;
  }
}

TEST_F(Stage, NegativeCaRemovalMakesITOhmic) {
  params.SetValue(param::pT, 10.0f);
  params.SetValue(param::CaRemoval, -1.0f);
  params.Trace(slot::IT).cond = 1;
  Evaluate(0.1f);
  const double m = out[gate::mT], h = out[gate::hT];
  const float g = static_cast<float>(10.0 * m * m * h);
  EXPECT_FLOAT_EQ(sample[slot::IT], g);
  params.Trace(slot::IT).cond = 0;
  Evaluate(0.1f);
  EXPECT_FLOAT_EQ(sample[slot::IT], g * (-60.0f - CalciumReversal(2.0f, kCalciumFloor)));
  EXPECT_GT(out[cell::CaT], kCalciumFloor);
}

TEST_F(Stage, SynapsesAddTheirConductances) {
  params.SetValue(param::gEPSP, 0.1f);
  params.SetValue(param::EpscOnset, 1.0f);
  params.SetValue(param::EpspCount, 1.0f);
  params.Trace(slot::IAMPA).cond = 0;
  const StageOutput before = Evaluate(0.01f, 0.0f, 1.0f);  // at the onset: still off
  EXPECT_EQ(sample[slot::IAMPA], -9.0f);
  const StageOutput after = Evaluate(0.01f, 0.0f, 5.0f);
  EXPECT_LT(sample[slot::IAMPA], 0.0f);  // inward at -60 mV
  EXPECT_GT(after.g, before.g);
}

}  // namespace
}  // namespace vantor
