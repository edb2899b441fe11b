// Writing a parameter file from the command line.
#pragma once

#include <string>
#include <vector>

#include "vantor/params/parameter_set.h"

namespace vantor::cli {

// Writes `params` to `path` (and a version 3 file's companion), refusing a
// path that is one of `inputs` or whose companion is. False after a message
// that names the file and the reason.
bool SaveParameterFile(const std::string& path, const ParameterSet& params,
                       const std::vector<std::string>& inputs);

}  // namespace vantor::cli
