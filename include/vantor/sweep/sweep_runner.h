// Running the points of a sweep while the results come out in plan order:
// a backend (threads of this process, or the ranks of an MPI job) takes
// blocks of positions from a dispenser and puts each finished result into
// an ordered buffer; RunSweep hands the results that are ready, in order,
// to the caller as they finish.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "vantor/analysis/measured_run.h"
#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_result.h"

namespace vantor {

// What to run: the base parameters, the plan, and the runs in the order
// their results are wanted (a shard, or what a resumed sweep still lacks).
// Positions count in that order.
class SweepJob {
 public:
  SweepJob(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
           std::vector<long> runs, const MeasureSettings& settings);
  long Count() const { return static_cast<long>(runs_.size()); }
  long Run(long position) const { return runs_[static_cast<std::size_t>(position)]; }
  const SweepPlan& Plan() const { return plan_; }
  // Makes one run; safe to call from several threads at once.
  SweepResult ResultOfRun(long run) const;

 private:
  const ParameterSet& base_;
  const GateTable& gates_;
  const SweepPlan& plan_;
  std::vector<long> runs_;
  MeasureSettings settings_;
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

// Items by position, released in order.
template <typename Item>
class OrderedRows {
 public:
  explicit OrderedRows(long count) : count_(count) {}
  void Put(long position, Item item) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.emplace(position, std::move(item));
    }
    ready_.notify_all();
  }
  // The items ready after the ones already taken, in order; waits up to
  // `wait` for at least one when none is ready.
  std::vector<Item> Take(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto nextReady = [&] { return !pending_.empty() && pending_.begin()->first == taken_; };
    if (!nextReady()) ready_.wait_for(lock, wait, nextReady);
    std::vector<Item> items;
    while (nextReady()) {
      items.push_back(std::move(pending_.begin()->second));
      pending_.erase(pending_.begin());
      ++taken_;
    }
    return items;
  }
  long Taken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return taken_;
  }
  bool AllTaken() const { return Taken() >= count_; }

 private:
  const long count_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::map<long, Item> pending_;
  long taken_ = 0;
};

using OrderedResults = OrderedRows<SweepResult>;

// `jobs` threads that run blocks of `block` positions until the dispenser
// is empty; joined on destruction.
class SweepWorkers {
 public:
  SweepWorkers(int jobs, const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results,
               long block = 1);
  ~SweepWorkers();
  SweepWorkers(const SweepWorkers&) = delete;
  SweepWorkers& operator=(const SweepWorkers&) = delete;

 private:
  std::vector<std::thread> threads_;
};

// Where the runs are made. RunSweep calls Start once, then Pump and Busy
// from its own thread until the results are all in (or the sweep stops),
// then Finish.
class SweepBackend {
 public:
  virtual ~SweepBackend() = default;
  // Starts making runs: positions from `dispenser`, results into `results`.
  virtual void Start(const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results) = 0;
  // What the calling thread does between takes (talking to other
  // processes); returns how long it may then wait for a result.
  virtual std::chrono::milliseconds Pump() { return std::chrono::milliseconds(100); }
  // True while runs handed out elsewhere are still to come back.
  virtual bool Busy() const { return false; }
  // Waits for the runs in flight.
  virtual void Finish() = 0;
};

// Threads of this process, as many as asked (at least one, at most one per
// run).
class LocalThreads : public SweepBackend {
 public:
  explicit LocalThreads(int jobs, long block = 1) : jobs_(jobs), block_(block) {}
  void Start(const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results) override;
  void Finish() override { workers_.reset(); }

 private:
  int jobs_;
  long block_;
  std::optional<SweepWorkers> workers_;
};

struct SweepHooks {
  // Polled between runs: true starts no new run.
  std::function<bool()> stop;
  // Each result in plan order, as soon as it and all before it are done;
  // false stops the sweep.
  std::function<bool(const SweepResult&)> consume;
  // After each result consumed: how many of the job's runs are.
  std::function<void(long done, long total)> progress;
};

enum class SweepEnd { Complete, Stopped, ConsumerFailed };

// Runs `job` on `backend`. After a stop the runs in flight finish and
// their results still reach the consumer as far as they are in order;
// after the consumer failed, nothing more does.
SweepEnd RunSweep(const SweepJob& job, SweepBackend& backend, const SweepHooks& hooks);

// The results of `job` in its order on `jobs` local threads; after a stop,
// those finished in order.
SweepEnd RunSweep(const SweepJob& job, int jobs, std::vector<SweepResult>& results,
                  const std::function<bool()>& stop = {});

}  // namespace vantor
