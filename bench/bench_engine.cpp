// Engine speed: whole runs with a sink that drops the samples (the argument
// is the Model: 1 .. 3 the stepping methods, 4 the fifth-order pair). Counters give
// integration passes per second of wall time and the wall time one second
// of simulated time costs.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "vantor/engine/run_driver.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "trials.h"

namespace {

using namespace vantor;

class NullSink : public RunSink {
 public:
  void Sample(const RunSample& s) override {
    ++count;
    if (last < 0.0f && s[1] >= 0.0f) ++spikes;
    last = s[1];
  }
  long count = 0;
  long spikes = 0;
  float last = 0.0f;
};

// The same for a reader of V alone (the measures, the sweeps): Model 4 skips
// the currents at its samples.
class VOnlySink : public NullSink {
 public:
  bool NeedsCurrents() const override { return false; }
};

using bench::ShippedGates;

template <class Sink = NullSink>
void RunAndCount(benchmark::State& state, const ParameterSet& base, double tolerance = 0) {
  const GateTable gates = ShippedGates();
  long passes = 0, rejected = 0, samples = 0, spikes = 0;
  for (auto _ : state) {
    ParameterSet params = base;
    Sink sink;
    RunFlags flags;
    RunTuning tuning;
    tuning.tolerance = tolerance;
    const RunResult r = RunTrial(params, gates, sink, flags, {}, tuning);
    if (r.outcome != RunOutcome::Completed) state.SkipWithError(r.message.c_str());
    passes += r.passes;
    rejected += r.rejected;
    samples = r.samples;
    spikes = sink.spikes;
  }
  const double simulatedSeconds = base.Value(param::TrialDuration) / 1000.0;
  state.counters["passes_per_s"] = benchmark::Counter(static_cast<double>(passes),
                                                      benchmark::Counter::kIsRate);
  state.counters["wall_per_sim_s"] = benchmark::Counter(
      simulatedSeconds * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["passes"] = static_cast<double>(passes) / static_cast<double>(state.iterations());
  state.counters["rejected"] =
      static_cast<double>(rejected) / static_cast<double>(state.iterations());
  state.counters["samples"] = static_cast<double>(samples);
  state.counters["spikes"] = static_cast<double>(spikes);
}

// The built-in parameters: 80 ms with a 2 nA step from 10 to 60 ms.
void BM_DefaultRun(benchmark::State& state) {
  ParameterSet params;
  params.SetValue(param::Model, static_cast<float>(state.range(0)));
  RunAndCount(state, params);
}
BENCHMARK(BM_DefaultRun)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMicrosecond);

// The same under Model 4 at tolerance 1e-4, where every spike is still within
// 0.001 ms of the reference (docs/accuracy.md).
void BM_DefaultRunLooseTolerance(benchmark::State& state) {
  ParameterSet params;
  params.SetValue(param::Model, 4.0f);
  RunAndCount(state, params, 1e-4);
}
BENCHMARK(BM_DefaultRunLooseTolerance)->Unit(benchmark::kMicrosecond);

// The 10 s tonic run under the benchmark's method (its argument).
ParameterSet TonicFiring(const benchmark::State& state) {
  ParameterSet params;
  bench::SetTonicFiring10s(params);
  params.SetValue(param::Model, static_cast<float>(state.range(0)));
  return params;
}

// Ten seconds of steady firing on a 2 nA base current.
void BM_TonicFiring(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  RunAndCount(state, params);
}
BENCHMARK(BM_TonicFiring)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// The same for a sink that reads V alone.
void BM_TonicFiringVOnly(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  RunAndCount<VOnlySink>(state, params);
}
BENCHMARK(BM_TonicFiringVOnly)->Arg(4)->Unit(benchmark::kMillisecond);

// The same at tolerance 2e-6 ("Max %change in gates" 100), the loosest
// setting at which every spike is still within 0.005 ms of the reference.
void BM_TonicFiringLooseTolerance(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  params.SetValue(param::MaxChangeInGates, 100.0f);
  RunAndCount(state, params);
}
BENCHMARK(BM_TonicFiringLooseTolerance)->Arg(4)->Unit(benchmark::kMillisecond);

// The same for a sink that reads V alone (`run -q` at "Max %change in gates" 100).
void BM_TonicFiringVOnlyLooseTolerance(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  params.SetValue(param::MaxChangeInGates, 100.0f);
  RunAndCount<VOnlySink>(state, params);
}
BENCHMARK(BM_TonicFiringVOnlyLooseTolerance)->Arg(4)->Unit(benchmark::kMillisecond);

// The same with hardly any samples ("Maximum dV for plot" 1000 mV, "Maximum
// dt for plot" 100 ms): what the integration costs without the record.
void BM_TonicFiringSparseSamples(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  params.SetValue(param::MaxDvForPlot, 1000.0f);
  params.SetValue(param::MaxDtForPlot, 100.0f);
  RunAndCount(state, params);
}
BENCHMARK(BM_TonicFiringSparseSamples)->Arg(4)->Unit(benchmark::kMillisecond);

// The same with every channel and both synaptic trains switched on.
void BM_TonicFiringAllChannels(benchmark::State& state) {
  ParameterSet params = TonicFiring(state);
  params.SetValue(param::gNap, 0.02f);
  params.SetValue(param::gH, 0.02f);
  params.SetValue(param::pT, 2.0f);
  params.SetValue(param::pL, 5.0f);
  params.SetValue(param::gC, 0.2f);
  params.SetValue(param::gA, 0.5f);
  params.SetValue(param::gM, 0.02f);
  params.SetValue(param::gAHP, 0.02f);
  params.SetValue(param::gIPSP, 0.02f);
  params.SetValue(param::IpscOnset, 100.0f);
  params.SetValue(param::IpspFrequency, 5.0f);
  params.SetValue(param::IpspCount, 40.0f);
  params.SetValue(param::gEPSP, 0.02f);
  params.SetValue(param::EpscOnset, 50.0f);
  params.SetValue(param::EpspFrequency, 10.0f);
  params.SetValue(param::EpspCount, 90.0f);
  RunAndCount(state, params);
}
BENCHMARK(BM_TonicFiringAllChannels)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
