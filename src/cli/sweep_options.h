// The options of "vantor-cli sweep" and "vantor-cli fi", and the plan they
// make from the parameter set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vantor/analysis/measures.h"
#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_request.h"
#include "cli/run_options.h"
#include "vantor/params/messages.h"

namespace vantor::cli {

struct SweepOptions {
  RunOptions inputs;                // parameter file, --set, --method, --gates, --limits
  std::vector<std::string> vary;    // "KEY=FROM:TO:COUNT" or "KEY=V1,V2,..."
  long samples = 0;                 // --samples
  std::uint64_t seed = 1;           // --seed
  std::string out;                  // --out
  int jobs = 0;                     // --jobs; 0: the number of cores
  int shardIndex = 0;               // --shard K/N; 0: the whole sweep
  int shardCount = 0;
  bool resume = false;
  bool force = false;
  bool mpi = false;
  std::string png;
  std::string svg;
  std::string size;                 // --size WxH of the chart
  MeasureId plot = MeasureId::Rate;
  MeasureSettings measures;         // --threshold, --dvdt, --window
  // fi only: --max (nA) and --points.
  float fiMax = 3;
  long fiPoints = 61;
};

// Parses the words after "sweep" (or "fi" when `fi`). False with a one-line
// usage error.
bool ParseSweepOptions(const std::vector<std::string>& args, bool fi, SweepOptions& options,
                       std::string& error);

// Resolves each --vary against the parameters and their limits. 0, 1 after
// a message (a key that names no parameter, a value outside the limits, a
// grid above the limit without --force), or 2 with `error` for a usage error.
int MakePlan(const SweepOptions& options, const ParameterSet& params, SweepPlan& plan,
             Messages& messages, std::string& error);

}  // namespace vantor::cli
