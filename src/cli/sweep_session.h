// The parts of a sweep that "sweep", "fi" and every MPI rank share: reading
// the inputs and making the plan, the chart files, and the threads that run
// the job.
#pragma once

#include <string>
#include <vector>

#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_runner.h"
#include "cli/output_set.h"
#include "cli/run_inputs.h"
#include "cli/sweep_options.h"

namespace vantor::cli {

struct SweepSetup {
  const char* command = "sweep";  // for messages: "sweep" or "fi"
  SweepOptions options;
  RunInputs inputs;
  SweepPlan plan;
  std::vector<long> order;  // the runs of this sweep or shard, in row order
  std::string signature;
  std::string header;
  int chartWidth = 1000;
  int chartHeight = 700;
};

// Parses, reads the inputs and makes the plan. 0, or the exit status after
// a message on standard error.
int PrepareSweep(const std::vector<std::string>& args, bool fi, SweepSetup& setup);

// Opens the chart files (refusing ones that cannot be written, or that name
// an input or the output), before any run. False after a message.
bool OpenCharts(const SweepSetup& setup, OutputSet& charts);
// Draws the charts from the results of the whole sweep into their files; the
// caller puts them in place (charts.Commit). 0 or 1 after a message.
int WriteCharts(const SweepSetup& setup, const std::vector<SweepResult>& results, OutputSet& charts);

// Prints the f-I table (current, rate, spikes, class) from the results.
void PrintFiTable(const std::vector<SweepResult>& results);

}  // namespace vantor::cli
