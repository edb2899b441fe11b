// A 10 s run written as CSV and as an NWB file: the time to write each and
// the size of each (the "bytes" counter), on the samples of a real run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "vantor/engine/run_driver.h"
#include "vantor/engine/sample_columns.h"
#include "vantor/files/csv_sink.h"
#include "vantor/nwb/nwb_columns.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "trials.h"

namespace {

using namespace vantor;

const ParameterSet& TenSeconds() {
  static const ParameterSet params = [] {
    ParameterSet p;
    bench::SetTonicFiring10s(p);
    p.SetValue(param::Model, 4);
    return p;
  }();
  return params;
}

const std::vector<RunSample>& TenSecondSamples() {
  static const std::vector<RunSample> samples = [] {
    const GateTable gates = bench::ShippedGates();
    ParameterSet params = TenSeconds();
    bench::KeepSamples keep;
    RunFlags flags;
    RunTrial(params, gates, keep, flags);
    return keep.samples;
  }();
  return samples;
}

const std::string kFile = (std::filesystem::temp_directory_path() / "vantor_bench_out").string();

void BM_WriteCsv10s(benchmark::State& state) {
  const auto& samples = TenSecondSamples();
  for (auto _ : state) {
    std::FILE* file = std::fopen(kFile.c_str(), "wb");
    CsvSink csv(file, TenSeconds());
    for (const RunSample& s : samples) csv.Sample(s);
    csv.Finish();
    std::fclose(file);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(kFile));
  state.counters["rows"] = static_cast<double>(samples.size());
}
BENCHMARK(BM_WriteCsv10s)->Unit(benchmark::kMillisecond);

// The columns are gathered during the run, as vantor-cli does; the file is
// written from them.
void BM_WriteNwb10s(benchmark::State& state) {
  const auto& samples = TenSecondSamples();
  if (!nwb::Available()) {
    state.SkipWithError("built without HDF5");
    return;
  }
  for (auto _ : state) {
    SampleColumns columns(TenSeconds());
    for (const RunSample& s : samples) columns.Sample(s);
    nwb::Recording recording;
    recording.identifier = "bench";
    recording.sessionDescription = "bench";
    recording.startTime = "2026-01-01T00:00:00+00:00";
    recording.sweeps.push_back(
        nwb::CurrentClampSweep(1, CsvColumnNames(TenSeconds()), columns.Take()));
    if (!nwb::WriteRecording(kFile, recording).empty()) state.SkipWithError("write failed");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(kFile));
}
BENCHMARK(BM_WriteNwb10s)->Unit(benchmark::kMillisecond);

}  // namespace
