// The parts of a sweep that "sweep", "fi" and every MPI rank share: reading
// the inputs and making the plan, the job, and the chart made from the rows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis/sweep_plan.h"
#include "analysis/sweep_runner.h"
#include "cli/sweep_options.h"
#include "params/gate_table.h"
#include "params/messages.h"
#include "params/parameter_set.h"

namespace vantor::cli {

struct SweepSetup {
  SweepOptions options;
  ParameterSet params;
  GateTable gates;
  SweepPlan plan;
  std::vector<long> order;  // the runs of this sweep or shard, in row order
  std::string signature;
  std::string header;
  int chartWidth = 1000;
  int chartHeight = 700;
};

// Limits, parameter file, settings and gate table, in the order the program
// itself meets them (as "run" does). 0, or the exit status after the messages.
int LoadSweepInputs(const RunOptions& options, ParameterSet& params, GateTable& gates,
                    Messages& messages);

// Parses, reads the inputs and makes the plan. 0, or the exit status after
// a message on standard error (told through `messages`, or printed as a
// usage error when `loud`).
int PrepareSweep(const std::vector<std::string>& args, bool fi, SweepSetup& setup,
                 Messages& messages, bool loud);

// Refuses chart files that cannot be written, before any run. 0 or 1.
int CheckChartFiles(const SweepSetup& setup);

// Writes the requested charts from the rows of the whole sweep. 0 or 1.
int WriteCharts(const SweepSetup& setup, const std::vector<std::string>& rows);

// Prints the f-I table (current, rate, spikes, class) from the rows.
void PrintFiTable(const SweepSetup& setup, const std::vector<std::string>& rows);

// Runs `job` on `jobs` threads; `write` receives each row in order as soon
// as it and all before it are done. False when `write` failed (the sweep then
// stops after the runs in flight).
bool RunOnThreads(const SweepJob& job, int jobs, const std::function<bool(const std::string&)>& write);

// "vantor-cli sweep: " + text on standard error; returns `status`.
int SweepError(int status, const std::string& text);

}  // namespace vantor::cli
