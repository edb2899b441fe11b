#include "cli/sweep_mpi.h"

#ifdef VANTOR_WITH_MPI
#include <mpi.h>
#endif

#include <algorithm>
#include <map>
#include <vector>

#include "cli/interrupts.h"
#include "cli/sweep_session.h"

namespace vantor::cli {

#ifndef VANTOR_WITH_MPI

bool MpiBuilt() { return false; }
bool MpiStart(int&, int&) { return false; }
void MpiFinish() {}
int MpiAgree(int status) { return status; }
int MpiShare(int status) { return status; }
bool MpiRoot(const SweepJob& job, int jobs, const std::function<bool(const std::string&)>& write,
             int) {
  return RunOnThreads(job, jobs, write);
}
void MpiWorker(const ParameterSet&, const GateTable&, const SweepPlan&, double, int) {}

#else

namespace {

constexpr int kRowsTag = 1;   // worker -> root: the rows of its last block (empty at first)
constexpr int kBlockTag = 2;  // root -> worker: [first, n, run...]; n = 0 means stop

// Rows in the order of `runs`, on `jobs` threads.
std::string RunBlock(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
                     double threshold, std::vector<long> runs, int jobs) {
  const SweepJob job(base, gates, plan, std::move(runs), threshold);
  BlockDispenser dispenser(job.Count());
  OrderedRows rows(job.Count());
  std::string text;
  SweepWorkers workers(std::max(1, std::min<int>(jobs, static_cast<int>(job.Count()))), job,
                       dispenser, rows);
  while (!rows.AllTaken())
    for (const std::string& row : rows.Take(std::chrono::milliseconds(200))) text += row;
  return text;
}

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

bool MpiRoot(const SweepJob& job, int jobs, const std::function<bool(const std::string&)>& write,
             int size) {
  BlockDispenser dispenser(job.Count());
  OrderedRows rows(job.Count());
  const long lanes = static_cast<long>(size - 1 + std::max(jobs, 0));
  std::map<int, long> outstanding;  // worker rank -> first position of its block
  int active = size - 1;
  bool ok = true;
  {
    // The root's own threads take single runs from the same dispenser.
    SweepWorkers local(std::max(jobs, 0), job, dispenser, rows);
    while (active > 0 || !rows.AllTaken()) {
      int arrived = 0;
      MPI_Status status;
      MPI_Iprobe(MPI_ANY_SOURCE, kRowsTag, MPI_COMM_WORLD, &arrived, &status);
      if (arrived) {
        int bytes = 0;
        MPI_Get_count(&status, MPI_CHAR, &bytes);
        std::string text(static_cast<std::size_t>(bytes), '\0');
        MPI_Recv(text.data(), bytes, MPI_CHAR, status.MPI_SOURCE, kRowsTag, MPI_COMM_WORLD,
                 MPI_STATUS_IGNORE);
        const auto at = outstanding.find(status.MPI_SOURCE);
        if (at != outstanding.end()) {
          long position = at->second;
          for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find('\n', start);
            rows.Put(position++, text.substr(start, end + 1 - start));
            start = end + 1;
          }
          outstanding.erase(at);
        }
        // Blocks shrink towards the end so that the ranks finish together.
        const long want = std::clamp(dispenser.Remaining() / (4 * std::max(lanes, 1L)), 1L, 32L);
        long first = 0, n = 0;
        std::vector<long> block{0, 0};
        if (dispenser.Next(want, first, n)) {
          block = {first, n};
          for (long p = first; p < first + n; ++p) block.push_back(job.Run(p));
          outstanding[status.MPI_SOURCE] = first;
        } else {
          --active;
        }
        MPI_Send(block.data(), static_cast<int>(block.size()), MPI_LONG, status.MPI_SOURCE,
                 kBlockTag, MPI_COMM_WORLD);
        continue;
      }
      for (const std::string& row : rows.Take(std::chrono::milliseconds(2)))
        if (ok && !write(row)) ok = false;
      // After a write failure or an interruption no new block goes out; the
      // ranks finish the blocks they hold and are told to stop.
      const bool stopping = !ok || Interrupted();
      if (stopping) dispenser.Stop();
      if (stopping && outstanding.empty() && active == 0) break;
    }
  }
  return ok && !Interrupted();
}

void MpiWorker(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
               double threshold, int jobs) {
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
    rows = RunBlock(base, gates, plan, threshold, std::vector<long>(block.begin() + 2, block.end()),
                    jobs);
  }
}

#endif

}  // namespace vantor::cli
