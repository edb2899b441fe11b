// Model 4's pieces alone: one evaluation of the built-in cell's rates, each
// fed by the last (the latency a stage waits for), and one whole step of the
// pair.
#include <benchmark/benchmark.h>

#include "engine/cell_rates.h"
#include "engine/integrator.h"
#include "engine/rk_pair.h"
#include "engine/run_constants.h"
#include "trials.h"

namespace {

using namespace vantor;

// The built-in cell at rest.
ContinuousState RestingState(const ParameterSet& params, const GateTable& gates) {
  Integrator init;
  init.Start(params.Value(param::StartingVm));
  RunSample unused{};
  init.Pass(params, gates, ComputeRunConstants(params), 0.0f, unused);
  ContinuousState y{};
  for (int i = 0; i < kCellStateSize; ++i) y[i] = init.Accepted()[i];
  return y;
}

void BM_RateEvaluation(benchmark::State& state) {
  const GateTable gates = bench::ShippedGates();
  ParameterSet params;
  const RunConstants constants = ComputeRunConstants(params);
  CellRates rates(params, gates, constants);
  ContinuousState y = RestingState(params, gates), dy{};
  for (auto _ : state) {
    rates.Evaluate(1.0, 2.0, y.data(), dy.data());
    y[cell::V] += 1e-9 * dy[cell::V];  // the next evaluation waits for this one
    benchmark::DoNotOptimize(y);
  }
}
BENCHMARK(BM_RateEvaluation);

void BM_PairStep(benchmark::State& state) {
  const GateTable gates = bench::ShippedGates();
  ParameterSet params;
  const RunConstants constants = ComputeRunConstants(params);
  CellRates rates(params, gates, constants);
  RungeKuttaPair rk(rates);
  ContinuousState atol{};
  atol.fill(1e-9);
  rk.Restart(0.0, RestingState(params, gates), 2.0);
  double t = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(rk.Attempt(0.01, 2.0, 1e-6, atol));
    rk.Accept(t += 0.01);
  }
}
BENCHMARK(BM_PairStep);

}  // namespace
