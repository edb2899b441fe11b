// How a run was made, in short, for the outputs that are not NWB files: one
// line (the CSV's comment, the pictures' description) and a JSON file.
#pragma once

#include <string>
#include <vector>

#include "cli/run_inputs.h"

namespace vantor::cli {

// "Vantor 0.1.0, method 4 (tolerance 1e-07), inputs 0123456789abcdef, from
// cell.vt4; differs from the built-in set in gNa=30, duration=200".
std::string MetaLine(const RunInputs& inputs, double tolerance, const std::string& source);

// Every parameter with its value, unit and limits, the method, tolerance,
// fingerprint, gate table and the outputs written.
std::string MetaJson(const RunInputs& inputs, double tolerance, const std::string& source,
                     const std::vector<std::string>& outputs);

}  // namespace vantor::cli
