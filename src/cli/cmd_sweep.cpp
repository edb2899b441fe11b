// vantor-cli sweep and fi: many runs over a grid (or random points) of
// parameter values, one row of measures per run, on every core or on the
// ranks of an MPI job.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "vantor/sweep/sweep_rows.h"
#include "vantor/sweep/sweep_runner.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "cli/sweep_mpi.h"
#include "cli/sweep_output.h"
#include "cli/sweep_progress.h"
#include "cli/sweep_session.h"
#include "cli/sweep_size.h"

namespace vantor::cli {
namespace {

constexpr char kSweepDetails[] =
    "One run per point of a grid (or of random points) of parameter values; one CSV row per\n"
    "run with the values and every measure (see 'vantor-cli measure'), in grid order.\n"
    "options:\n"
    "  --vary KEY=FROM:TO:COUNT   COUNT evenly spaced values, ends included (repeatable:\n"
    "  --vary KEY=V1,V2,...       the full grid; the first --vary varies slowest)\n"
    "  --samples N --seed S       N random points in the ranges instead of the grid\n"
    "  --out FILE        the rows; they collect in FILE.part while the sweep runs\n"
    "  --resume          carry on from the rows in FILE.part after an interruption\n"
    "  --jobs N          threads (default: the number of cores; 1 per rank with --mpi)\n"
    "  --shard K/N       only every N-th run from run K-1 (join the parts with 'merge')\n"
    "  --mpi             share the runs among the ranks of 'mpirun -n N vantor-cli sweep ...'\n"
    "  --force           run a grid of more than 100000 runs, or one expected to take\n"
    "                    more than an hour (the size is told before the runs start)\n"
    "  --png/--svg FILE  a line chart (one varied parameter) or a heat map (two)\n"
    "  --plot MEASURE    the measure charted (default rate_hz)\n"
    "  --size WxH        chart size in pixels (default 1000x700)\n"
    "  --threshold MV    a spike's peak reaches it; its upstroke is timed there (default -20)\n"
    "  --dvdt RATE       the rise in mV/ms that starts a spike (default 20)\n"
    "  --window FROM:TO  measure over FROM .. TO ms (default: the step; the manual page says)\n"
    "  --set KEY=VALUE, --method N, --gates FILE, --limits FILE, -q: as for 'run'\n";

constexpr char kFiDetails[] =
    "The f-I curve: a sweep of the step current ('step') from 0 to a maximum.\n"
    "options:\n"
    "  --max NA          the largest current (default 3 nA)\n"
    "  --points N        the number of currents (default 61)\n"
    "  --out FILE        the rows as for 'sweep' (default: a table on standard output)\n"
    "  --resume          carry on from the rows in FILE.part after an interruption\n"
    "  --png/--svg FILE  the curve;  --plot MEASURE, --size WxH, --jobs N\n"
    "  --force           run a curve expected to take more than an hour (the size is\n"
    "                    told before the runs start), or trials beyond the limits\n"
    "  --threshold MV    a spike's peak reaches it; its upstroke is timed there (default -20)\n"
    "  --dvdt RATE       the rise in mV/ms that starts a spike (default 20)\n"
    "  --window FROM:TO  measure over FROM .. TO ms (default: the step; the manual page says)\n"
    "  --set KEY=VALUE, --method N, --gates FILE, --limits FILE, -q: as for 'run'\n";

int Sweep(const std::vector<std::string>& args);
int Fi(const std::vector<std::string>& args);

const CommandRegistration kSweep({"sweep",
                                  "[PARAMFILE] --vary KEY=FROM:TO:COUNT ... --out FILE [options]",
                                  "run a grid of parameter values and write the measures of each run",
                                  kSweepDetails, 50, Sweep});
const CommandRegistration kFi({"fi", "[PARAMFILE] [--max NA] [--points N] [options]",
                               "the firing rate against the step current (f-I curve)", kFiDetails,
                               55, Fi});

// Rank 0 (or the only process): the output file, the progress line and the
// results kept for the chart and the f-I table.
class RowWriter {
 public:
  RowWriter(SweepOutput* output, bool keep, std::size_t axes)
      : output_(output), keep_(keep), axes_(axes) {}
  void Present(const std::vector<SweepFile::Row>& rows) {
    done_ = static_cast<long>(rows.size());
    for (const auto& row : rows) {
      SweepResult result;
      if (!ParseSweepRow(row.text, axes_, result)) continue;
      Count(result);
      if (keep_) kept_.push_back(std::move(result));
    }
  }
  // Writes the job's results as they come, with the progress line.
  SweepHooks Hooks() {
    SweepHooks hooks;
    hooks.stop = [] { return Interrupted(); };
    hooks.consume = [this](const SweepResult& result) { return Write(result); };
    hooks.progress = [this](long done, long) {
      if (progress_) progress_->Update(done_ + done);
    };
    return hooks;
  }
  void StartProgress(long total, bool wanted) { progress_.emplace(done_, total, wanted); }
  void EndProgress() { progress_.reset(); }
  const std::vector<SweepResult>& Kept() const { return kept_; }
  long Rows() const { return rows_; }
  long Failed() const { return failed_; }

 private:
  bool Write(const SweepResult& result) {
    ReachedPhase("sweep-row");
    if (output_ != nullptr && !output_->Append(SweepRow(result))) return false;
    Count(result);
    if (keep_) kept_.push_back(result);
    return true;
  }
  void Count(const SweepResult& result) {
    ++rows_;
    if (result.measured.outcome != RunOutcome::Completed) ++failed_;
  }

  SweepOutput* output_;
  bool keep_;
  std::size_t axes_;
  std::vector<SweepResult> kept_;
  std::optional<SweepProgress> progress_;
  long done_ = 0;  // rows present before this job
  long rows_ = 0;
  long failed_ = 0;
};

// Everything rank 0 does before the runs: the chart files, the output and
// the rows already there. False after a message.
bool OpenOutputs(const SweepSetup& setup, SweepOutput& output, OutputSet& charts) {
  if (!OpenCharts(setup, charts)) return false;
  if (setup.options.out.empty()) return true;
  for (const std::string& input : setup.inputs.files)
    for (const std::string& mine : {setup.options.out, setup.options.out + ".part"})
      if (FileIdentity(input) == FileIdentity(mine)) {
        PrintError("The output " + mine + " is the input " + input + "; give another --out.");
        return false;
      }
  std::string error;
  if (!output.Open(setup.options.out, setup.signature, setup.header, setup.order,
                   setup.options.resume, error)) {
    PrintError(error);
    return false;
  }
  return true;
}

std::vector<long> StillToRun(const SweepSetup& setup, const SweepOutput& output) {
  const long done = static_cast<long>(output.Present().size());
  return std::vector<long>(setup.order.begin() + done, setup.order.end());
}

// After the runs: the output in place, the charts, the f-I table.
int Conclude(const SweepSetup& setup, SweepOutput& output, const RowWriter& writer,
             OutputSet& charts, bool ok) {
  if (Interrupted()) return kExitRefused;  // main() ends by the signal; the part file stays
  if (!ok) {
    PrintError("Could not write file " + output.PartPath() +
               "; the rows written so far stay there for --resume");
    return kExitRefused;
  }
  ReachedPhase("sweep-end");
  const bool out = !setup.options.out.empty();
  if (!out && charts.Empty()) {
    PrintFiTable(writer.Kept());
    StateSweepEnd(setup, writer.Rows(), writer.Failed());
    return 0;
  }
  // Everything is written before anything is put in place.
  std::string error;
  if (out && !output.Prepare(error)) {
    PrintError(error);
    return kExitRefused;
  }
  if (const int status = WriteCharts(setup, writer.Kept(), charts); status != 0) return status;
  // Commit passes the point of no return even with no chart.
  if (!charts.Commit()) return kExitRefused;
  if (out && !output.Place(error)) {
    PrintError(error);
    return kExitRefused;
  }
  StateSweepEnd(setup, writer.Rows(), writer.Failed());
  return 0;
}

// The size is told before anything is written: a fresh sweep before its
// output is opened (nothing is then left of a refused one), a resumed one
// once the rows present are known. 0 or the status after a message.
int SizeBeforeOpening(const SweepSetup& setup, int workers) {
  if (setup.options.resume) return 0;
  return StateSweepSize(setup, MeasureSweepSize(setup, setup.order, workers));
}
int SizeAfterOpening(const SweepSetup& setup, SweepOutput& output, int workers) {
  if (!setup.options.resume) return 0;
  const int status = StateSweepSize(setup, MeasureSweepSize(setup, StillToRun(setup, output), workers));
  if (status != 0) output.Abandon();
  return status;
}

int LocalWorkers(const SweepSetup& setup) {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::min(setup.options.jobs, static_cast<int>(cores == 0 ? 1 : cores));
}

int ThreadSweep(const std::vector<std::string>& args, bool fi) {
  SweepSetup setup;
  if (const int status = PrepareSweep(args, fi, setup); status != 0) return status;
  const int workers = LocalWorkers(setup);
  if (const int status = SizeBeforeOpening(setup, workers); status != 0) return status;
  SweepOutput output;
  OutputSet charts;
  if (!OpenOutputs(setup, output, charts)) return kExitRefused;
  if (const int status = SizeAfterOpening(setup, output, workers); status != 0) return status;
  RowWriter writer(setup.options.out.empty() ? nullptr : &output,
                   setup.options.out.empty() || !charts.Empty(), setup.plan.axes.size());
  writer.Present(output.Present());
  bool ok = true;
  if (!output.AlreadyComplete()) {
    const SweepJob job(setup.inputs.params, setup.inputs.gates, setup.plan, StillToRun(setup, output),
                       setup.options.measures);
    writer.StartProgress(static_cast<long>(setup.order.size()), !setup.options.inputs.quiet);
    LocalThreads threads(setup.options.jobs);
    ok = RunSweep(job, threads, writer.Hooks()) == SweepEnd::Complete;
    writer.EndProgress();
  }
  return Conclude(setup, output, writer, charts, ok);
}

// Standard error of the ranks other than 0 goes nowhere while they read
// the inputs, so that a refusal is told once.
class QuietStderr {
 public:
  explicit QuietStderr(bool quiet) {
    if (!quiet) return;
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) dup2(null, STDERR_FILENO), close(null);
  }
  ~QuietStderr() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }

 private:
  int saved_ = -1;
};

int MpiSweep(const std::vector<std::string>& args) {
  if (!MpiBuilt()) {
    PrintError("This vantor-cli was built without MPI (install libopenmpi-dev and build again).");
    return kExitRefused;
  }
  int rank = 0, size = 1;
  if (!MpiStart(rank, size)) {
    PrintError("MPI could not start.");
    return kExitRefused;
  }
  SweepSetup setup;
  int status = 0;
  {
    QuietStderr quiet(rank != 0);
    status = PrepareSweep(args, false, setup);
  }
  if (const int all = MpiAgree(status); all != 0) {
    if (rank == 0 && status == 0) PrintError("Another MPI rank could not read the inputs of the sweep.");
    MpiFinish();
    return all;
  }
  SweepOutput output;
  OutputSet charts;
  // Rank 0 sizes the sweep for all the ranks, each with its jobs.
  const int workers = size * setup.options.jobs;
  if (rank == 0) status = SizeBeforeOpening(setup, workers);
  if (rank == 0 && status == 0 && !OpenOutputs(setup, output, charts)) status = kExitRefused;
  if (rank == 0 && status == 0) status = SizeAfterOpening(setup, output, workers);
  if (MpiShare(status) != 0) {
    MpiFinish();
    return status;
  }
  if (rank != 0) {
    MpiWorker(setup.inputs.params, setup.inputs.gates, setup.plan, setup.options.measures,
              setup.options.jobs);
    MpiFinish();
    return 0;
  }
  RowWriter writer(&output, !charts.Empty(), setup.plan.axes.size());
  writer.Present(output.Present());
  // A finished output still lets the other ranks go: they are told to stop.
  const SweepJob job(setup.inputs.params, setup.inputs.gates, setup.plan, StillToRun(setup, output),
                     setup.options.measures);
  writer.StartProgress(static_cast<long>(setup.order.size()), !setup.options.inputs.quiet);
  const bool ok = MpiRoot(job, setup.options.jobs, writer.Hooks(), size);
  writer.EndProgress();
  MpiFinish();
  return Conclude(setup, output, writer, charts, ok);
}

// The ranks of an MPI launch, as the launchers of Open MPI and MPICH tell
// them; 0 outside one.
long LaunchedRanks() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE"})
    if (const char* size = std::getenv(name); size != nullptr) return std::atol(size);
  return 0;
}

// Without --mpi every rank would run the whole sweep into the same part
// file; asking is safer than guessing what the user meant.
int RefuseUnsharedLaunch(const std::string& command, long ranks) {
  PrintError("this " + command + " was started as " + std::to_string(ranks) +
             " MPI ranks, each of which would run all of it into the same files; " +
             (command == "sweep" ? "add --mpi to share the runs among them"
                                 : "run fi without mpirun"));
  return kExitUsage;
}

int Sweep(const std::vector<std::string>& args) {
  for (const std::string& word : args) {
    if (word == "--") break;
    if (word == "--mpi") return MpiSweep(args);
  }
  if (const long ranks = LaunchedRanks(); ranks > 1) return RefuseUnsharedLaunch("sweep", ranks);
  return ThreadSweep(args, false);
}

int Fi(const std::vector<std::string>& args) {
  if (const long ranks = LaunchedRanks(); ranks > 1) return RefuseUnsharedLaunch("fi", ranks);
  return ThreadSweep(args, true);
}

}  // namespace
}  // namespace vantor::cli
