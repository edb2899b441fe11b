// vantor-cli run --nwb FILE.nwb (the run as an NWB file with its provenance)
// and --from FILE.nwb (the run such a file was made by, remade and compared).
#pragma once

#include <string>
#include <vector>

#include "cli/run_inputs.h"
#include "vantor/engine/sample_columns.h"

namespace vantor::cli {

// The option that --from cannot go with (the file decides what it sets), or
// an empty string.
std::string FromConflict(const RunOptions& options);

// The inputs of the run `path` was made by: parameters, limits, gate table,
// method and tolerance. 0, or the exit status after the message.
int LoadNwbInputs(const std::string& path, RunInputs& inputs, double& tolerance);

// One run's columns (as SampleColumns hands them over) and what its sweep
// says of it.
struct KeptRun {
  std::vector<std::vector<double>> columns;
  std::string description;
};

// The CSV's column names, with the command and the clamp current in
// voltage clamp.
std::vector<std::string> RunColumnNames(const ParameterSet& params, const Stimulus* stimulus);

// The sweep description of a run: the parameters' step, or the stimulus
// with the level of a family's member (`label`).
std::string RunDescription(const ParameterSet& params, const Stimulus* stimulus,
                           const std::string& label);

// Writes the runs' samples, a sweep each (a family's runs in order), with
// their provenance to `path` (a temporary file that the output set puts in
// place). An empty string, or the reason.
std::string WriteNwbRun(const std::string& path, std::vector<KeptRun> runs,
                        const RunInputs& inputs, double tolerance, const std::string& source);

// Compares the remade runs with the sweeps of `path`, sweep by sweep, and
// says so on standard error: 0 when every sample and spike is the same,
// else 1.
int CompareWithNwb(const std::string& path, const std::vector<KeptRun>& runs,
                   const RunInputs& inputs);

}  // namespace vantor::cli
