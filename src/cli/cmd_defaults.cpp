// vantor-cli defaults OUT: the built-in parameter set as a parameter file,
// version 4 for a ".vt4" name, otherwise version 3 with its companion.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/parameter_files.h"

namespace vantor::cli {
namespace {

int Defaults(const std::vector<std::string>& args) {
  std::vector<std::string> words;
  std::string error;
  if (!PositionalWords(args, words, error)) return UsageError("defaults", error);
  if (words.size() != 1 || words[0].empty())
    return UsageError("defaults", "defaults needs one output file name");
  const ParameterSet builtIn;
  return SaveParameterFile(words[0], builtIn, {}) ? 0 : kExitRefused;
}

const CommandRegistration kDefaults(
    {"defaults", "OUT", "write the built-in parameter set (.vt4, or .vts with its .cin)",
     "  OUT ending in .vt4 is a version 4 file; any other name a version 3 file\n"
     "  with its companion (.cin) beside it; '-' is standard output (version 4).\n",
     30, Defaults});

}  // namespace
}  // namespace vantor::cli
