// vantor-cli run --nwb FILE.nwb (the run as an NWB file with its provenance)
// and --from FILE.nwb (the run such a file was made by, remade and compared).
#pragma once

#include <string>

#include "cli/run_inputs.h"
#include "vantor/engine/sample_columns.h"

namespace vantor::cli {

// The option that --from cannot go with (the file decides what it sets), or
// an empty string.
std::string FromConflict(const RunOptions& options);

// The inputs of the run `path` was made by: parameters, limits, gate table,
// method and tolerance. 0, or the exit status after the message.
int LoadNwbInputs(const std::string& path, RunInputs& inputs, double& tolerance);

// Writes the run's samples with its provenance to `path` (a temporary file
// that the output set puts in place). An empty string, or the reason.
std::string WriteNwbRun(const std::string& path, SampleColumns& samples, const RunInputs& inputs,
                        double tolerance, const std::string& source);

// Compares the remade run with the first sweep of `path` and says so on
// standard error: 0 when every sample and spike is the same, else 1.
int CompareWithNwb(const std::string& path, const SampleColumns& samples);

}  // namespace vantor::cli
