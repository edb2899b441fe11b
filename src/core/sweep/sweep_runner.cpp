#include "vantor/sweep/sweep_runner.h"

#include <algorithm>

namespace vantor {

SweepJob::SweepJob(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
                   std::vector<long> runs, const MeasureSettings& settings)
    : base_(base), gates_(gates), plan_(plan), runs_(std::move(runs)), settings_(settings) {}

SweepResult SweepJob::ResultOfRun(long run) const {
  SweepResult result;
  result.run = run;
  result.point = plan_.Point(run);
  ParameterSet params = base_;
  for (std::size_t a = 0; a < result.point.size(); ++a)
    params.SetValue(plan_.axes[a].index, result.point[a]);
  result.measured = MeasureTrial(std::move(params), gates_, settings_);
  return result;
}

bool BlockDispenser::Next(long want, long& first, long& n) {
  if (stopped_ || want < 1) return false;
  first = next_.fetch_add(want);
  if (first >= count_) return false;
  n = std::min(want, count_ - first);
  return true;
}

long BlockDispenser::Remaining() const {
  const long next = next_.load();
  return next >= count_ ? 0 : count_ - next;
}

SweepWorkers::SweepWorkers(int jobs, const SweepJob& job, BlockDispenser& dispenser,
                           OrderedResults& results, long block) {
  for (int j = 0; j < jobs; ++j)
    threads_.emplace_back([&job, &dispenser, &results, block] {
      long first = 0, n = 0;
      while (dispenser.Next(block, first, n))
        for (long p = first; p < first + n; ++p) results.Put(p, job.ResultOfRun(job.Run(p)));
    });
}

SweepWorkers::~SweepWorkers() {
  for (std::thread& t : threads_) t.join();
}

void LocalThreads::Start(const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results) {
  const int threads = static_cast<int>(std::max(1L, std::min<long>(jobs_, job.Count())));
  workers_.emplace(threads, job, dispenser, results, block_);
}

SweepEnd RunSweep(const SweepJob& job, SweepBackend& backend, const SweepHooks& hooks) {
  BlockDispenser dispenser(job.Count());
  OrderedResults results(job.Count());
  bool failed = false, stopped = false;
  long done = 0;
  const auto hand = [&](const std::vector<SweepResult>& ready) {
    for (const SweepResult& result : ready) {
      if (failed) return;
      if (hooks.consume && !hooks.consume(result)) {
        failed = true;
        return;
      }
      ++done;
      if (hooks.progress) hooks.progress(done, job.Count());
    }
  };
  backend.Start(job, dispenser, results);
  for (;;) {
    hand(results.Take(backend.Pump()));
    if (!stopped && hooks.stop && hooks.stop()) stopped = true;
    if (failed || stopped) dispenser.Stop();
    if ((failed || stopped || results.AllTaken()) && !backend.Busy()) break;
  }
  backend.Finish();
  hand(results.Take(std::chrono::milliseconds(0)));
  return failed ? SweepEnd::ConsumerFailed : stopped ? SweepEnd::Stopped : SweepEnd::Complete;
}

SweepEnd RunSweep(const SweepJob& job, int jobs, std::vector<SweepResult>& results,
                  const std::function<bool()>& stop) {
  results.clear();
  results.reserve(static_cast<std::size_t>(job.Count()));
  LocalThreads threads(jobs);
  SweepHooks hooks;
  hooks.stop = stop;
  hooks.consume = [&](const SweepResult& result) {
    results.push_back(result);
    return true;
  };
  return RunSweep(job, threads, hooks);
}

}  // namespace vantor
