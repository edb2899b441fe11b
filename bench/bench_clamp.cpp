// A voltage-clamp family with method 4: 15 steps of 50 ms from -80 mV to
// -70 .. +70 mV, every channel on, the samples at the built-in spacing.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "vantor/engine/run_driver.h"
#include "vantor/engine/stimulus.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace {

using namespace vantor;

struct CountingSink : RunSink, DriveSink {
  void Sample(const RunSample&) override { ++samples; }
  void Drive(double, double current) override { last = current; }
  long samples = 0;
  double last = 0;
};

void BM_VoltageClampFamily(benchmark::State& state) {
  GateTable gates;
  std::ifstream in(VANTOR_SOURCE_DIR "/data/vmodels.val");
  for (int r = 1; r <= kGateRowCount; ++r) {
    std::string name;
    in >> name;
    for (int c = 0; c < kGateColumnCount; ++c) in >> gates.Row(r)[c];
  }
  ParameterSet base;
  base.SetValue(param::Model, 4);
  base.SetValue(param::TrialDuration, 70);
  for (int k : {param::gNap, param::gH, param::gM, param::gAHP}) base.SetValue(k, 0.02f);
  for (int k : {param::pT, param::pL, param::gC, param::gA}) base.SetValue(k, 0.5f);
  long samples = 0;
  for (auto _ : state) {
    for (int i = 0; i < 15; ++i) {
      Stimulus stimulus;
      stimulus.mode = ClampMode::Voltage;
      stimulus.holding = -80;
      Segment step;
      step.onset = 10, step.offset = 60, step.level = 10 + 10 * i;
      stimulus.segments = {step};
      ParameterSet params = base;
      CountingSink sink;
      RunFlags flags;
      RunTuning tuning;
      tuning.stimulus = &stimulus;
      tuning.drive = &sink;
      const RunResult r = RunTrial(params, gates, sink, flags, {}, tuning);
      if (r.outcome != RunOutcome::Completed) state.SkipWithError(r.message.c_str());
      samples += sink.samples;
      benchmark::DoNotOptimize(sink.last);
    }
  }
  state.counters["samples_per_family"] =
      static_cast<double>(samples) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_VoltageClampFamily)->Unit(benchmark::kMillisecond);

}  // namespace
