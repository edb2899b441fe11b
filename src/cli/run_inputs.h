// Everything "vantor-cli run" reads, read before anything is written: the
// limits, the parameter file, the settings, the gate table and the overlay
// files. Refusals and warnings go to standard error in the command line's
// form, each naming its file and the system's reason.
#pragma once

#include <optional>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/run_options.h"
#include "vantor/engine/stimulus.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/params/pharmacology.h"

namespace vantor::cli {

struct RunInputs {
  ParameterSet params;
  GateTable gates;
  std::vector<ParameterSet> overlays;  // the values of each --overlay run
  std::vector<std::string> files;      // every file read, for the output check
  std::vector<DrugDose> drugs;         // the blockers applied to params
  // --stimulus, or the companion found beside the parameter file.
  std::optional<Stimulus> stimulus;
  std::string gatesPath;               // the gate table read
  std::vector<std::uint8_t> gateTable;  // its bytes, when they came from an NWB file
};

// 0, or the exit status after the messages. A command that runs only the
// parameters' step names itself in `stepOnly`: it refuses --stimulus and
// says that a companion beside the file is not used.
int LoadRunInputs(const RunOptions& options, RunInputs& inputs, const char* stepOnly = nullptr);

// Reads the limits file `path` (as given; the program looks for "*.mnx").
// `required`: a missing or malformed file refuses; otherwise it is a warning
// and the built-in limits stay. False when refused.
bool LoadLimits(const std::string& path, bool required, ParameterSet& params);

// Reads a parameter file, its messages framed as errors when it is refused
// and as warnings when it is read anyway (a missing companion). False when
// refused.
bool LoadParameterFile(const std::string& path, ParameterSet& params);

// Warns about every value outside its limits; false when the trial could
// not finish (a duration beyond the limits) and `force` is not set.
bool CheckLimits(const ParameterSet& params, const std::string& source, bool force);

}  // namespace vantor::cli
