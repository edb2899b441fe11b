// vantor-cli sweep and fi: many runs over a grid (or random points) of
// parameter values, one row of measures per run, on every core or on the
// ranks of an MPI job.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "analysis/sweep_rows.h"
#include "analysis/sweep_runner.h"
#include "cli/commands.h"
#include "cli/stderr_messages.h"
#include "cli/sweep_mpi.h"
#include "cli/sweep_output.h"
#include "cli/sweep_progress.h"
#include "cli/sweep_session.h"

namespace vantor::cli {
namespace {

// Rank 0 (or the only process): the output file, the progress line and the
// rows kept for the chart and the f-I table.
class RowWriter {
 public:
  RowWriter(const SweepSetup& setup, SweepOutput* output, bool keep)
      : setup_(setup), output_(output), keep_(keep) {}
  void Present(const std::vector<SweepFile::Row>& rows) {
    if (keep_)
      for (const auto& row : rows) kept_.push_back(row.text);
  }
  bool Write(const std::string& row) {
    if (output_ != nullptr && !output_->Append(row)) return false;
    if (keep_) kept_.push_back(row);
    if (progress_) progress_->Update(++done_);
    return true;
  }
  void StartProgress(long done, long total) {
    done_ = done;
    progress_.emplace(done, total, true);
  }
  void EndProgress() { progress_.reset(); }
  const std::vector<std::string>& Kept() const { return kept_; }

 private:
  const SweepSetup& setup_;
  SweepOutput* output_;
  bool keep_;
  std::vector<std::string> kept_;
  std::optional<SweepProgress> progress_;
  long done_ = 0;
};

// Everything rank 0 does before the runs: the output, the chart files, the
// rows already there. 0, or the exit status after a message.
int OpenOutput(const SweepSetup& setup, SweepOutput& output) {
  if (const int status = CheckChartFiles(setup); status != 0) return status;
  if (setup.options.out.empty()) return 0;
  std::string error;
  if (!output.Open(setup.options.out, setup.signature, setup.header, setup.order,
                   setup.options.resume, error))
    return SweepError(1, error);
  return 0;
}

// After the runs: the output in place, the charts, the f-I table.
int Conclude(const SweepSetup& setup, SweepOutput& output, const RowWriter& writer, bool fi) {
  std::string error;
  if (!setup.options.out.empty() && !output.Finish(error)) return SweepError(1, error);
  if (const int status = WriteCharts(setup, writer.Kept()); status != 0) return status;
  if (fi && setup.options.out.empty() && setup.options.png.empty() && setup.options.svg.empty())
    PrintFiTable(setup, writer.Kept());
  return 0;
}

int WriteFailed(const SweepOutput& output) {
  return SweepError(1, "cannot write " + output.PartPath() +
                           "; the rows written so far stay there for --resume");
}

bool Wants(const std::vector<std::string>& args, const char* word) {
  for (const std::string& a : args)
    if (a == word) return true;
  return false;
}

int ThreadSweep(const std::vector<std::string>& args, bool fi) {
  StderrMessages messages;
  SweepSetup setup;
  if (const int status = PrepareSweep(args, fi, setup, messages, true); status != 0) return status;
  SweepOutput output;
  if (const int status = OpenOutput(setup, output); status != 0) return status;
  const bool keep = fi || !setup.options.png.empty() || !setup.options.svg.empty();
  RowWriter writer(setup, setup.options.out.empty() ? nullptr : &output, keep);
  writer.Present(output.Present());
  if (!output.AlreadyComplete()) {
    const std::size_t done = output.Present().size();
    const SweepJob job(setup.params, setup.gates, setup.plan,
                       std::vector<long>(setup.order.begin() + static_cast<long>(done), setup.order.end()),
                       setup.options.threshold);
    writer.StartProgress(static_cast<long>(done), static_cast<long>(setup.order.size()));
    const bool ok = RunOnThreads(job, setup.options.jobs,
                                 [&](const std::string& row) { return writer.Write(row); });
    writer.EndProgress();
    if (!ok) return WriteFailed(output);
  }
  return Conclude(setup, output, writer, fi);
}

int MpiSweep(const std::vector<std::string>& args) {
  if (!MpiBuilt())
    return SweepError(1, "this vantor-cli was built without MPI (install libopenmpi-dev and build again)");
  int rank = 0, size = 1;
  if (!MpiStart(rank, size)) return SweepError(1, "MPI could not start");
  // Every rank reads the same inputs; only rank 0 speaks about them.
  StderrMessages loud;
  SilentMessages quiet;
  SweepSetup setup;
  int status = PrepareSweep(args, false, setup, rank == 0 ? static_cast<Messages&>(loud) : quiet, rank == 0);
  if (const int all = MpiAgree(status); all != 0) {
    if (rank == 0 && status == 0) SweepError(1, "another MPI rank could not read the inputs of the sweep");
    MpiFinish();
    return all;
  }
  SweepOutput output;
  if (rank == 0) status = OpenOutput(setup, output);
  if (MpiShare(status) != 0) {
    MpiFinish();
    return status;
  }
  if (rank != 0) {
    MpiWorker(setup.params, setup.gates, setup.plan, setup.options.threshold, setup.options.jobs);
    MpiFinish();
    return 0;
  }
  const bool keep = !setup.options.png.empty() || !setup.options.svg.empty();
  RowWriter writer(setup, &output, keep);
  writer.Present(output.Present());
  bool ok = true;
  const std::size_t done = output.Present().size();
  const SweepJob job(setup.params, setup.gates, setup.plan,
                     std::vector<long>(setup.order.begin() + static_cast<long>(done), setup.order.end()),
                     setup.options.threshold);
  writer.StartProgress(static_cast<long>(done), static_cast<long>(setup.order.size()));
  // A finished output still lets the other ranks go: they are told to stop.
  ok = MpiRoot(job, setup.options.jobs, [&](const std::string& row) { return writer.Write(row); },
               size);
  writer.EndProgress();
  MpiFinish();
  if (!ok) return WriteFailed(output);
  return Conclude(setup, output, writer, false);
}

}  // namespace

int SweepCommand(const std::vector<std::string>& args) {
  if (Wants(args, "--mpi")) return MpiSweep(args);
  return ThreadSweep(args, false);
}

int FiCommand(const std::vector<std::string>& args) { return ThreadSweep(args, true); }

}  // namespace vantor::cli
