// Sweep speed: whole sweeps of 1 s trials on 1 and 2 threads, and what a run
// costs beyond the engine (set-up, measures, the row). Counters give runs
// per second of wall time and simulated seconds per core-second.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_rows.h"
#include "vantor/sweep/sweep_runner.h"
#include "vantor/params/list_files.h"
#include "vantor/params/messages.h"

namespace {

using namespace vantor;

struct Inputs {
  ParameterSet params;
  GateTable gates;
  Inputs() {
    SilentMessages quiet;
    LoadGateTable(VANTOR_SOURCE_DIR "/data/vmodels.val", gates, quiet);
    ReadInitFile(VANTOR_SOURCE_DIR "/data/VANTOR.mnx", params, quiet);
    // One second with the step on throughout.
    params.SetValue(param::TrialDuration, 1000);
    params.SetValue(param::StepOnset, 0);
    params.SetValue(param::StepOffset, 1000);
  }
};

// CPU time of the whole process (every thread), in seconds: on a machine
// shared with other work, wall time says little about the cost.
double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

SweepAxis Axis(int index, const std::string& values) {
  SweepAxis axis;
  axis.index = index;
  std::string error;
  ParseAxisValues(values, axis, error);
  return axis;
}

void TimeSweep(benchmark::State& state, const Inputs& in, const SweepPlan& plan) {
  const int jobs = static_cast<int>(state.range(0));
  std::vector<long> runs;
  for (long r = 0; r < plan.Runs(); ++r) runs.push_back(r);
  const SweepJob job(in.params, in.gates, plan, runs, MeasureSettings{});
  const double cpuStart = ProcessCpuSeconds();
  for (auto _ : state) {
    long bytes = 0;
    LocalThreads threads(jobs);
    SweepHooks hooks;
    hooks.consume = [&](const SweepResult& result) {
      bytes += static_cast<long>(SweepRow(result).size());
      return true;
    };
    RunSweep(job, threads, hooks);
    benchmark::DoNotOptimize(bytes);
  }
  const double cpu = ProcessCpuSeconds() - cpuStart;
  const double n = static_cast<double>(state.iterations()) * static_cast<double>(job.Count());
  const double simulated = n * in.params.Value(param::TrialDuration) / 1000.0;
  state.counters["runs_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  // Per core-second of wall time (the two agree on an idle machine), and
  // per second of CPU time the process actually got.
  state.counters["sim_s_per_core_s"] =
      benchmark::Counter(simulated / jobs, benchmark::Counter::kIsRate);
  state.counters["sim_s_per_cpu_s"] = cpu > 0 ? simulated / cpu : 0;
}

// The f-I curve of the default cell: 0 to 3 nA in 61 steps.
void BM_FiCurve(benchmark::State& state) {
  static const Inputs in;
  SweepPlan plan;
  plan.axes = {Axis(param::InjectedCurrent, "0:3:61")};
  TimeSweep(state, in, plan);
}
BENCHMARK(BM_FiCurve)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Four conductances at three values each (81 runs; the full study of 10,000
// runs is the same loop, ten values each).
void BM_ConductanceGrid(benchmark::State& state) {
  static const Inputs in;
  SweepPlan plan;
  plan.axes = {Axis(param::gNa, "10:30:3"), Axis(param::gK, "1:4:3"), Axis(param::gA, "0:2:3"),
               Axis(param::gM, "0:0.1:3")};
  TimeSweep(state, in, plan);
}
BENCHMARK(BM_ConductanceGrid)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// One 1 s trial at 2 nA with the samples dropped: the engine alone.
void BM_EngineOnlyRun(benchmark::State& state) {
  static const Inputs in;
  class Drop : public RunSink {
   public:
    void Sample(const RunSample&) override {}
  } drop;
  for (auto _ : state) {
    ParameterSet params = in.params;
    RunFlags flags;
    benchmark::DoNotOptimize(RunTrial(params, in.gates, drop, flags));
  }
}
BENCHMARK(BM_EngineOnlyRun)->Unit(benchmark::kMillisecond);

// The same trial as a sweep runs it: copy of the parameters, the recorded
// V-m, the measures and the CSV row. The difference to the engine alone is
// the per-run overhead.
void BM_SweepRowRun(benchmark::State& state) {
  static const Inputs in;
  SweepPlan plan;
  plan.axes = {Axis(param::InjectedCurrent, "2")};
  const SweepJob job(in.params, in.gates, plan, {0}, MeasureSettings{});
  for (auto _ : state) benchmark::DoNotOptimize(SweepRow(job.ResultOfRun(0)));
}
BENCHMARK(BM_SweepRowRun)->Unit(benchmark::kMillisecond);

}  // namespace
