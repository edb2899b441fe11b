// Writing the CSV of a run: the cost of one sample's row, against the
// per-number formatted printing it replaced, on the samples of a real run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "vantor/files/csv_sink.h"
#include "vantor/engine/run_driver.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "trials.h"

namespace {

using namespace vantor;

const std::vector<RunSample>& TonicSamples() {
  static const std::vector<RunSample> samples = [] {
    const GateTable gates = bench::ShippedGates();
    ParameterSet params;
    params.SetValue(param::TrialDuration, 1000);
    params.SetValue(param::BaseCurrent, 2);
    params.SetValue(param::InjectedCurrent, 0);
    bench::KeepSamples keep;
    RunFlags flags;
    RunTrial(params, gates, keep, flags);
    return keep.samples;
  }();
  return samples;
}

void BM_CsvRows(benchmark::State& state) {
  const auto& samples = TonicSamples();
  std::FILE* sink = std::fopen("/dev/null", "wb");
  const ParameterSet params;
  for (auto _ : state) {
    CsvSink csv(sink, params);
    for (const RunSample& s : samples) csv.Sample(s);
    csv.Finish();
  }
  std::fclose(sink);
  state.SetItemsProcessed(static_cast<int64_t>(samples.size()) * state.iterations());
}
BENCHMARK(BM_CsvRows)->Unit(benchmark::kMillisecond);

// The way rows were written before: one formatted print per number.
void BM_CsvRowsPrintf(benchmark::State& state) {
  const auto& samples = TonicSamples();
  std::FILE* sink = std::fopen("/dev/null", "wb");
  for (auto _ : state) {
    for (const RunSample& sample : samples) {
      for (int s = 0; s < kSampleSlots; ++s)
        std::fprintf(sink, s == 0 ? "%.9g" : ",%.9g", static_cast<double>(sample[s]));
      std::fputc('\n', sink);
    }
  }
  std::fclose(sink);
  state.SetItemsProcessed(static_cast<int64_t>(samples.size()) * state.iterations());
}
BENCHMARK(BM_CsvRowsPrintf)->Unit(benchmark::kMillisecond);

}  // namespace
