// The options that say how a run is measured, shared by measure, sweep and
// fi: --threshold MV, --dvdt MV/MS and --window FROM:TO.
#pragma once

#include <string>
#include <vector>

#include "vantor/analysis/measures.h"

namespace vantor::cli {

enum class Taken { No, Yes, Error };

// Takes args[i] (and its value) when it is one of the measure options.
// Error with a one-line usage error.
Taken TakeMeasureOption(const std::vector<std::string>& args, std::size_t& i,
                        MeasureSettings& settings, std::string& error);

}  // namespace vantor::cli
