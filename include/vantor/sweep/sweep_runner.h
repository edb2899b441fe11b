// Running the points of a sweep on several threads while the rows come out
// in order: workers take blocks of positions from a dispenser, put each
// finished row into an ordered buffer, and one writer takes the rows that
// are ready, in order, as they finish.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_plan.h"

namespace vantor {

// What to run: the base parameters, the plan, and the runs in the order
// their rows are written (a shard, or what a resumed sweep still lacks).
// Positions count in that order.
class SweepJob {
 public:
  SweepJob(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
           std::vector<long> runs, double threshold);
  long Count() const { return static_cast<long>(runs_.size()); }
  long Run(long position) const { return runs_[static_cast<std::size_t>(position)]; }
  // The row of one run; safe to call from several threads at once.
  std::string RowOfRun(long run) const;

 private:
  const ParameterSet& base_;
  const GateTable& gates_;
  const SweepPlan& plan_;
  std::vector<long> runs_;
  double threshold_;
};

// Hands out consecutive blocks of positions 0 .. count - 1 to any thread.
class BlockDispenser {
 public:
  explicit BlockDispenser(long count) : count_(count) {}
  // The next block of at most `want` positions; false when none are left or
  // after Stop.
  bool Next(long want, long& first, long& n);
  void Stop() { stopped_ = true; }
  long Remaining() const;

 private:
  const long count_;
  std::atomic<long> next_{0};
  std::atomic<bool> stopped_{false};
};

// Rows by position, released in order.
class OrderedRows {
 public:
  explicit OrderedRows(long count) : count_(count) {}
  void Put(long position, std::string row);
  // The rows ready after the ones already taken, in order; waits up to
  // `wait` for at least one when none is ready.
  std::vector<std::string> Take(std::chrono::milliseconds wait);
  long Taken() const;
  bool AllTaken() const { return Taken() >= count_; }

 private:
  const long count_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::map<long, std::string> pending_;
  long taken_ = 0;
};

// `jobs` threads that run blocks of `block` positions until the dispenser
// is empty; joined on destruction.
class SweepWorkers {
 public:
  SweepWorkers(int jobs, const SweepJob& job, BlockDispenser& dispenser, OrderedRows& rows,
               long block = 1);
  ~SweepWorkers();
  SweepWorkers(const SweepWorkers&) = delete;
  SweepWorkers& operator=(const SweepWorkers&) = delete;

 private:
  std::vector<std::thread> threads_;
};

}  // namespace vantor
