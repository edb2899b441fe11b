// --tolerance for the commands that run the engine on their own protocol
// (iv, rheobase, impedance): Model 4's relative tolerance, checked as run
// checks it.
#pragma once

#include <string>

#include "cli/run_options.h"
#include "vantor/engine/run_types.h"
#include "vantor/params/parameter_set.h"

namespace vantor::cli {

// Sets flags.tolerance from options.tolerance; 0, or the usage error's exit
// status after its message (a bad number, or a method other than 4).
int ApplyTolerance(const std::string& command, const RunOptions& options,
                   const ParameterSet& params, RunFlags& flags);

}  // namespace vantor::cli
