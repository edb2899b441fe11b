#include "cli/run_tolerance.h"

#include <cmath>
#include <cstdlib>

#include "cli/diagnostics.h"
#include "vantor/text/number_text.h"

namespace vantor::cli {

int ApplyTolerance(const std::string& command, const RunOptions& options,
                   const ParameterSet& params, RunFlags& flags) {
  if (options.tolerance.empty()) return 0;
  char* end = nullptr;
  const double tolerance = std::strtod(options.tolerance.c_str(), &end);
  if (*end != '\0' || !(tolerance > kSmallestTolerance) || !(tolerance < kLargestTolerance))
    return UsageError(command, std::string("--tolerance needs a number ") + kToleranceRange +
                                   ": " + options.tolerance);
  if (params.Value(param::Model) != 4)
    return UsageError(command, "--tolerance applies to method 4, and the run uses method " +
                                   FormatShortest(params.Value(param::Model)));
  flags.tolerance = tolerance;
  return 0;
}

}  // namespace vantor::cli
