#include <gtest/gtest.h>

#include <cmath>

#include "engine/ghk.h"
#include "engine/ions.h"
#include "engine_fixtures.h"
#include "vantor/engine/gate_curves.h"
#include "vantor/engine/ion_potentials.h"

namespace vantor {
namespace {

constexpr double F = 96480, R = 8.314;

double NernstMv(int z, double out, double in, double celsius) {
  return 1000 * R * (celsius + 273) / (z * F) * std::log(out / in);
}

TEST(IonPotentials, NernstAndGhkAtSeveralTemperatures) {
  for (float celsius : {6.3f, 23.5f, 35.0f}) {
    ParameterSet p;
    p.SetValue(param::Temperature, celsius);
    p.SetValue(param::KOut, 20.0f);  // a depolarising bath
    p.SetValue(param::CaIn, 100.0f);  // nM
    const IonPotentials e = ComputeIonPotentials(p);
    EXPECT_NEAR(e.eNa, NernstMv(1, 145, 31, celsius), 1e-3) << celsius;
    EXPECT_NEAR(e.eK, NernstMv(1, 20, 135, celsius), 1e-3);
    EXPECT_NEAR(e.eCl, NernstMv(-1, 120, 7, celsius), 1e-3);
    EXPECT_NEAR(e.eCa, NernstMv(2, 2e-3, 100e-9, celsius), 1e-3);
    EXPECT_NEAR(e.eCaRun, 30 * std::log10(2e-3 / 100e-9), 1e-3);
    // The GHK voltage equation of the two leaks, pKleak 1 and pNaleak 0.06.
    const double rest = NernstMv(1, 1 * 20 + 0.06 * 145, 1 * 135 + 0.06 * 31, celsius);
    EXPECT_NEAR(e.leakRest, rest, 1e-3);
    // And there the engine's own leak carries no current.
    EXPECT_NEAR(GhkLeak(p, e.leakRest, e.frt).current, 0, 1e-4);
    EXPECT_FALSE(e.ohmicLeak);
  }
  ParameterSet ohmic;
  ohmic.SetValue(param::Gate2, 1.0f);  // Gate #1 == Gate #2
  const IonPotentials o = ComputeIonPotentials(ohmic);
  EXPECT_TRUE(o.ohmicLeak);
  EXPECT_NEAR(o.leakRest, (o.eK + 0.06 * o.eNa) / 1.06, 1e-3);
}

GateTable Shipped() { return test::ShippedGates(); }

TEST(GateCurves, TemperatureScalesTimeConstantsOnly) {
  const GateTable gates = Shipped();
  GateCurveRequest at23, at33;
  at23.celsius = 23.5f;
  at33.celsius = 33.5f;
  at23.points = at33.points = 31;
  const auto a = ComputeGateCurves(gates, at23), b = ComputeGateCurves(gates, at33);
  ASSERT_EQ(a.size(), 13u);
  for (std::size_t g = 0; g < a.size(); ++g) {
    // Ten degrees up: a factor 3 on every gate but mT (3.55) and hT (2.8).
    const double q10 = a[g].row == gate::mT ? 3.55 : a[g].row == gate::hT ? 2.8 : 3.0;
    for (std::size_t i = 0; i < a[g].x.size(); ++i) {
      EXPECT_NEAR(b[g].inf[i], a[g].inf[i], 1e-9) << a[g].name;
      EXPECT_NEAR(b[g].tau[i] * q10, a[g].tau[i], 1e-5 * a[g].tau[i]) << a[g].name;
    }
  }
}

TEST(GateCurves, CalciumGatesRunAlongCalcium) {
  GateCurveRequest q;
  q.rows = {gate::mAHP, gate::mNa};
  q.caFrom = 0;
  q.caTo = 2;
  q.points = 3;  // 0, 1, 2 µM
  q.celsius = 23.5f;
  const auto curves = ComputeGateCurves(Shipped(), q);
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(curves[0].axis, GateAxis::Calcium);
  // α = 2500e9 [Ca]² = 2.5 /ms at 1 µM, β = 2.5 /ms: half open, τ = 1 / 5 ms.
  EXPECT_NEAR(curves[0].inf[1], 0.5, 1e-6);
  EXPECT_NEAR(curves[0].tau[1], 0.2, 1e-6);
  EXPECT_EQ(curves[0].inf[0], 0);
  EXPECT_EQ(curves[1].axis, GateAxis::Voltage);
  EXPECT_EQ(curves[1].x.front(), -100);
  EXPECT_EQ(curves[1].x.back(), 50);
  q.points = 1;
  EXPECT_NE(GateCurveRefusal(q), "");
  q.points = 3;
  q.rows = {gate::AMPA};
  EXPECT_NE(GateCurveRefusal(q), "");
  EXPECT_EQ(GateRowByName("MNAP"), gate::mNap);
  EXPECT_EQ(GateRowByName("GABAa"), 0);
}

}  // namespace
}  // namespace vantor
