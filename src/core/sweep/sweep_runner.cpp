#include "vantor/sweep/sweep_runner.h"

#include "vantor/sweep/sweep_rows.h"

namespace vantor {

SweepJob::SweepJob(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
                   std::vector<long> runs, double threshold)
    : base_(base), gates_(gates), plan_(plan), runs_(std::move(runs)), threshold_(threshold) {}

std::string SweepJob::RowOfRun(long run) const {
  const std::vector<float> point = plan_.Point(run);
  ParameterSet params = base_;
  for (std::size_t a = 0; a < point.size(); ++a) params.SetValue(plan_.axes[a].index, point[a]);
  return SweepRow(run, point, MeasureTrial(std::move(params), gates_, threshold_));
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

void OrderedRows::Put(long position, std::string row) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.emplace(position, std::move(row));
  }
  ready_.notify_all();
}

std::vector<std::string> OrderedRows::Take(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto nextReady = [&] { return !pending_.empty() && pending_.begin()->first == taken_; };
  if (!nextReady()) ready_.wait_for(lock, wait, nextReady);
  std::vector<std::string> rows;
  while (nextReady()) {
    rows.push_back(std::move(pending_.begin()->second));
    pending_.erase(pending_.begin());
    ++taken_;
  }
  return rows;
}

long OrderedRows::Taken() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return taken_;
}

SweepWorkers::SweepWorkers(int jobs, const SweepJob& job, BlockDispenser& dispenser,
                           OrderedRows& rows, long block) {
  for (int j = 0; j < jobs; ++j)
    threads_.emplace_back([&job, &dispenser, &rows, block] {
      long first = 0, n = 0;
      while (dispenser.Next(block, first, n))
        for (long p = first; p < first + n; ++p) rows.Put(p, job.RowOfRun(job.Run(p)));
    });
}

SweepWorkers::~SweepWorkers() {
  for (std::thread& t : threads_) t.join();
}

}  // namespace vantor
