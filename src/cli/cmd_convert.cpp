// vantor-cli convert IN OUT: reads a parameter file and writes it in the
// format OUT's name asks for. Reading starts from the built-in set, so a
// version 3 file without its companion keeps the built-in values 29 .. 53;
// that is a warning, not a refusal, as in the program.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/parameter_files.h"
#include "cli/run_inputs.h"
#include "vantor/params/parameter_file.h"

namespace vantor::cli {
namespace {

int Convert(const std::vector<std::string>& args) {
  std::vector<std::string> words;
  std::string error;
  if (!PositionalWords(args, words, error)) return UsageError("convert", error);
  if (words.size() != 2 || words[0].empty() || words[1].empty())
    return UsageError("convert", "convert needs an input and an output file name");
  ParameterSet params;
  std::vector<std::string> inputs{words[0]};
  if (!IsVersion4Path(words[0])) inputs.push_back(CompanionPath(words[0]));
  if (!LoadParameterFile(words[0], params)) return kExitRefused;
  return SaveParameterFile(words[1], params, inputs) ? 0 : kExitRefused;
}

const CommandRegistration kConvert(
    {"convert", "IN OUT", "read a parameter file and write it in the format OUT's name asks for",
     "  OUT ending in .vt4 is a version 4 file; any other name a version 3 file\n"
     "  with its companion (.cin) beside it. OUT may not be IN or its companion.\n",
     40, Convert});

}  // namespace
}  // namespace vantor::cli
