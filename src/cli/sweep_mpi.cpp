#include "cli/sweep_mpi.h"

#ifdef VANTOR_WITH_MPI
#include <mpi.h>
#endif

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>


namespace vantor::cli {

#ifndef VANTOR_WITH_MPI

bool MpiBuilt() { return false; }
bool MpiStart(int&, int&) { return false; }
void MpiFinish() {}
int MpiAgree(int status) { return status; }
int MpiShare(int status) { return status; }
bool MpiRoot(const SweepJob& job, int jobs, const SweepHooks& hooks, int) {
  LocalThreads threads(jobs);
  return RunSweep(job, threads, hooks) == SweepEnd::Complete;
}
void MpiWorker(const ParameterSet&, const GateTable&, const SweepPlan&, double, int) {}

#else

namespace {

constexpr int kRowsTag = 1;   // worker -> root: the results of its last block (empty at first)
constexpr int kBlockTag = 2;  // root -> worker: [first, n, run...]; n = 0 means stop

// The results of a block as bytes, for ranks of one job on like machines:
// per run the outcome, the measures and the message.
void Append(std::string& bytes, const void* data, std::size_t n) {
  bytes.append(static_cast<const char*>(data), n);
}

std::string Encode(const std::vector<SweepResult>& results) {
  std::string bytes;
  for (const SweepResult& r : results) {
    const int outcome = static_cast<int>(r.measured.outcome);
    const std::size_t length = r.measured.message.size();
    Append(bytes, &outcome, sizeof outcome);
    Append(bytes, &r.measured.measures, sizeof r.measured.measures);
    Append(bytes, &length, sizeof length);
    bytes += r.measured.message;
  }
  return bytes;
}

std::vector<MeasuredRun> Decode(const std::string& bytes) {
  std::vector<MeasuredRun> runs;
  for (std::size_t at = 0; at < bytes.size();) {
    MeasuredRun run;
    int outcome = 0;
    std::size_t length = 0;
    std::memcpy(&outcome, bytes.data() + at, sizeof outcome), at += sizeof outcome;
    std::memcpy(&run.measures, bytes.data() + at, sizeof run.measures), at += sizeof run.measures;
    std::memcpy(&length, bytes.data() + at, sizeof length), at += sizeof length;
    run.outcome = static_cast<RunOutcome>(outcome);
    run.message = bytes.substr(at, length), at += length;
    runs.push_back(std::move(run));
  }
  return runs;
}

// Rank 0's own threads take single runs from the dispenser; the other
// ranks are handed blocks as they ask for them.
class MpiRanks : public SweepBackend {
 public:
  MpiRanks(int jobs, int size) : jobs_(std::max(jobs, 0)), active_(size - 1), lanes_(size - 1 + jobs_) {}

  void Start(const SweepJob& job, BlockDispenser& dispenser, OrderedResults& results) override {
    job_ = &job;
    dispenser_ = &dispenser;
    results_ = &results;
    local_.emplace(jobs_, job, dispenser, results);
  }

  std::chrono::milliseconds Pump() override {
    int arrived = 0;
    MPI_Status status;
    MPI_Iprobe(MPI_ANY_SOURCE, kRowsTag, MPI_COMM_WORLD, &arrived, &status);
    if (!arrived) return std::chrono::milliseconds(2);
    int bytes = 0;
    MPI_Get_count(&status, MPI_CHAR, &bytes);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    MPI_Recv(text.data(), bytes, MPI_CHAR, status.MPI_SOURCE, kRowsTag, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
    const auto at = outstanding_.find(status.MPI_SOURCE);
    if (at != outstanding_.end()) {
      long position = at->second;
      for (MeasuredRun& run : Decode(text)) {
        SweepResult result;
        result.run = job_->Run(position);
        result.point = job_->Plan().Point(result.run);
        result.measured = std::move(run);
        results_->Put(position++, std::move(result));
      }
      outstanding_.erase(at);
    }
    // Blocks shrink towards the end so that the ranks finish together.
    const long want = std::clamp(dispenser_->Remaining() / (4 * std::max(lanes_, 1L)), 1L, 32L);
    long first = 0, n = 0;
    std::vector<long> block{0, 0};
    if (dispenser_->Next(want, first, n)) {
      block = {first, n};
      for (long p = first; p < first + n; ++p) block.push_back(job_->Run(p));
      outstanding_[status.MPI_SOURCE] = first;
    } else {
      --active_;
    }
    MPI_Send(block.data(), static_cast<int>(block.size()), MPI_LONG, status.MPI_SOURCE, kBlockTag,
             MPI_COMM_WORLD);
    return std::chrono::milliseconds(0);
  }

  // Every rank gets its stop when it asks for more; after a stop no new
  // block goes out, and the ranks finish the blocks they hold.
  bool Busy() const override { return active_ > 0 || !outstanding_.empty(); }
  void Finish() override { local_.reset(); }

 private:
  int jobs_;
  int active_;
  long lanes_;
  const SweepJob* job_ = nullptr;
  BlockDispenser* dispenser_ = nullptr;
  OrderedResults* results_ = nullptr;
  std::map<int, long> outstanding_;  // worker rank -> first position of its block
  std::optional<SweepWorkers> local_;
};

}  // namespace

bool MpiBuilt() { return true; }

bool MpiStart(int& rank, int& size) {
  int provided = 0;
  // Only the main thread of a rank talks to MPI; the runs go on other threads.
  if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_FUNNELED, &provided) != MPI_SUCCESS) return false;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &size);
  return true;
}

void MpiFinish() { MPI_Finalize(); }

int MpiAgree(int status) {
  int all = 0;
  MPI_Allreduce(&status, &all, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
  return all;
}

int MpiShare(int status) {
  MPI_Bcast(&status, 1, MPI_INT, 0, MPI_COMM_WORLD);
  return status;
}

bool MpiRoot(const SweepJob& job, int jobs, const SweepHooks& hooks, int size) {
  MpiRanks ranks(jobs, size);
  return RunSweep(job, ranks, hooks) == SweepEnd::Complete;
}

void MpiWorker(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
               const MeasureSettings& measures, int jobs) {
  std::string rows;  // nothing yet: the first message only asks for work
  for (;;) {
    MPI_Send(rows.data(), static_cast<int>(rows.size()), MPI_CHAR, 0, kRowsTag, MPI_COMM_WORLD);
    MPI_Status status;
    MPI_Probe(0, kBlockTag, MPI_COMM_WORLD, &status);
    int count = 0;
    MPI_Get_count(&status, MPI_LONG, &count);
    std::vector<long> block(static_cast<std::size_t>(std::max(count, 2)), 0);
    MPI_Recv(block.data(), count, MPI_LONG, 0, kBlockTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (block[1] <= 0) return;
    const SweepJob job(base, gates, plan, std::vector<long>(block.begin() + 2, block.end()), measures);
    std::vector<SweepResult> results;
    RunSweep(job, jobs, results);
    rows = Encode(results);
  }
}

#endif

}  // namespace vantor::cli
