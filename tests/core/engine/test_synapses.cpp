#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/ghk.h"
#include "engine/synapses.h"
#include "engine/temperature.h"
#include "engine_fixtures.h"

namespace vantor {
namespace {

class Synapses : public ::testing::Test {
 protected:
  void SetUp() override {
    params.SetValue(param::Temperature, 23.5f);  // φ = φ_GABAb = 1
    params.SetValue(param::gIPSP, 0.1f);
    params.SetValue(param::IpscOnset, 10.0f);
    params.SetValue(param::IpspCount, 1.0f);
    params.SetValue(param::gEPSP, 0.1f);
    params.SetValue(param::EpscOnset, 10.0f);
    params.SetValue(param::EpspCount, 1.0f);
  }
  SynapticConductances Ipsp(float t) const { return IpspConductances(params, gates, t, 1.0f); }
  SynapticConductances Epsp(float t) const {
    return EpspConductances(params, gates, t, -65.0f, 1.0f, ComputeFrt(23.5f));
  }
  ParameterSet params;
  const GateTable gates = test::ShippedGates();
};

TEST_F(Synapses, InputIsOffAtItsOnsetAndOnAfter) {
  EXPECT_FALSE(IpspActive(params, 10.0f));
  EXPECT_TRUE(IpspActive(params, 10.001f));
  EXPECT_FALSE(EpspActive(params, 10.0f));
  params.SetValue(param::gIPSP, 0.0f);
  EXPECT_FALSE(IpspActive(params, 50.0f));
}

TEST_F(Synapses, SingleGabaAEventFollowsItsRow) {
  // GABAa A 0.8844, B 15.92, C 0.804416; IPSC kinetics factor 0.5.
  const double s = 20.0 * 0.5;
  const double expected =
      (1.0 - std::exp(-s / 0.8844)) * std::exp(-s / 15.92) / 0.804416 * 0.1 * 1.0;
  EXPECT_NEAR(Ipsp(30.0f).fast, expected, 1e-6);
  EXPECT_GT(Ipsp(30.0f).slow, 0.0f);
}

TEST_F(Synapses, NoEventsGiveNoConductance) {
  params.SetValue(param::IpspCount, 0.0f);
  params.SetValue(param::EpspCount, 0.0f);
  EXPECT_EQ(Ipsp(30.0f).fast, 0.0f);
  EXPECT_EQ(Ipsp(30.0f).slow, 0.0f);
  EXPECT_EQ(Epsp(30.0f).fast, 0.0f);
  EXPECT_EQ(Epsp(30.0f).slow, 0.0f);
  // A negative count is treated as none rather than as an endless train.
  params.SetValue(param::IpspCount, -3.0f);
  EXPECT_EQ(Ipsp(30.0f).fast, 0.0f);
}

TEST_F(Synapses, ZeroFrequencyIsASingleEvent) {
  const SynapticConductances one = Ipsp(40.0f);
  params.SetValue(param::IpspCount, 5.0f);
  params.SetValue(param::IpspFrequency, 0.0f);
  EXPECT_EQ(Ipsp(40.0f).fast, one.fast);
  EXPECT_EQ(Ipsp(40.0f).slow, one.slow);
  // Even a count far beyond any use ends at once.
  params.SetValue(param::IpspCount, 1e30f);
  EXPECT_EQ(Ipsp(40.0f).fast, one.fast);
}

TEST(SynapticEventCount, TruncatesAndStaysBounded) {
  EXPECT_EQ(SynapticEventCount(2.9f), 2);
  EXPECT_EQ(SynapticEventCount(0.5f), 0);
  // A count that would loop (almost) for ever or does not fit an int.
  EXPECT_EQ(SynapticEventCount(-3.0f), 0);
  EXPECT_EQ(SynapticEventCount(std::nanf("")), 0);
  EXPECT_EQ(SynapticEventCount(1e30f), kMaxSynapticEvents);
  EXPECT_EQ(SynapticEventCount(std::numeric_limits<float>::infinity()), kMaxSynapticEvents);
}

TEST_F(Synapses, TrainSumsTheEventsThatHaveStarted) {
  // Events at 10, 20, 30 ms (100 Hz); at t = 35 they are 25, 15 and 5 ms old.
  const float age25 = Ipsp(35.0f).fast, age15 = Ipsp(25.0f).fast, age5 = Ipsp(15.0f).fast;
  params.SetValue(param::IpspFrequency, 100.0f);
  params.SetValue(param::IpspCount, 3.0f);
  EXPECT_NEAR(Ipsp(35.0f).fast, age25 + age15 + age5, 1e-6f);
  // Only as many events as the count asks for.
  params.SetValue(param::IpspCount, 2.0f);
  EXPECT_NEAR(Ipsp(35.0f).fast, age25 + age15, 1e-6f);
}

TEST_F(Synapses, AnEventContributesNothingAtItsOwnTime) {
  params.SetValue(param::IpspFrequency, 100.0f);
  params.SetValue(param::IpspCount, 2.0f);
  const SynapticConductances two = Ipsp(20.0f);  // the second event is at s = 0
  params.SetValue(param::IpspCount, 1.0f);
  EXPECT_EQ(two.fast, Ipsp(20.0f).fast);
  EXPECT_EQ(two.slow, Ipsp(20.0f).slow);
}

TEST_F(Synapses, GabaBFollowsTheTemperatureOfTheMoment) {
  const SynapticConductances cool = Ipsp(30.0f);
  params.SetValue(param::Temperature, 33.5f);  // φ passed in stays 1
  const SynapticConductances warm = Ipsp(30.0f);
  EXPECT_EQ(warm.fast, cool.fast);
  EXPECT_NE(warm.slow, cool.slow);
}

TEST_F(Synapses, MagnesiumBlock) {
  const GateRow& nmda = gates.Row(gate::NMDA);
  const float frt = ComputeFrt(23.5f);
  // b = E exp(2 F V FRT / 1000); unblocked = 1 - 1 / (b / Mg + 1).
  const double b = 3.57e-3 * std::exp(0.8228 * 2.0 * -65.0 * frt / 1000.0);
  EXPECT_NEAR(NmdaUnblocked(nmda, -65.0f, 1.0f, frt), 1.0 - 1.0 / (b / 1e-3 + 1.0), 1e-6);
  // Depolarisation relieves the block; floored magnesium leaves almost none.
  EXPECT_GT(NmdaUnblocked(nmda, -20.0f, 1.0f, frt), NmdaUnblocked(nmda, -65.0f, 1.0f, frt));
  EXPECT_GT(NmdaUnblocked(nmda, -65.0f, 1e-9f, frt), 0.999f);
}

TEST_F(Synapses, NmdaWaitsForItsDelay) {
  // NMDA.D is 0 in the shipped table; a delay of 5 ms keeps it at 0 until then.
  GateTable delayed = gates;
  delayed.Row(gate::NMDA).D = 5.0f;
  const float frt = ComputeFrt(23.5f);
  EXPECT_EQ(EpspConductances(params, delayed, 14.0f, -65.0f, 1.0f, frt).slow, 0.0f);
  EXPECT_GT(EpspConductances(params, delayed, 16.0f, -65.0f, 1.0f, frt).slow, 0.0f);
  EXPECT_GT(EpspConductances(params, delayed, 14.0f, -65.0f, 1.0f, frt).fast, 0.0f);
}

TEST_F(Synapses, KeptDriveFollowsEveryChangeOfItsInputs) {
  params.SetValue(param::IpspFrequency, 50.0f);
  params.SetValue(param::IpspCount, 5.0f);
  params.SetValue(param::EpspFrequency, 50.0f);
  params.SetValue(param::EpspCount, 5.0f);
  SynapticDriveCache cache;
  GateTable table = gates;
  const auto expectFresh = [&](float t, float phi) {
    const SynapticDrive kept = cache.At(params, table, t, phi);
    const SynapticDrive fresh = EvaluateSynapticDrive(params, table, t, phi);
    EXPECT_EQ(kept.ipsp, fresh.ipsp);
    EXPECT_EQ(kept.epsp, fresh.epsp);
    EXPECT_EQ(kept.gaba.fast, fresh.gaba.fast);
    EXPECT_EQ(kept.gaba.slow, fresh.gaba.slow);
    EXPECT_EQ(kept.ampa, fresh.ampa);
    EXPECT_EQ(kept.nmdaOpen, fresh.nmdaOpen);
    return kept;
  };
  const SynapticDrive first = expectFresh(75.0f, 1.0f);
  EXPECT_GT(first.ampa, 0.0f);
  expectFresh(75.0f, 1.0f);  // the same inputs again: the kept sums
  params.SetValue(param::gIPSP, 0.3f);
  EXPECT_NE(expectFresh(75.0f, 1.0f).gaba.fast, first.gaba.fast);
  params.SetValue(param::Temperature, 30.0f);
  expectFresh(75.0f, 1.0f);
  EXPECT_NE(expectFresh(75.0f, 1.5f).ampa, first.ampa);
  const float slowerNmda = expectFresh(75.0f, 1.5f).nmdaOpen;
  table.Row(gate::NMDA).B = 50.0f;
  EXPECT_NE(expectFresh(75.0f, 1.5f).nmdaOpen, slowerNmda);
  const float atOnePhi = expectFresh(75.0f, 1.0f).ampa;
  EXPECT_NE(expectFresh(76.0f, 1.0f).ampa, atOnePhi);
  params.SetValue(param::gIPSP, 0.0f);
  params.SetValue(param::gEPSP, 0.0f);
  EXPECT_EQ(expectFresh(75.0f, 1.0f).ampa, 0.0f);
}

// Every term of a fast train summed in single precision, none skipped.
float FullSum(const GateRow& c, const ParameterSet& params, float t, param::Index onsetParam,
              param::Index gParam, param::Index kineticsParam, param::Index weightParam) {
  const float onset = params.Value(onsetParam);
  const float g = params.Value(gParam);
  const double kinetics = 1.0f * static_cast<double>(params.Value(kineticsParam));
  const double weight = params.Value(weightParam);
  float sum = 0;
  for (float tk = t; tk >= onset; tk -= 10.0f) {
    double s = (tk - onset - c.D) * kinetics;
    if (s < 0.0) s = 0.0;
    sum += static_cast<float>((1.0 - std::exp(-s / c.A)) * std::exp(-s / c.B) / c.C * g * weight);
  }
  return sum;
}

TEST_F(Synapses, DecayedEventsAreLeftOutOnlyWhereTheyAddExactlyZero) {
  // 400 events at 100 Hz: at the end most have decayed below what a float holds.
  GateTable fastNmda = gates;
  fastNmda.Row(gate::NMDA).B = 6.0f;  // so that NMDA terms decay away too
  params.SetValue(param::IpspFrequency, 100.0f);
  params.SetValue(param::IpspCount, 400.0f);
  params.SetValue(param::EpspFrequency, 100.0f);
  params.SetValue(param::EpspCount, 400.0f);
  for (const float g : {0.1f, 3e-30f, 2e-44f, 1e30f}) {
    params.SetValue(param::gIPSP, g);
    params.SetValue(param::gEPSP, g);
    for (const float t : {15.5f, 2000.25f, 4005.0f}) {
      const SynapticDrive d = EvaluateSynapticDrive(params, fastNmda, t, 1.0f);
      EXPECT_EQ(d.gaba.fast, FullSum(gates.Row(gate::GABAa), params, t, param::IpscOnset,
                                     param::gIPSP, param::IpscKinetics, param::GabaAWeight))
          << g << " " << t;
      EXPECT_EQ(d.ampa, FullSum(gates.Row(gate::AMPA), params, t, param::EpscOnset, param::gEPSP,
                                param::EpscKinetics, param::AmpaWeight))
          << g << " " << t;
      EXPECT_EQ(d.nmdaOpen, FullSum(fastNmda.Row(gate::NMDA), params, t, param::EpscOnset,
                                    param::gEPSP, param::EpscKinetics, param::NmdaWeight))
          << g << " " << t;
    }
  }
}

}  // namespace
}  // namespace vantor
