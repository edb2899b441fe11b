// Model 4, the error-controlled fifth-order method: accuracy against the
// independent reference, order of convergence, landing on synaptic onsets,
// the synaptic accumulators against the closed form, and its tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "engine/cell_rates.h"
#include "engine/continuous_run.h"
#include "engine/rk_pair.h"
#include "engine/integrator.h"
#include "engine/kinetics.h"
#include "engine/stage.h"
#include "engine/synapses.h"
#include "engine_fixtures.h"
#include "vantor/render/live.h"
#include "reference_cell.h"

namespace vantor {
namespace {

class SpikeList : public SpikeSink {
 public:
  void Spike(double t) override { times.push_back(t); }
  std::vector<double> times;
};

class Model4 : public ::testing::Test {
 protected:
  void SetUp() override { params.SetValue(param::Model, 4.0f); }
  RunResult Run(double tolerance = 0) {
    sink.samples.clear();
    spikes.times.clear();
    RunFlags flags;
    RunTuning tuning;
    tuning.tolerance = tolerance;
    tuning.spikes = &spikes;
    ParameterSet copy = params;
    return RunTrial(copy, gates, sink, flags, {}, tuning);
  }
  double WorstError(const std::vector<double>& truth) const {
    EXPECT_EQ(spikes.times.size(), truth.size());
    double worst = 0;
    for (std::size_t i = 0; i < std::min(truth.size(), spikes.times.size()); ++i)
      worst = std::max(worst, std::fabs(spikes.times[i] - truth[i]));
    return worst;
  }

  ParameterSet params;
  GateTable gates = test::ShippedGates();
  test::KeepingSink sink;
  SpikeList spikes;
};

TEST_F(Model4, BuiltInRunMatchesTheReference) {
  const std::vector<double> truth = test::ReferenceCell().SpikeTimes();
  ASSERT_EQ(truth.size(), 5u);
  RunResult r = Run(1e-10);
  ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  EXPECT_LT(WorstError(truth), 1e-6);
  r = Run();  // the tolerance "Max %change in gates" 50 stands for
  ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  EXPECT_LT(WorstError(truth), 1e-3);
  // The record: starts at 0, lands on both protocol times, ends on the trial end.
  EXPECT_EQ(sink.samples.front()[slot::Time], 0.0f);
  EXPECT_EQ(sink.samples.back()[slot::Time], 80.0f);
  for (float tp : {10.0f, 60.0f})
    EXPECT_TRUE(std::any_of(sink.samples.begin(), sink.samples.end(),
                            [tp](const RunSample& s) { return s[slot::Time] == tp; }));
  for (std::size_t i = 1; i < sink.samples.size(); ++i)
    ASSERT_GE(sink.samples[i][slot::Time], sink.samples[i - 1][slot::Time]);
  // Every spike's peak is in the record: the highest sample of each spike is
  // the highest V a record sampled every 0.001 mV shows.
  auto peaks = [&] {
    std::vector<float> top;
    for (const RunSample& s : sink.samples) {
      if (s[slot::V] < 0.0f) continue;
      if (top.size() < spikes.times.size() && s[slot::Time] > spikes.times[top.size()])
        top.push_back(s[slot::V]);
      else if (!top.empty())
        top.back() = std::max(top.back(), s[slot::V]);
    }
    return top;
  };
  const std::vector<float> coarse = peaks();
  params.SetValue(param::MaxDvForPlot, 0.001f);
  Run();
  const std::vector<float> fine = peaks();
  ASSERT_EQ(coarse.size(), 5u);
  ASSERT_EQ(fine.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(coarse[i], fine[i], 1e-3f) << i;
}

TEST_F(Model4, TenSecondsOfTonicFiring) {
  params.SetValue(param::TrialDuration, 10000.0f);
  params.SetValue(param::BaseCurrent, 2.0f);
  params.SetValue(param::InjectedCurrent, 0.0f);
  const RunResult r = Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  EXPECT_EQ(spikes.times.size(), 985u);
  EXPECT_EQ(test::SpikeTimes(sink.samples).size(), 985u);  // the record holds them too
}

// Keeps Model 4's double-precision samples beside their rounded record.
class PreciseSink : public RunSink {
 public:
  void Sample(const RunSample& s) override { rounded.push_back(s); }
  void Precise(const RunSample& s, const PreciseSample& p) override {
    rounded.push_back(s);
    precise.push_back(p);
  }
  std::vector<RunSample> rounded;
  std::vector<PreciseSample> precise;
};

// Times rise strictly, each sample rounds to its record, and the values are
// not the rounded ones.
void ExpectPreciseRecord(const PreciseSink& sink) {
  ASSERT_EQ(sink.precise.size(), sink.rounded.size());
  int unrounded = 0;
  for (std::size_t i = 0; i < sink.precise.size(); ++i) {
    const PreciseSample& p = sink.precise[i];
    if (i > 0) {
      ASSERT_GT(p[slot::Time], sink.precise[i - 1][slot::Time]) << i;
    }
    EXPECT_EQ(static_cast<float>(p[slot::Time]), sink.rounded[i][slot::Time]) << i;
    EXPECT_EQ(static_cast<float>(p[slot::V]), sink.rounded[i][slot::V]) << i;
    if (p[slot::V] != static_cast<float>(p[slot::V])) ++unrounded;
  }
  EXPECT_GT(unrounded, static_cast<int>(sink.precise.size()) / 2);
}

TEST_F(Model4, SamplesCarryDoublePrecisionAndOneRowAtEachStepEdge) {
  PreciseSink precise;
  RunFlags flags;
  ParameterSet copy = params;
  ASSERT_EQ(RunTrial(copy, gates, precise, flags).outcome, RunOutcome::Completed);
  ExpectPreciseRecord(precise);
  for (double edge : {10.0, 60.0, 80.0})
    EXPECT_EQ(std::count_if(precise.precise.begin(), precise.precise.end(),
                            [&](const PreciseSample& p) { return p[slot::Time] == edge; }),
              1)
        << edge;
}

// A sink that reads V only is spared the currents at each sample: the run
// and every other slot stay bit for bit what a sink that reads them gets,
// and a sink beside it that reads them still gets them.
TEST_F(Model4, ASinkOfVAloneGetsTheSameRunWithoutTheCurrents) {
  params.SetValue(param::gA, 0.5f);
  params.SetValue(param::pT, 2.0f);
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::Gate1, static_cast<float>(gate::mA));
  struct VOnly : PreciseSink {
    bool NeedsCurrents() const override { return false; }
  };
  auto run = [&](RunSink& sink) {
    RunFlags flags;
    ParameterSet copy = params;
    ASSERT_EQ(RunTrial(copy, gates, sink, flags).outcome, RunOutcome::Completed);
  };
  PreciseSink full, beside;
  VOnly alone, withFull;
  run(full);
  run(alone);
  SinkFanOut both{&withFull, &beside};
  run(both);
  ASSERT_EQ(alone.precise.size(), full.precise.size());
  ASSERT_EQ(beside.precise, full.precise);
  EXPECT_EQ(withFull.precise, full.precise);
  int currents = 0;
  for (std::size_t i = 0; i < full.precise.size(); ++i)
    for (int s = 0; s < kSampleSlots; ++s) {
      if (slot::IsCurrent(s) && i > 0) {  // the first, at 0 ms, is the initialisation pass's
        EXPECT_EQ(alone.precise[i][s], 0.0) << i << " slot " << s;
        currents += full.precise[i][s] != 0.0;
      } else {
        EXPECT_EQ(alone.precise[i][s], full.precise[i][s]) << i << " slot " << s;
        EXPECT_EQ(alone.rounded[i][s], full.rounded[i][s]) << i << " slot " << s;
      }
    }
  EXPECT_GT(currents, 0);
}

// Beyond 2^17 ms a float time has steps of 1/64 ms: the samples of a spike
// there keep their own times.
TEST_F(Model4, SamplesLateInALongRunKeepTheirOwnTimes) {
  params.SetValue(param::TrialDuration, 131090.0f);
  params.SetValue(param::StepOnset, 131075.0f);
  params.SetValue(param::StepOffset, 131090.0f);
  params.SetValue(param::MaxDtForPlot, 1000.0f);
  PreciseSink precise;
  RunFlags flags;
  ParameterSet copy = params;
  ASSERT_EQ(RunTrial(copy, gates, precise, flags).outcome, RunOutcome::Completed);
  ExpectPreciseRecord(precise);
  int closer = 0;  // intervals a float time could not hold
  for (std::size_t i = 1; i < precise.precise.size(); ++i)
    if (precise.precise[i][slot::Time] - precise.precise[i - 1][slot::Time] < 1.0 / 64) ++closer;
  EXPECT_GT(closer, 10);
}

TEST_F(Model4, ToleranceOutsideItsRangeIsRefused) {
  for (double bad : {1e-12, 1e-13, 1e-2, 0.5, -1e-6, std::nan("")}) {
    const RunResult r = Run(bad);
    EXPECT_EQ(r.outcome, RunOutcome::Refused) << bad;
    EXPECT_NE(r.message.find("tolerance"), std::string::npos) << r.message;
    EXPECT_TRUE(sink.samples.empty());
  }
  EXPECT_EQ(ToleranceFromMaxChange(50.0f), 1e-6);
  EXPECT_LT(ToleranceFromMaxChange(1.0f), ToleranceFromMaxChange(2.0f));
}

// An EPSP train at 29 Hz from 10 ms has its 30th event at
// 1010.0000000000001 ms in double precision, a rounding after the step
// offset at 1010 ms: both are one landing point, not a step too short to take.
TEST_F(Model4, LandingPointsARoundingApartAreOne) {
  params.SetValue(param::TrialDuration, 1020.0f);
  params.SetValue(param::StepOffset, 1010.0f);
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::EpscOnset, 10.0f);
  params.SetValue(param::EpspCount, 40.0f);
  for (float frequency : {29.0f, 19.0f}) {  // just after and just before 1010 ms
    params.SetValue(param::EpspFrequency, frequency);
    const RunResult r = Run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed) << frequency << ": " << r.message;
  }
}

// -200 nA drives V thousands of mV down, where the gates' time constants
// collapse: the explicit method ends the run with a message instead of
// crawling on for hours.
TEST_F(Model4, AStiffCellEndsTheRunWithAMessage) {
  params.SetValue(param::InjectedCurrent, -200.0f);
  const RunResult r = Run();
  EXPECT_EQ(r.outcome, RunOutcome::Failed);
  EXPECT_NE(r.message.find("too stiff for method 4"), std::string::npos) << r.message;
  EXPECT_FALSE(sink.samples.empty());
  EXPECT_GT(sink.samples.back()[slot::Time], 10.0f);
}

// The batched rates of every gate row agree with each row's own formula:
// with every channel on, in the shipped table (mNa's exponential shared with
// mK and hNa) and in one whose rows share nothing, on guarded centres and far
// out as well.
TEST_F(Model4, BatchedRatesGiveEachGatesOwnFormula) {
  for (param::Index g : {param::gNap, param::gM, param::gA, param::pT, param::pL, param::gH,
                         param::gC, param::gAHP})
    params.SetValue(g, 0.1f);
  GateTable apart = gates;
  apart.Row(gate::mNa).E += 1.0f;  // two centres: no exponential shared
  for (const GateTable* table : {&gates, &apart}) {
    const RunConstants constants = ComputeRunConstants(params);
    CellRates rates(params, *table, constants);
    ContinuousState y{}, dy{};
    for (int i = 0; i < kCellStateSize; ++i) y[i] = 0.3;
    y[cell::CaL] = y[cell::CaT] = 5e-8;
    std::vector<double> vs = {-300.0, -65.0, -55.0, -45.0, -38.0, -37.9999, 0.5, 60.0, 300.0};
    for (int row = gate::mNa; row <= gate::mAHP; ++row)  // each row's centres
      for (float c : {table->Row(row).B, table->Row(row).E}) vs.insert(vs.end(), {-c, c});
    for (double v : vs) {
      y[cell::V] = v;
      rates.Evaluate(0.0, 0.0, y.data(), dy.data());
      const GateContextD in{v == 0.0 ? 1e-4 : v == -0.5 ? -0.5001 : v, y[cell::CaL], 0.0,
                            constants.phi};
      for (int row = gate::mNa; row <= gate::mAHP; ++row) {
        const GateRateD own = GateSteadyState(row, table->Row(row), in);
        EXPECT_NEAR(dy[row], own.drive - own.decay * y[row],
                    1e-9 * (std::fabs(own.drive) + std::fabs(own.decay * y[row])))
            << "row " << row << " at " << v << " mV" << (table == &apart ? ", apart" : "");
      }
    }
  }
}

// With fixed steps, halving the step divides the error by about 2^5.
TEST_F(Model4, FifthOrderWithFixedSteps) {
  params.SetValue(param::BaseCurrent, 2.0f);
  const RunConstants constants = ComputeRunConstants(params);
  Integrator init;
  init.Start(-65.0f);
  RunSample unused{};
  init.Pass(params, gates, constants, 0.0f, unused);
  CellRates rates(params, gates, constants);
  ContinuousState start{}, atol{};
  for (int i = 0; i < kCellStateSize; ++i) start[i] = init.Accepted()[i];
  atol.fill(1.0);
  // 12 ms from rest through the upstroke of the first spike.
  auto endV = [&](int steps) {
    RungeKuttaPair rk(rates);
    rk.Restart(0.0, start, 2.0);
    const double h = 12.0 / steps;
    for (int i = 0; i < steps; ++i) {
      rk.Attempt(h, 2.0, 1.0, atol);
      rk.Accept((i + 1) * h);
    }
    return rk.State()[cell::V];
  };
  const double truth = endV(25600);
  const double e1 = std::fabs(endV(800) - truth), e2 = std::fabs(endV(1600) - truth),
               e3 = std::fabs(endV(3200) - truth);
  // Between 2^4 and 2^6 each time (a fourth-order pair would give 16 or less).
  EXPECT_GT(e1 / e2, 16.0) << e1 << " " << e2;
  EXPECT_LT(e1 / e2, 64.0) << e1 << " " << e2;
  EXPECT_GT(e2 / e3, 16.0) << e2 << " " << e3;
  EXPECT_LT(e2 / e3, 64.0) << e2 << " " << e3;
}

// The pair's tableau meets every order condition up to its orders: the 17
// trees of order <= 5 for the weights, those of order <= 4 for the embedded
// weights and for the dense output at any θ; the error weights miss some
// fifth-order tree (else the estimate would be no estimate).
TEST(RungeKuttaPairTableau, MeetsTheOrderConditions) {
  const RungeKuttaPair::Tableau& t = RungeKuttaPair::Coefficients();
  using Vec = std::array<double, 7>;
  auto A = [&](const Vec& x) {  // (A x)_i
    Vec r{};
    for (int i = 0; i < 7; ++i)
      for (int j = 0; j < i; ++j) r[i] += t.a[i][j] * x[j];
    return r;
  };
  auto mul = [](Vec x, const Vec& y) {
    for (int i = 0; i < 7; ++i) x[i] *= y[i];
    return x;
  };
  Vec one{}, c{};
  for (int i = 0; i < 7; ++i) {
    one[i] = 1;
    c[i] = t.c[i];
    double row = 0;
    for (int j = 0; j < i; ++j) row += t.a[i][j];
    EXPECT_NEAR(row, t.c[i], 1e-14) << "row " << i;
  }
  const Vec c2 = mul(c, c), c3 = mul(c2, c), ac = A(c);
  struct Tree {
    int order;
    Vec phi;
    double gamma;
  };
  const std::vector<Tree> trees = {
      {1, one, 1},           {2, c, 2},
      {3, c2, 3},            {3, ac, 6},
      {4, c3, 4},            {4, mul(c, ac), 8},
      {4, A(c2), 12},        {4, A(ac), 24},
      {5, mul(c3, c), 5},    {5, mul(c2, ac), 10},
      {5, mul(c, A(c2)), 15}, {5, mul(c, A(ac)), 30},
      {5, mul(ac, ac), 20},  {5, A(c3), 20},
      {5, A(mul(c, ac)), 40}, {5, A(A(c2)), 60},
      {5, A(A(ac)), 120}};
  auto weigh = [](const double* w, const Vec& phi) {
    double s = 0;
    for (int i = 0; i < 7; ++i) s += w[i] * phi[i];
    return s;
  };
  double missed = 0;
  for (const Tree& tree : trees) {
    EXPECT_NEAR(weigh(t.b, tree.phi), 1.0 / tree.gamma, 1e-13) << "order " << tree.order;
    const double e = weigh(t.error, tree.phi);
    if (tree.order <= 4) EXPECT_NEAR(e, 0.0, 1e-13) << "order " << tree.order;
    else missed = std::max(missed, std::fabs(e));
    if (tree.order > 4) continue;
    for (double theta : {0.25, 0.6, 1.0}) {
      double w[7];
      for (int i = 0; i < 7; ++i) {
        w[i] = 0;
        for (int m = 3; m >= 0; --m) w[i] = (w[i] + t.dense[i][m]) * theta;
      }
      EXPECT_NEAR(weigh(w, tree.phi), std::pow(theta, tree.order) / tree.gamma, 1e-13)
          << "dense order " << tree.order << " at " << theta;
      if (theta == 1.0) {
        for (int i = 0; i < 7; ++i) EXPECT_NEAR(w[i], t.b[i], 1e-14);
      }
    }
  }
  EXPECT_GT(missed, 1e-4);
}

// The accumulators give the closed-form train exactly from each onset on:
// the recorded AMPA and GABAa conductances equal the sums over the events.
TEST_F(Model4, SynapticTrainsStartOnTheirOnsets) {
  params.SetValue(param::InjectedCurrent, 0.0f);
  params.SetValue(param::TrialDuration, 200.0f);
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::EpscOnset, 40.3f);
  params.SetValue(param::EpspFrequency, 30.0f);
  params.SetValue(param::EpspCount, 4.0f);
  params.SetValue(param::gIPSP, 0.02f);
  params.SetValue(param::IpscOnset, 120.7f);
  params.SetValue(param::IpspFrequency, 50.0f);
  params.SetValue(param::IpspCount, 3.0f);
  params.SetValue(param::MaxDtForPlot, 0.05f);
  params.Trace(slot::IAMPA).cond = 1;
  params.Trace(slot::IGABAa).cond = 1;
  params.Trace(slot::IGABAb).cond = 1;
  const float phi = ComputeRunConstants(params).phi.phi;
  int compared = 0;
  // A whole GABAb rise power is expanded into accumulators; any other is
  // summed over the events.
  for (float power : {4.0f, 2.5f}) {
    gates.Row(gate::GABAb).E = power;
    const RunResult r = Run();
    ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
    for (const RunSample& s : sink.samples) {
      const float t = s[slot::Time];
      const SynapticConductances epsp = EpspConductances(params, gates, t, -65.0f, phi, 37.0f);
      const SynapticConductances ipsp = IpspConductances(params, gates, t, phi);
      if (t > 40.3f) {
        ASSERT_NEAR(s[slot::IAMPA], epsp.fast, 1e-4f * 0.02f + 1e-4f * epsp.fast) << t;
        ++compared;
      }
      if (t > 120.7f) {
        ASSERT_NEAR(s[slot::IGABAa], ipsp.fast, 1e-4f * 0.02f + 1e-4f * ipsp.fast) << t;
        ASSERT_NEAR(s[slot::IGABAb], ipsp.slow, 1e-6f + 1e-3f * ipsp.slow) << power << " " << t;
      }
    }
  }
  EXPECT_GT(compared, 100);
}

// A parameter changed through the message pump takes effect from the next
// step: the sodium conductance switched on mid-run sets its gates moving,
// switched off again it stops them.
TEST_F(Model4, ChannelsSwitchedDuringTheRunTakeEffect) {
  params.SetValue(param::TrialDuration, 300.0f);
  params.SetValue(param::BaseCurrent, 2.0f);
  params.SetValue(param::InjectedCurrent, 0.0f);
  const float gNa = params.Value(param::gNa);
  params.SetValue(param::gNa, 0.0f);
  ParameterSet live = params;
  SpikeList spikeSink;
  RunFlags flags;
  RunTuning tuning;
  tuning.spikes = &spikeSink;
  const std::function<void()> pump = [&] {
    const float t = sink.samples.back()[slot::Time];
    live.SetValue(param::gNa, t >= 100.0f && t < 200.0f ? gNa : 0.0f);
  };
  const RunResult r = RunTrial(live, gates, sink, flags, pump, tuning);
  ASSERT_EQ(r.outcome, RunOutcome::Completed) << r.message;
  int during = 0;
  for (double t : spikeSink.times) {
    EXPECT_GT(t, 100.0) << "a spike without sodium";
    EXPECT_LT(t, 205.0) << "a spike after sodium was switched off";
    if (t < 200.0) ++during;
  }
  EXPECT_GE(during, 5);
}

// A change taken in between two steps restarts the pair: the next step's
// first stage is the slope under the new values, not the last stage of the
// step before (which sodium switched on would not move).
TEST_F(Model4, AChangedParameterRestartsThePair) {
  params.SetValue(param::gNa, 0.0f);
  const RunConstants constants = ComputeRunConstants(params);
  CellRates rates(params, gates, constants);
  ContinuousState y{}, atol{};
  for (int i = 0; i < kCellStateSize; ++i) y[i] = 0.3;
  y[cell::V] = -50.0;
  y[cell::CaL] = y[cell::CaT] = 5e-8;
  atol.fill(1e-9);
  RungeKuttaPair rk(rates);
  rk.Restart(0.0, y, 0.0);
  rk.Attempt(0.01, 0.0, 1e-6, atol);
  rk.Accept(0.01);
  params.SetValue(param::gNa, 120.0f);
  // And a channel whose gates lie past the ones that moved so far.
  params.SetValue(param::gA, 20.0f);
  rates.Refresh();
  rk.Attempt(0.01, 0.0, 1e-6, atol);
  ContinuousState fresh{};
  ContinuousState start = rk.State();
  rates.Evaluate(0.01, 0.0, start.data(), fresh.data());
  for (int i : {int(cell::V), int(gate::mNa), int(gate::hNa), int(gate::mA), int(gate::hA)})
    EXPECT_EQ(rk.Slope()[i], fresh[i]) << "value " << i;
  // The step integrates them too.
  rk.Accept(0.02);
  EXPECT_NE(rk.State()[gate::mA], start[gate::mA]);
  EXPECT_NE(rk.State()[gate::hA], start[gate::hA]);
  EXPECT_EQ(rk.State()[gate::mT], start[gate::mT]);
}

// In a cell of sodium and potassium alone the shells on their floor stay
// there untouched, and one above it still decays.
TEST_F(Model4, ASodiumPotassiumCellsShellsAboveTheFloorStillDecay) {
  const RunConstants constants = ComputeRunConstants(params);
  CellRates rates(params, gates, constants);
  ContinuousState y{}, atol{};
  for (int i = 0; i < kCellStateSize; ++i) y[i] = 0.3;
  y[cell::V] = -65.0;
  y[cell::CaL] = 1e-6;
  y[cell::CaT] = kCalciumFloor;
  atol.fill(1e-9);
  RungeKuttaPair rk(rates);
  rk.Restart(0.0, y, 0.0);
  rk.Attempt(0.01, 0.0, 1e-6, atol);
  rk.Accept(0.01);
  EXPECT_LT(rk.State()[cell::CaL], 1e-6);
  EXPECT_EQ(rk.State()[cell::CaT], static_cast<double>(kCalciumFloor));
  // The continuous output of a value that moves and of two that do not.
  const double middle = rk.DenseQuartic(cell::CaL).Value(0.005);
  EXPECT_LT(middle, 1e-6);
  EXPECT_GT(middle, rk.State()[cell::CaL]);
  EXPECT_EQ(rk.DenseQuartic(cell::CaT).Value(0.005), static_cast<double>(kCalciumFloor));
  EXPECT_EQ(rk.DenseQuartic(gate::mA).Value(0.005), 0.3);
}

// The same for what the run loop and the samples read from the parameters:
// the step switched off before its onset, Gate #1 set to V, and at 70 ms a
// tolerance of 0, which no step can meet.
TEST_F(Model4, StepGateSlotAndToleranceChangedDuringTheRunTakeEffect) {
  ParameterSet live = params;
  RunFlags flags;
  const std::function<void()> pump = [&] {
    const float t = sink.samples.back()[slot::Time];
    if (t >= 5.0f) {
      live.SetValue(param::InjectedCurrent, 0.0f);
      live.SetValue(param::Gate1, static_cast<float>(cell::V));
    }
    if (t >= 70.0f) live.SetValue(param::MaxChangeInGates, 0.0f);
  };
  const RunResult r = RunTrial(live, gates, sink, flags, pump);
  EXPECT_EQ(r.outcome, RunOutcome::Failed);
  ASSERT_FALSE(sink.samples.empty());
  EXPECT_LT(sink.samples.back()[slot::Time], 71.0f);
  EXPECT_TRUE(test::SpikeTimes(sink.samples).empty());
  for (const RunSample& s : sink.samples) {
    if (s[slot::Time] < 4.9f) {
      EXPECT_NE(s[slot::Gate1], s[slot::V]) << s[slot::Time];
    }
    if (s[slot::Time] > 5.5f) {
      EXPECT_EQ(s[slot::Gate1], s[slot::V]) << s[slot::Time];
    }
  }
}

}  // namespace
}  // namespace vantor
